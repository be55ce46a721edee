// Printing the report, as text and as JSON (nlohmann::ordered_json, so keys keep the
// order of the text report).
#include "report.h"

#include <nlohmann/json.hpp>

#include "text_format.h"

namespace {

using nlohmann::ordered_json;

std::string Indented(const CellFigures& cell) {
    return std::string(static_cast<std::size_t>(cell.level) * 2, ' ') + cell.name;
}

std::string OnlineOf(const SiteIndex::Count& count) {
    return Thousands(count.online) + " / " + Thousands(count.total);
}

void PrintDeposited(const Report& r, std::FILE* out) {
    const SiteFigures& s = r.site;
    auto line = [&](const char* what, uint64_t count, const std::string& detail) {
        std::fprintf(out, "  %s %s%s%s\n", PadRight(what, 20).c_str(),
                     PadLeft(Thousands(count), 10).c_str(), detail.empty() ? "" : "   ",
                     detail.c_str());
    };
    std::fprintf(out, "\nDeposited\n");
    line("cells", s.cells,
         Thousands(s.type1Cells) + " type-1, " + Thousands(s.type2Cells) + " type-2, " +
             Thousands(s.levels) + " levels");
    line("devices", s.devices, "");
    line("cameras", s.cameras, Thousands(s.camerasOnline) + " online");
    line("IO channels", s.ioChannels,
         Thousands(s.ioChannelsAnswered) + " of IOTYPE 0, " +
             Thousands(s.ioChannels - s.ioChannelsAnswered) + " of other types (never answered)");
    line("talk channels", s.talkChannels, "");
    line("storage folders", s.storeFolders, Thousands(s.storeResources) + " resources");
    line("custom views", s.customViews,
         Thousands(s.customViewNodes) + " nodes, " + Thousands(s.customViewResources) +
             " resources");
    line("crowd folders", s.crowdFolders, Thousands(s.crowdResources) + " resources");
    line("statistics entries", s.statisticsEntries, "one per cell");
}

void PrintCells(const Report& r, std::FILE* out) {
    const StatisticsFigures& st = r.statistics;
    std::fprintf(out, "\nTop-level cells after the burst    %s   %s\n",
                 PadLeft("online / cameras", 21).c_str(), "type-1 recount*");
    for (const CellFigures& cell : st.topCells)
        std::fprintf(out, "  %s %s   %s\n", PadRight(Indented(cell), 32).c_str(),
                     PadLeft(OnlineOf(cell.rolledUp), 21).c_str(),
                     PadLeft(OnlineOf(cell.recounted), 15).c_str());
    if (st.topCellsOmitted > 0)
        std::fprintf(out, "  ... and %s more\n", Thousands(st.topCellsOmitted).c_str());
    std::fprintf(out,
                 "  * a type-1 recount adds only its type-1 children's entries, so it is shown, "
                 "not compared\n");

    std::fprintf(out, "\nStatistics\n");
    std::fprintf(
        out, "  status burst   %s changes: %s went online, %s went offline, %s repeated a status\n",
        Thousands(st.statusChanges).c_str(), Thousands(st.wentOnline).c_str(),
        Thousands(st.wentOffline).c_str(), Thousands(st.unchanged).c_str());
    std::fprintf(out, "  recount        %s calls, one per type-2 cell without type-2 children\n",
                 Thousands(st.recountCalls).c_str());
    std::fprintf(out, "  rolled up = recounted for %s of %s type-2 cells%s\n",
                 Thousands(st.type2Equal).c_str(), Thousands(st.type2Cells).c_str(),
                 st.type2Equal == st.type2Cells ? "" : "  <-- MISMATCH");
    for (const std::string& difference : st.firstDifferences)
        std::fprintf(out, "    %s\n", difference.c_str());
}

void PrintChecks(const Report& r, std::FILE* out) {
    std::fprintf(out, "\nChecks against the site                  compared      failed\n");
    for (const CheckStats& check : r.checks) {
        std::fprintf(out, "  %s %s %s\n", PadRight(check.name, 38).c_str(),
                     PadLeft(Thousands(check.compared), 10).c_str(),
                     PadLeft(Thousands(check.failed), 11).c_str());
        if (check.failed != 0) std::fprintf(out, "    first: %s\n", check.firstFailure.c_str());
    }
}

void PrintOperations(const Report& r, std::FILE* out) {
    std::fprintf(out,
                 "\nOperations                          calls     records        time       "
                 "calls/s     records/s\n");
    for (const OpStats& op : r.ops)
        std::fprintf(out, "  %s %s %s %s %s %s\n", PadRight(op.name, 32).c_str(),
                     PadLeft(Thousands(op.calls), 7).c_str(),
                     PadLeft(Thousands(op.records), 11).c_str(),
                     PadLeft(Duration(op.seconds), 11).c_str(),
                     PadLeft(Rate(op.calls, op.seconds), 13).c_str(),
                     PadLeft(Rate(op.records, op.seconds), 13).c_str());
}

ordered_json CountJson(const SiteIndex::Count& count) {
    return {{"online", count.online}, {"cameras", count.total}};
}

}  // namespace

