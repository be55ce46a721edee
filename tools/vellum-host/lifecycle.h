// One instance's life under a loaded module: CreateVellum, Init under a fresh
// temporary prefix, UnInit, DestroyVellum, with what was observed at each step.
#ifndef VELLUM_TOOLS_HOST_LIFECYCLE_H
#define VELLUM_TOOLS_HOST_LIFECYCLE_H

#include <string>
#include <vector>

#include "module_loader.h"

// One line the module wrote through xlog.
struct LogLine {
    int level = 0;
    std::string module;
    std::string text;
};

struct LifecycleReport {
    std::string prefix;       // the temporary directory handed to Init, ending in '/'
    std::string instance;     // the instance address as "%p" prints it
    std::string scratchPath;  // prefix + "db_" + instance
    bool initResult = false;
    bool fileAfterInit = false;
    unsigned fileMode = 0;  // permission bits of the scratch file after Init
    bool fileAfterUnInit = false;
    std::vector<std::string> leftovers;  // entries left in the prefix after UnInit
    std::vector<LogLine> log;            // the module's log lines, in order
};

// Runs the life of one created instance under `module`. Fills `report` with what it
// observed, also on failure. False with `error` set when a step could not be taken
// or an observation contradicts the expected life of the scratch file.
bool RunLifecycle(const ModuleLoader& module, LifecycleReport& report, std::string& error);

#endif  // VELLUM_TOOLS_HOST_LIFECYCLE_H
