// ParseOptions over getopt_long, and the usage text.
#include "options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdlib>

#include "site_generator.h"
#include "text_format.h"

namespace {

enum Option : int {
    kSize = 256,
    kCameras,
    kCells,
    kSeed,
    kSite,
    kDumpSite,
    kJson,
    kModule,
    kHelp,
};

// A whole decimal number within [low, high].
bool ReadNumber(const char* option, const char* text, long long low, long long high,
                long long& value, std::string& error) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < low || value > high) {
        error = std::string(option) + " needs a whole number from " +
                Thousands(static_cast<int64_t>(low)) + " to " +
                Thousands(static_cast<int64_t>(high)) + ", not \"" + text + "\"";
        return false;
    }
    return true;
}

}  // namespace

void PrintUsage(std::FILE* out, const std::string& defaultModule) {
    std::fprintf(
        out,
        "usage: vellum-host [options]\n"
        "Loads the Vellum module as the client does, deposits a site through IVellum,\n"
        "plays a session against it and reports what it checked and measured.\n"
        "\n"
        "  --size NAME       site size: small (default), site or city\n"
        "  --cameras N       number of cameras (overrides the size)\n"
        "  --cells N         number of cells of both types, at least %d (overrides the size)\n"
        "  --seed N          seed of the generated site and of the session's choices (default 1)\n"
        "  --site FILE       load the site from a JSON file instead of generating one\n"
        "  --dump-site FILE  write the site (generated or loaded) to a JSON file, then run\n"
        "  --json            print the report as JSON\n"
        "  --module PATH     the module to load (default: %s)\n"
        "  --help            this text\n"
        "\n"
        "Sizes:\n",
        kMinCells, defaultModule.c_str());
    for (const SiteSize& size : SizePresets())
        std::fprintf(out, "  %-6s %11s cameras, %9s cells\n", size.name.c_str(),
                     Thousands(size.cameras).c_str(), Thousands(size.cells).c_str());
    std::fprintf(out,
                 "Exit status: 0 when every check passed, 1 when a check or a module step failed,\n"
                 "2 for a usage error or a site file that cannot be used.\n");
}

bool ParseOptions(int argc, char** argv, const std::string& defaultModule, HostOptions& options,
                  std::string& error) {
    static const struct option kOptions[] = {
        {"size", required_argument, nullptr, kSize},
        {"cameras", required_argument, nullptr, kCameras},
        {"cells", required_argument, nullptr, kCells},
        {"seed", required_argument, nullptr, kSeed},
        {"site", required_argument, nullptr, kSite},
        {"dump-site", required_argument, nullptr, kDumpSite},
        {"json", no_argument, nullptr, kJson},
        {"module", required_argument, nullptr, kModule},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    options = HostOptions();
    options.modulePath = defaultModule;
    bool sized = false;
    bool counted = false;
    long long cameras = -1;
    long long cells = -1;
    long long number = 0;

    opterr = 0;  // the messages below name the option
    optind = 0;  // a full restart, so that the parser can run more than once
    for (;;) {
        const int previous = optind;
        const int option = getopt_long(argc, argv, ":h", kOptions, nullptr);
        if (option == -1) break;
        switch (option) {
            case kSize:
                options.sizeName = optarg;
                sized = true;
                break;
            case kCameras:
                if (!ReadNumber("--cameras", optarg, 0, kMaxCameras, cameras, error)) return false;
                counted = true;
                break;
            case kCells:
                if (!ReadNumber("--cells", optarg, kMinCells, kMaxCells, cells, error))
                    return false;
                counted = true;
                break;
            case kSeed:
                if (!ReadNumber("--seed", optarg, 0, INT64_MAX, number, error)) return false;
                options.seed = static_cast<uint64_t>(number);
                break;
            case kSite:
                options.siteFile = optarg;
                break;
            case kDumpSite:
                options.dumpFile = optarg;
                break;
            case kJson:
                options.json = true;
                break;
            case kModule:
                options.modulePath = optarg;
                break;
            case kHelp:
            case 'h':
                options.help = true;
                break;
            case ':':
                error = std::string(argv[optind - 1]) + " needs a value";
                return false;
            default:
                error = std::string("unknown option ") +
                        argv[optind > previous ? optind - 1 : previous];
                return false;
        }
    }
    if (optind < argc) {
        error = std::string("unexpected argument ") + argv[optind];
        return false;
    }

    const SiteSize* preset = nullptr;
    for (const SiteSize& size : SizePresets())
        if (size.name == options.sizeName) preset = &size;
    if (preset == nullptr) {
        error = "--size must be small, site or city, not \"" + options.sizeName + "\"";
        return false;
    }
    if (!options.siteFile.empty() && (sized || counted)) {
        error =
            "--site loads a site whole; it cannot be combined with --size, --cameras or --cells";
        return false;
    }
    options.cameras = cameras >= 0 ? static_cast<int32_t>(cameras) : preset->cameras;
    options.cells = cells >= 0 ? static_cast<int32_t>(cells) : preset->cells;
    if (counted) options.sizeName = "custom";
    if (!options.siteFile.empty()) options.sizeName.clear();
    if (options.modulePath.empty()) {
        error = "--module needs a path";
        return false;
    }
    return true;
}