SiteFigures SummariseSite(const SiteIndex& index) {
    const Site& site = index.Data();
    SiteFigures f;
    f.cells = site.cells.size();
    for (const SiteCell& cell : site.cells) (cell.type == 1 ? f.type1Cells : f.type2Cells) += 1;
    f.levels = static_cast<uint64_t>(index.MaxLevel() + 1);
    f.devices = site.devices.size();
    f.cameras = site.cameras.size();
    for (const SiteCamera& camera : site.cameras) f.camerasOnline += camera.online ? 1 : 0;
    f.ioChannels = site.ioChannels.size();
    for (const SiteIoChannel& io : site.ioChannels) f.ioChannelsAnswered += io.ioType == 0 ? 1 : 0;
    f.talkChannels = site.talkChannels.size();
    f.storeFolders = site.storeFolders.size();
    for (const SiteStoreFolder& folder : site.storeFolders)
        f.storeResources += folder.resources.size();
    f.customViews = site.views.size();
    for (const SiteView& view : site.views) {
        f.customViewNodes += view.nodes.size();
        for (const SiteViewNode& node : view.nodes) f.customViewResources += node.resources.size();
    }
    f.crowdFolders = site.crowdFolders.size();
    for (const SiteCrowdFolder& folder : site.crowdFolders)
        f.crowdResources += folder.resources.size();
    f.statisticsEntries = site.cells.size();
    return f;
}

namespace {

// The module could not be loaded: no session ran, so there is nothing else to report.
void PrintLoadFailure(const Report& r, std::FILE* out) {
    std::fprintf(out, "Module not loaded from %s\n  %s\n", r.modulePath.c_str(), r.failure.c_str());
    std::fprintf(out,
                 "Check that the path names the built module (cmake --build build/default "
                 "--target vellum\nbuilds it), or give the right one with --module PATH.\n");
    std::fprintf(out, "Result         FAILED\n");
}

void PrintSettings(const ModuleSettings& settings, std::FILE* out) {
    std::fprintf(
        out,
        "Settings from %s: %s; Version %d (TRANSPATH %s), camera_index_sort %d (SEQINDEX %s)\n",
        settings.path.c_str(), settings.present ? "present" : "absent", settings.tvwallVersion,
        settings.TransPathEnciphered() ? "enciphered" : "plain", settings.cameraIndexSort,
        settings.CamerasDescending() ? "descending" : "ascending");
    if (settings.unreadLines.empty()) return;
    std::string lines;
    for (int line : settings.unreadLines)
        lines += (lines.empty() ? "" : ", ") + std::to_string(line);
    std::fprintf(out, "  WARNING: line%s %s could not be read; the module ignores %s\n",
                 settings.unreadLines.size() == 1 ? "" : "s", lines.c_str(),
                 settings.unreadLines.size() == 1 ? "it" : "them");
}

}  // namespace

void PrintTextReport(const Report& r, std::FILE* out) {
    if (!r.moduleLoaded) {
        PrintLoadFailure(r, out);
        return;
    }
    std::fprintf(out, "%s %s loaded from %s\n", r.pluginName.c_str(), r.pluginVersion.c_str(),
                 r.modulePath.c_str());
    if (r.siteFile.empty())
        std::fprintf(out, "Site generated from seed %llu, size %s, in %s\n",
                     static_cast<unsigned long long>(r.seed), r.sizeName.c_str(),
                     Duration(r.siteSeconds).c_str());
    else
        std::fprintf(out, "Site loaded from %s in %s; session seed %llu\n", r.siteFile.c_str(),
                     Duration(r.siteSeconds).c_str(), static_cast<unsigned long long>(r.seed));
    PrintSettings(r.settings, out);
    PrintDeposited(r, out);
    PrintCells(r, out);
    PrintChecks(r, out);
    PrintOperations(r, out);

    std::fprintf(out, "\nScratch file   %s before UnInit (%s), removed by UnInit\n",
                 Bytes(r.scratchBytes).c_str(), r.scratchPath.c_str());
    std::fprintf(out, "Peak memory    %s\n", Bytes(r.peakMemoryBytes).c_str());
    std::fprintf(out, "Module log     %s lines", Thousands(r.logLines).c_str());
    for (std::size_t i = 0; i < r.logTallies.size(); ++i)
        std::fprintf(out, "%s %s level %d: %s", i == 0 ? ":" : ",", r.logTallies[i].module.c_str(),
                     r.logTallies[i].level, Thousands(r.logTallies[i].lines).c_str());
    std::fprintf(out, "\n");
    for (const std::string& line : r.notableLogLines) std::fprintf(out, "  %s\n", line.c_str());
    std::fprintf(out, "Session        %s from Init to UnInit\n",
                 Duration(r.sessionSeconds).c_str());
    if (!r.failure.empty()) std::fprintf(out, "Failure        %s\n", r.failure.c_str());
    std::fprintf(out, "Result         %s\n", r.ok ? "ok" : "FAILED");
}

