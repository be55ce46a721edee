// The command line of vellum-host, read with getopt_long.
#ifndef VELLUM_TOOLS_HOST_OPTIONS_H
#define VELLUM_TOOLS_HOST_OPTIONS_H

#include <cstdint>
#include <cstdio>
#include <string>

struct HostOptions {
    std::string modulePath;
    std::string sizeName = "small";  // the preset named by --size, or "custom"
    int32_t cameras = 0;             // from the preset unless --cameras
    int32_t cells = 0;               // from the preset unless --cells
    uint64_t seed = 1;
    std::string siteFile;  // --site
    std::string dumpFile;  // --dump-site
    bool json = false;
    bool help = false;
};

// Fills `options` from the command line; false with `error` set on an unknown option, a
// missing or malformed value, or options that exclude each other.
bool ParseOptions(int argc, char** argv, const std::string& defaultModule, HostOptions& options,
                  std::string& error);

void PrintUsage(std::FILE* out, const std::string& defaultModule);

#endif  // VELLUM_TOOLS_HOST_OPTIONS_H
