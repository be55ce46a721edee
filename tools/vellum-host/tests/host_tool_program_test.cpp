// The vellum-host program end to end, run as a child process against the built module:
// its default run, its JSON report, a dumped site replayed, and refused input.
#include <gtest/gtest.h>

#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <utility>

#include "host_tool_support.h"
#include "text_format.h"

namespace {

using nlohmann::json;

// The fields of a JSON report that differ between runs of the same site and seed.
void DropRunSpecifics(json& report) {
    report["site"].erase("seconds");
    report["site"].erase("file");
    report["site"].erase("size");
    report.erase("sessionSeconds");
    report.erase("peakMemoryBytes");
    report["scratchFile"].erase("path");
    for (json& op : report["operations"]) {
        op.erase("seconds");
        op.erase("callsPerSecond");
        op.erase("recordsPerSecond");
    }
}

// The report's line that starts with `label` after leading blanks.
std::string LineOf(const std::string& text, const std::string& label) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string line =
            text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, label.size(), label) == 0 &&
            (line.size() == first + label.size() || line[first + label.size()] == ' '))
            return line;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return "";
}

// The block of the report from the line starting with `heading` to the next blank line.
std::string Section(const std::string& text, const std::string& heading) {
    const std::size_t start = text.find("\n" + heading);
    if (start == std::string::npos) return "";
    const std::size_t end = text.find("\n\n", start + 1);
    return text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start);
}

bool HasWord(const std::string& line, const std::string& word) {
    return std::regex_search(line, std::regex("(^|\\s)" + word + "(\\s|$)"));
}

}  // namespace

TEST(HostProgram, DefaultRunExitsZeroWithEveryType2CellRolledUpAsRecounted) {
    const HostRun run = RunHost({});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(
        run.out, match,
        std::regex("rolled up = recounted for ([0-9,]+) of ([0-9,]+) type-2 cells\n")))
        << run.out;
    EXPECT_EQ(match[1], match[2]);
    EXPECT_NE(match[1], "0");
    EXPECT_NE(run.out.find("Result         ok\n"), std::string::npos);
    // Not a terminal: no progress lines.
    EXPECT_EQ(run.err, "");
}

