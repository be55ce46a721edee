// vellum-host: loads the Vellum module the way the client does (dlopen or LoadLibraryA, the
// XPLUGIN_* exports, the plug-in information, the instance table; never linked), generates or loads
// a site, deposits it into one instance, plays a session of queries, a status burst and a recount
// against it, and reports what it checked and measured.
//
// Run with --help for the options. Exit status: 0 when every check passed, 1 when a
// check or a module step failed, 2 for a usage error or an unusable site file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host_system.h"
#include "hosted_instance.h"
#include "module_loader.h"
#include "module_log.h"
#include "module_settings.h"
#include "options.h"
#include "progress.h"
#include "report.h"
#include "session.h"
#include "site_generator.h"
#include "site_index.h"
#include "site_json.h"
#include "text_format.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The site named by the options, generated or loaded; false with `error` set when a
// file cannot be used.
bool ObtainSite(const HostOptions& options, Site& site, Report& report, Progress& progress,
                std::string& error) {
    const Clock::time_point start = Clock::now();
    if (!options.siteFile.empty()) {
        if (!LoadSite(options.siteFile, site, error, &progress)) return false;
        report.siteFile = options.siteFile;
    } else {
        GeneratorParams params;
        params.seed = options.seed;
        params.cameras = options.cameras;
        params.cells = options.cells;
        params.progress = &progress;
        site = GenerateSite(params);
        report.sizeName = options.sizeName;
        if (options.sizeName == "custom")
            report.sizeName += " (" + std::to_string(options.cameras) + " cameras, " +
                               std::to_string(options.cells) + " cells)";
    }
    report.siteSeconds = SecondsSince(start);
    return true;
}

// Loads the module, runs the session in one instance and fills the rest of the report.
// The module's log is counted while the instance lives.
void RunSession(const HostOptions& options, const SiteIndex& index, Progress& progress,
                Report& report) {
    ModuleLoader module;
    std::string error;
    if (!module.Load(options.modulePath, error)) {
        report.modulePath = options.modulePath;
        report.failure = error;
        return;
    }
    report.moduleLoaded = true;
    report.modulePath = module.Path();
    report.pluginName = module.Info().name != nullptr ? module.Info().name : "(no name)";
    report.pluginVersion =
        module.Info().version != nullptr ? module.Info().version : "(no version)";
    report.settings = ReadModuleSettings(module.Path());

    bool passed = false;
    {
        ModuleLog log;
        const Clock::time_point start = Clock::now();
        HostedInstance instance(module);
        if (!instance.Start(error)) {
            report.failure = error;
        } else {
            Session session(instance.Vellum(), module.Instances(), index, report.settings,
                            options.seed, progress);
            session.Run();
            progress.End();
            report.scratchPath = instance.ScratchPath();
            report.scratchBytes = instance.ScratchBytes();
            report.statistics = session.Statistics();
            report.ops.assign(session.Ops().All().begin(), session.Ops().All().end());
            report.checks.assign(session.Checks().All().begin(), session.Checks().All().end());
            passed = session.Passed();
        }
        std::string finishError;
        if (!instance.Finish(finishError) && report.failure.empty()) report.failure = finishError;
        report.sessionSeconds = SecondsSince(start);
        report.logLines = log.Lines();
        report.logTallies = log.Tallies();
        report.notableLogLines = log.Notable();
    }
    if (!module.Unload(&error) && report.failure.empty()) report.failure = error;
    report.ok = passed && report.failure.empty();
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, VELLUM_DEFAULT_MODULE, options, error)) {
        std::fprintf(stderr, "vellum-host: %s\n(vellum-host --help lists the options)\n",
                     error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        PrintUsage(stdout, VELLUM_DEFAULT_MODULE);
        return 0;
    }

    Report report;
    report.seed = options.seed;
    // The index keeps a reference to the site: both live to the end of main.
    Progress progress(host_system::StderrIsTerminal());
    Site site;
    if (!ObtainSite(options, site, report, progress, error)) {
        std::fprintf(stderr, "vellum-host: %s\n", error.c_str());
        return kExitUsage;
    }
    if (!options.dumpFile.empty()) {
        if (!WriteSite(site, options.dumpFile, error, &progress)) {
            std::fprintf(stderr, "vellum-host: %s\n", error.c_str());
            return kExitUsage;
        }
        // On standard error: with --json, standard output holds only the report.
        std::error_code sizeError;
        const std::uintmax_t bytes = std::filesystem::file_size(options.dumpFile, sizeError);
        std::fprintf(stderr, "vellum-host: site written to %s (%s)\n", options.dumpFile.c_str(),
                     sizeError ? "size unknown" : Bytes(bytes).c_str());
    }
    const SiteIndex index(site);
    report.site = SummariseSite(index);

    RunSession(options, index, progress, report);
    report.peakMemoryBytes = host_system::PeakMemoryBytes();
    if (options.json)
        PrintJsonReport(report, stdout);
    else
        PrintTextReport(report, stdout);
    if (!report.failure.empty()) std::fprintf(stderr, "vellum-host: %s\n", report.failure.c_str());
    return report.ok ? 0 : kExitFailed;
}
