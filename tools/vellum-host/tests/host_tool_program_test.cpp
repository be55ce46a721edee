// The vellum-host program end to end, run as a child process against the built module:
// its report in text and JSON, a dumped site replayed under the module's settings, and
// refused options and input with their exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "host_tool_support.h"
#include "text_format.h"

namespace {

using nlohmann::json;

// Whether a line of the report's block from the line starting with `heading` to the next
// blank line starts (after blanks) with `label` and holds each of `figures` as a word.
bool HasLine(const std::string& text, const std::string& heading, const std::string& label,
             const std::vector<uint64_t>& figures) {
    const std::size_t start = text.find("\n" + heading);
    if (start == std::string::npos) return false;
    const std::string block = text.substr(start + 1, text.find("\n\n", start + 1) - start);
    std::string pattern = "(^|\n) *" + std::regex_replace(label, std::regex("[()]"), "\\$&");
    for (uint64_t figure : figures) pattern += "[^\n]* " + Thousands(figure) + "( |\n)";
    return std::regex_search(block, std::regex(pattern));
}

}  // namespace

// The default run is the whole session, each answer checked against the site (the exit
// status says all passed); its JSON twin of the same seed holds every figure of the text.
TEST(HostProgram, DefaultRunPassesAndItsJsonReportHoldsEveryFigureOfTheText) {
    const HostRun text = RunHost({});
    const HostRun asJson = RunHost({"--seed", "1", "--json"});
    ASSERT_EQ(text.status, 0) << text.out << text.err;
    ASSERT_EQ(asJson.status, 0) << asJson.err;
    EXPECT_EQ(text.err, "");  // not a terminal: no progress lines
    EXPECT_NE(text.out.find("Result         ok\n"), std::string::npos);
    const json report = json::parse(asJson.out);

    // The generated site holds every kind of data, four type-1 levels above the type-2
    // cells, IO channels that are never answered, and cameras on and off line.
    const json& site = report["deposited"];
    for (const auto& [field, value] : site.items()) {
        EXPECT_GT(value.get<uint64_t>(), 0u) << field;
        EXPECT_TRUE(HasLine(text.out, "Deposited", "", {value})) << field;
    }
    EXPECT_GT(site["levels"].get<uint64_t>(), 4u);
    EXPECT_LT(site["ioChannelsAnswered"], site["ioChannels"]);
    EXPECT_LT(site["camerasOnline"], site["cameras"]);
    const json& statistics = report["statistics"];
    EXPECT_EQ(statistics["type2Cells"], site["type2Cells"]);
    EXPECT_TRUE(HasLine(text.out, "Statistics", "rolled up = recounted for",
                        {statistics["type2Equal"], statistics["type2Cells"]}));
    EXPECT_TRUE(HasLine(text.out, "Statistics", "status burst",
                        {statistics["statusChanges"], statistics["wentOnline"],
                         statistics["wentOffline"], statistics["unchanged"]}));
    EXPECT_NE(text.out.find("Scratch file   " + Bytes(report["scratchFile"]["bytes"])),
              std::string::npos);
    EXPECT_GT(report["scratchFile"]["bytes"].get<uint64_t>(), 0u);
    EXPECT_GT(report["peakMemoryBytes"].get<uint64_t>(), 0u);
    EXPECT_NE(text.out.find("Module log     0 lines"), std::string::npos);

    ASSERT_FALSE(report["checks"].empty());
    for (const json& check : report["checks"])
        EXPECT_TRUE(HasLine(text.out, "Checks", check["name"], {check["compared"]}))
            << check["name"];
    ASSERT_GE(report["operations"].size(), 40u);
    for (const json& op : report["operations"]) {
        EXPECT_TRUE(HasLine(text.out, "Operations", op["name"], {op["calls"], op["records"]}))
            << op["name"];
        EXPECT_GT(op["calls"].get<uint64_t>(), 0u) << op["name"];
    }
}

// A dumped site replayed gives the same figures, though through a copy of the module that
// reads its own settings (descending order, enciphered paths) and finds the logging library
// loaded by vellum-host: XLOG_LEVEL=2 takes a line per camera deposited, Init and UnInit.
TEST(HostProgram, ReplaysADumpedSiteFollowingTheModuleSettingsAndTheLogLevelInForce) {
    const std::string directory = ScratchPath("settings/");
    const std::string module = directory + "libvellum.so";
    const std::string file = directory + "dumped.json";
    std::filesystem::create_directories(directory);
    std::filesystem::copy_file(VELLUM_MODULE_FILE, module);
    WriteWhole(directory + "DefCfg.ini",
               "garbage [[[\n[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    const HostRun generated = RunHost(
        {"--seed", "9", "--cameras", "1500", "--cells", "120", "--dump-site", file, "--json"});
    ASSERT_EQ(setenv("XLOG_LEVEL", "2", 1), 0);
    const HostRun loaded = RunHost({"--site", file, "--seed", "9", "--module", module, "--json"});
    unsetenv("XLOG_LEVEL");
    std::filesystem::remove_all(directory);
    ASSERT_EQ(generated.status, 0) << generated.err;
    ASSERT_EQ(loaded.status, 0) << loaded.out << loaded.err;

    const json first = json::parse(generated.out);
    const json second = json::parse(loaded.out);
    EXPECT_EQ(second["site"]["file"], file);
    for (const char* part : {"deposited", "statistics", "checks"})
        EXPECT_EQ(first[part], second[part]) << json::diff(first[part], second[part]).dump(2);
    json settings = second["settings"];
    settings.erase("file");
    EXPECT_EQ(settings, json::parse(R"({"present": true, "unreadLines": [1],
                                        "tvwallVersion": 6731, "cameraIndexSort": 1})"));
    EXPECT_EQ(second["log"]["lines"], 1500 + 2);
}

// Usage faults and unreadable site files exit with 2 and say why on standard error alone; a
// module that cannot be loaded gives a failed report and status 1.
TEST(HostProgram, RefusesBadOptionsSiteFilesAndModulesWithTheirStatus) {
    const std::string file = ScratchPath("bad.json");
    const std::string missing = ScratchPath("missing.json");
    WriteWhole(file, R"({"format": "vellum-site", "version": "1"})");
    const std::vector<std::string> refused[] = {
        {"--size", "huge"}, {"--cells", "4"}, {"--cameras", "12x"},
        {"--frobnicate"},   {"--seed"},       {"stray"},
        {"--site", "x.json", "--size", "city"}, {"--site", file}, {"--site", missing}};
    std::vector<std::string> errors;
    for (const std::vector<std::string>& args : refused) {
        const HostRun run = RunHost(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err.rfind("vellum-host: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
        errors.push_back(run.err);
    }
    EXPECT_EQ(errors[7], "vellum-host: " + file + ": version: must be an integer, not string\n");
    EXPECT_EQ(errors[8], "vellum-host: " + missing + ": cannot open: No such file or directory\n");
    std::remove(file.c_str());
    const HostRun help = RunHost({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dump-site FILE"), std::string::npos);
    const HostRun run =
        RunHost({"--cells", "5", "--cameras", "0", "--module", ScratchPath("no-such-module.so")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot load"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Result         FAILED"), std::string::npos);
    EXPECT_EQ(run.out.find("Deposited"), std::string::npos) << "no tables without a module";
}