TEST(HostProgram, JsonReportParsesAndHoldsEveryFigureOfTheTextReport) {
    const HostRun text = RunHost({"--seed", "4"});
    const HostRun asJson = RunHost({"--seed", "4", "--json"});
    ASSERT_EQ(text.status, 0) << text.err;
    ASSERT_EQ(asJson.status, 0) << asJson.err;
    json report;
    ASSERT_NO_THROW(report = json::parse(asJson.out)) << asJson.out;
    EXPECT_TRUE(report["ok"].get<bool>());
    EXPECT_EQ(report["module"]["name"], "Vellum");

    const json& statistics = report["statistics"];
    EXPECT_GT(statistics["type2Cells"].get<uint64_t>(), 0u);
    EXPECT_EQ(statistics["type2Equal"], statistics["type2Cells"]);
    EXPECT_EQ(statistics["type2Cells"], report["deposited"]["type2Cells"]);
    EXPECT_NE(text.out.find("rolled up = recounted for " +
                            Thousands(statistics["type2Equal"].get<uint64_t>()) + " of " +
                            Thousands(statistics["type2Cells"].get<uint64_t>())),
              std::string::npos);

    // Every deposited count, statistic, check and operation figure stands in the text too.
    const std::string depositedText = Section(text.out, "Deposited");
    const std::pair<const char*, const char*> depositedFigures[] = {
        {"cells", "cells"},
        {"type1Cells", "cells"},
        {"type2Cells", "cells"},
        {"levels", "cells"},
        {"devices", "devices"},
        {"cameras", "cameras"},
        {"camerasOnline", "cameras"},
        {"ioChannels", "IO channels"},
        {"ioChannelsAnswered", "IO channels"},
        {"talkChannels", "talk channels"},
        {"storeFolders", "storage folders"},
        {"storeResources", "storage folders"},
        {"customViews", "custom views"},
        {"customViewNodes", "custom views"},
        {"customViewResources", "custom views"},
        {"crowdFolders", "crowd folders"},
        {"crowdResources", "crowd folders"},
        {"statisticsEntries", "statistics entries"}};
    const json& deposited = report["deposited"];
    ASSERT_EQ(deposited.size(), std::size(depositedFigures));
    for (const auto& [field, label] : depositedFigures)
        EXPECT_TRUE(
            HasWord(LineOf(depositedText, label), Thousands(deposited[field].get<uint64_t>())))
            << field;
    const std::string statisticsText = Section(text.out, "Statistics");
    for (const char* field :
         {"statusChanges", "wentOnline", "wentOffline", "unchanged", "recountCalls"})
        EXPECT_TRUE(HasWord(statisticsText, Thousands(statistics[field].get<uint64_t>()))) << field;
    EXPECT_NE(
        text.out.find("Scratch file   " + Bytes(report["scratchFile"]["bytes"].get<uint64_t>())),
        std::string::npos);
    EXPECT_NE(text.out.find("Module log     " + Thousands(report["log"]["lines"].get<uint64_t>()) +
                            " lines"),
              std::string::npos);
    ASSERT_FALSE(report["checks"].empty());
    const std::string checks = Section(text.out, "Checks");
    for (const json& check : report["checks"]) {
        const std::string line = LineOf(checks, check["name"].get<std::string>());
        EXPECT_TRUE(HasWord(line, Thousands(check["compared"].get<uint64_t>()))) << line;
        EXPECT_EQ(check["failed"], 0) << check["firstFailure"];
    }
    ASSERT_GE(report["operations"].size(), 40u);
    const std::string operations = Section(text.out, "Operations");
    for (const json& op : report["operations"]) {
        const std::string line = LineOf(operations, op["name"].get<std::string>());
        EXPECT_TRUE(HasWord(line, Thousands(op["calls"].get<uint64_t>()))) << line;
        EXPECT_TRUE(HasWord(line, Thousands(op["records"].get<uint64_t>()))) << line;
        EXPECT_GT(op["calls"].get<uint64_t>(), 0u) << op["name"];
    }
    ASSERT_FALSE(statistics["topCells"].empty());
    const std::string cells = Section(text.out, "Top-level cells");
    for (const json& cell : statistics["topCells"]) {
        const std::string rolled = Thousands(cell["rolledUp"]["online"].get<int64_t>()) + " / " +
                                   Thousands(cell["rolledUp"]["cameras"].get<int64_t>());
        EXPECT_NE(LineOf(cells, cell["name"].get<std::string>()).find(rolled), std::string::npos)
            << rolled;
    }
    EXPECT_GT(report["scratchFile"]["bytes"].get<uint64_t>(), 0u);
    EXPECT_GT(report["peakMemoryBytes"].get<uint64_t>(), 0u);
    // xlog's default threshold takes none of the module's lines of level 2.
    EXPECT_EQ(report["log"]["lines"].get<uint64_t>(), 0u);
}

TEST(HostProgram, LogLevelFromTheEnvironmentCountsEveryCameraLine) {
    ASSERT_EQ(setenv("XLOG_LEVEL", "2", 1), 0);
    const HostRun run = RunHost({"--seed", "4", "--json"});
    unsetenv("XLOG_LEVEL");
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    // A line per camera deposited, and the Init and UnInit lines.
    EXPECT_EQ(report["log"]["lines"].get<uint64_t>(),
              report["deposited"]["cameras"].get<uint64_t>() + 2);
}

