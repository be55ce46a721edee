// The report of one run: what was deposited, the top-level cells' cameras online, the
// statistics comparison, the checks, each operation's calls and throughput, the scratch
// file, peak memory and the module's log; printed as text for people or JSON for scripts.
#ifndef VELLUM_TOOLS_HOST_REPORT_H
#define VELLUM_TOOLS_HOST_REPORT_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "measure.h"
#include "module_log.h"
#include "module_settings.h"
#include "session.h"
#include "site_index.h"

struct SiteFigures {
    uint64_t cells = 0;
    uint64_t type1Cells = 0;
    uint64_t type2Cells = 0;
    uint64_t levels = 0;  // deepest level + 1
    uint64_t devices = 0;
    uint64_t cameras = 0;
    uint64_t camerasOnline = 0;  // as deposited
    uint64_t ioChannels = 0;
    uint64_t ioChannelsAnswered = 0;  // IOTYPE 0
    uint64_t talkChannels = 0;
    uint64_t storeFolders = 0;
    uint64_t storeResources = 0;
    uint64_t customViews = 0;
    uint64_t customViewNodes = 0;
    uint64_t customViewResources = 0;
    uint64_t crowdFolders = 0;
    uint64_t crowdResources = 0;
    uint64_t statisticsEntries = 0;
};

SiteFigures SummariseSite(const SiteIndex& index);

struct Report {
    std::string modulePath;  // as loaded; as asked for when loading failed
    bool moduleLoaded = false;
    std::string pluginName;
    std::string pluginVersion;
    std::string siteFile;  // empty for a generated site
    std::string sizeName;  // the preset, or "custom"; empty for a loaded site
    uint64_t seed = 0;
    double siteSeconds = 0;  // generating or loading the site
    ModuleSettings settings;
    SiteFigures site;
    StatisticsFigures statistics;
    std::vector<OpStats> ops;
    std::vector<CheckStats> checks;
    std::string scratchPath;
    uint64_t scratchBytes = 0;  // before UnInit
    uint64_t peakMemoryBytes = 0;
    uint64_t logLines = 0;
    std::vector<ModuleLog::Tally> logTallies;
    std::vector<std::string> notableLogLines;
    double sessionSeconds = 0;  // Init to UnInit
    std::string failure;        // a step that failed outside the checks
    bool ok = false;
};

void PrintTextReport(const Report& report, std::FILE* out);
void PrintJsonReport(const Report& report, std::FILE* out);

#endif  // VELLUM_TOOLS_HOST_REPORT_H