void PrintJsonReport(const Report& r, std::FILE* out) {
    const SiteFigures& s = r.site;
    ordered_json site = {
        {"file", r.siteFile.empty() ? ordered_json(nullptr) : ordered_json(r.siteFile)},
        {"size", r.sizeName.empty() ? ordered_json(nullptr) : ordered_json(r.sizeName)},
        {"seed", r.seed},
        {"seconds", r.siteSeconds}};
    ordered_json deposited = {{"cells", s.cells},
                              {"type1Cells", s.type1Cells},
                              {"type2Cells", s.type2Cells},
                              {"levels", s.levels},
                              {"devices", s.devices},
                              {"cameras", s.cameras},
                              {"camerasOnline", s.camerasOnline},
                              {"ioChannels", s.ioChannels},
                              {"ioChannelsAnswered", s.ioChannelsAnswered},
                              {"talkChannels", s.talkChannels},
                              {"storeFolders", s.storeFolders},
                              {"storeResources", s.storeResources},
                              {"customViews", s.customViews},
                              {"customViewNodes", s.customViewNodes},
                              {"customViewResources", s.customViewResources},
                              {"crowdFolders", s.crowdFolders},
                              {"crowdResources", s.crowdResources},
                              {"statisticsEntries", s.statisticsEntries}};
    const StatisticsFigures& st = r.statistics;
    ordered_json topCells = ordered_json::array();
    for (const CellFigures& cell : st.topCells)
        topCells.push_back({{"id", cell.id},
                            {"type", cell.type},
                            {"name", cell.name},
                            {"level", cell.level},
                            {"rolledUp", CountJson(cell.rolledUp)},
                            {"recounted", CountJson(cell.recounted)}});
    ordered_json statistics = {{"statusChanges", st.statusChanges},
                               {"wentOnline", st.wentOnline},
                               {"wentOffline", st.wentOffline},
                               {"unchanged", st.unchanged},
                               {"camerasOnline", st.camerasOnline},
                               {"recountCalls", st.recountCalls},
                               {"type2Cells", st.type2Cells},
                               {"type2Equal", st.type2Equal},
                               {"firstDifferences", st.firstDifferences},
                               {"topCells", std::move(topCells)},
                               {"topCellsOmitted", st.topCellsOmitted}};
    ordered_json checks = ordered_json::array();
    for (const CheckStats& check : r.checks)
        checks.push_back({{"name", check.name},
                          {"compared", check.compared},
                          {"failed", check.failed},
                          {"firstFailure", check.firstFailure}});
    ordered_json ops = ordered_json::array();
    for (const OpStats& op : r.ops)
        ops.push_back(
            {{"name", op.name},
             {"calls", op.calls},
             {"records", op.records},
             {"seconds", op.seconds},
             {"callsPerSecond", op.seconds > 0 ? static_cast<double>(op.calls) / op.seconds : 0.0},
             {"recordsPerSecond",
              op.seconds > 0 ? static_cast<double>(op.records) / op.seconds : 0.0}});
    ordered_json tallies = ordered_json::array();
    for (const ModuleLog::Tally& tally : r.logTallies)
        tallies.push_back({{"module", tally.module},
                           {"level", tally.level},
                           {"lines", tally.lines},
                           {"first", tally.first}});

    ordered_json document = {
        {"module",
         {{"path", r.modulePath},
          {"loaded", r.moduleLoaded},
          {"name", r.pluginName},
          {"version", r.pluginVersion}}},
        {"site", std::move(site)},
        {"settings",
         {{"file", r.settings.path},
          {"present", r.settings.present},
          {"unreadLines", r.settings.unreadLines},
          {"tvwallVersion", r.settings.tvwallVersion},
          {"cameraIndexSort", r.settings.cameraIndexSort}}},
        {"deposited", std::move(deposited)},
        {"statistics", std::move(statistics)},
        {"checks", std::move(checks)},
        {"operations", std::move(ops)},
        {"scratchFile", {{"path", r.scratchPath}, {"bytes", r.scratchBytes}}},
        {"peakMemoryBytes", r.peakMemoryBytes},
        {"log",
         {{"lines", r.logLines}, {"tallies", std::move(tallies)}, {"notable", r.notableLogLines}}},
        {"sessionSeconds", r.sessionSeconds},
        {"failure", r.failure.empty() ? ordered_json(nullptr) : ordered_json(r.failure)},
        {"ok", r.ok}};
    // Texts from the module may not be UTF-8; replace what is not, rather than fail.
    const std::string text = document.dump(2, ' ', false, ordered_json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
}