TEST(HostProgram, DumpedSiteLoadedBackGivesTheSameFigures) {
    const std::string file = ScratchPath("dumped.json");
    const HostRun generated = RunHost(
        {"--seed", "9", "--cameras", "1500", "--cells", "120", "--dump-site", file, "--json"});
    ASSERT_EQ(generated.status, 0) << generated.err;
    const HostRun loaded = RunHost({"--site", file, "--seed", "9", "--json"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    std::remove(file.c_str());

    json first = json::parse(generated.out);
    json second = json::parse(loaded.out);
    EXPECT_EQ(second["site"]["file"], file);
    DropRunSpecifics(first);
    DropRunSpecifics(second);
    EXPECT_EQ(first, second) << json::diff(first, second).dump(2);
}

// The settings are read beside the module, so a copy of the module gets its own; the
// copy finds the logging library already loaded by vellum-host.
TEST(HostProgram, FollowsTheModuleSettingsInForce) {
    const std::string directory = ScratchPath("settings/");
    ASSERT_EQ(std::system(("mkdir -p " + ShellQuoted(directory)).c_str()), 0);
    const std::string module = directory + "libvellum.so";
    WriteWhole(module, ReadWhole(VELLUM_MODULE_FILE));
    WriteWhole(directory + "DefCfg.ini",
               "garbage [[[\n[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    const HostRun run = RunHost({"--module", module, "--json"});
    std::remove(module.c_str());
    std::remove((directory + "DefCfg.ini").c_str());
    rmdir(directory.c_str());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(report["settings"]["present"], true);
    EXPECT_EQ(report["settings"]["unreadLines"], json::array({1}));
    EXPECT_EQ(report["settings"]["tvwallVersion"], 6731);
    EXPECT_EQ(report["settings"]["cameraIndexSort"], 1);
    // Descending order and enciphered transport paths read back as the site has them.
    for (const json& check : report["checks"])
        EXPECT_EQ(check["failed"], 0) << check["firstFailure"];
}

TEST(HostProgram, RefusesBadSiteFilesNamingThePlace) {
    const std::string file = ScratchPath("bad.json");
    auto refusal = [&](const std::string& text) {
        WriteWhole(file, text);
        const HostRun run = RunHost({"--site", file});
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "");
        return run.err;
    };
    EXPECT_NE(refusal("{\"format\": ").find(file + ": malformed JSON: parse error at line 1"),
              std::string::npos);
    EXPECT_EQ(refusal(R"({"format": "vellum-site", "version": "1"})"),
              "vellum-host: " + file + ": version: must be an integer, not string\n");
    EXPECT_EQ(refusal(R"({"format": "vellum-site", "version": 1,
        "cells": [{"id": 1, "type": 1, "parentId": 0, "ownerId": 0, "sortOrder": 0, "indexCode": "R", "name": ""}],
        "devices": [{"id": 1, "indexCode": "D", "name": "", "ip": "", "port": 0, "userName": "", "password": "",
                     "type": 0, "domainId": 0}],
        "cameras": [{"id": 1, "device": 1, "cell": 99, "channelNo": 1, "type": 0, "matrixCode": 1, "seqIndex": 0,
                     "online": true, "indexCode": "K", "name": "", "privilege": "", "recordLocation": "",
                     "transPath": ""}]})"),
              "vellum-host: " + file + ": cameras[0].cell: no type-2 cell with id 99\n");
    std::remove(file.c_str());

    const HostRun missing = RunHost({"--site", file});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "vellum-host: " + file + ": cannot open: No such file or directory\n");
}

TEST(HostProgram, RefusesBadOptionsWithUsageStatus) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--size", "huge"},
                                                 {"--cells", "4"},
                                                 {"--cameras", "12x"},
                                                 {"--site", "x.json", "--size", "city"},
                                                 {"--frobnicate"},
                                                 {"--seed"},
                                                 {"stray"}}) {
        const HostRun run = RunHost(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err.rfind("vellum-host: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const HostRun help = RunHost({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dump-site FILE"), std::string::npos);
}

TEST(HostProgram, ReportsAModuleThatCannotBeLoaded) {
    const HostRun run =
        RunHost({"--cells", "5", "--cameras", "0", "--module", ScratchPath("no-such-module.so")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot load"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Result         FAILED"), std::string::npos);
    EXPECT_EQ(run.out.find("Deposited"), std::string::npos) << "no tables without a module";
}
