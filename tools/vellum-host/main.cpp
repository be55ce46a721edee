// vellum-host: loads the Vellum module as the client does, runs one instance through
// Init and UnInit under a temporary prefix, and reports what happened.
//
//   vellum-host [--module PATH]
//
// Exit status: 0 when every step behaved, 1 when a step failed, 2 on a usage error.
#include <cstdio>
#include <cstring>
#include <string>

#include "lifecycle.h"
#include "module_loader.h"

namespace {

struct Options {
    std::string modulePath = VELLUM_DEFAULT_MODULE;
    bool help = false;
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: vellum-host [--module PATH]\n"
                 "  --module PATH  the module to load (default: %s)\n"
                 "  --help         this text\n",
                 VELLUM_DEFAULT_MODULE);
}

// False with `error` set on an unknown option or a missing value.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--module") {
            if (i + 1 >= argc) {
                error = "--module needs a path";
                return false;
            }
            options.modulePath = argv[++i];
        } else if (arg.rfind("--module=", 0) == 0) {
            options.modulePath = arg.substr(std::strlen("--module="));
        } else {
            error = "unknown argument: " + arg;
            return false;
        }
    }
    if (options.modulePath.empty()) {
        error = "--module needs a path";
        return false;
    }
    return true;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

void PrintReport(const LifecycleReport& report) {
    std::printf("prefix:            %s\n", report.prefix.c_str());
    std::printf("instance:          %s\n", report.instance.c_str());
    std::printf("scratch file:      %s\n", report.scratchPath.c_str());
    std::printf("Init:              %s\n", report.initResult ? "true" : "false");
    if (report.fileAfterInit)
        std::printf("file after Init:   exists, mode %04o\n", report.fileMode);
    else
        std::printf("file after Init:   missing\n");
    std::printf("file after UnInit: %s\n", report.fileAfterUnInit ? "still there" : "gone");
    for (const std::string& name : report.leftovers)
        std::printf("left in prefix:    %s\n", name.c_str());
    std::printf("module log:        %zu line(s)\n", report.log.size());
    for (const LogLine& line : report.log)
        std::printf("  [%d] %s: %s\n", line.level, line.module.c_str(), line.text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vellum-host: %s\n", error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (options.help) {
        PrintUsage(stdout);
        return 0;
    }

    ModuleLoader module;
    if (!module.Load(options.modulePath, error)) {
        std::fprintf(stderr, "vellum-host: %s\n", error.c_str());
        return 1;
    }
    std::printf("module:            %s\n", module.Path().c_str());
    std::printf("plug-in:           %s %s\n", module.Info().name ? module.Info().name : "(null)",
                module.Info().version ? module.Info().version : "(null)");
    std::printf("XPLUGIN_Init:      %d\n", module.InitResult());

    LifecycleReport report;
    const bool lived = RunLifecycle(module, report, error);
    PrintReport(report);
    std::printf("XPLUGIN_GetLastError: %d\n", module.LastError());

    std::string unloadError;
    const bool unloaded = module.Unload(&unloadError);
    std::printf("unloaded:          %s\n", YesNo(unloaded));

    if (!lived) {
        std::fprintf(stderr, "vellum-host: %s\n", error.c_str());
        return 1;
    }
    if (!unloaded) {
        std::fprintf(stderr, "vellum-host: %s\n", unloadError.c_str());
        return 1;
    }
    std::printf("result:            ok\n");
    return 0;
}
