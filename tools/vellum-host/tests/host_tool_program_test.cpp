// The vellum-host program end to end, run as a child process against the built module:
// its report in text and JSON, a dumped site replayed, the settings it follows, and
// refused options and input with their exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "host_tool_support.h"
#include "text_format.h"

namespace {

using nlohmann::json;

// The block of the report from the line starting with `heading` to the next blank line.
std::string Section(const std::string& text, const std::string& heading) {
    const std::size_t start = text.find("\n" + heading);
    if (start == std::string::npos) return "";
    return text.substr(start + 1, text.find("\n\n", start + 1) - start);
}

// Whether a line of `text` starts (after blanks) with `label` and holds each of `figures`
// as a word of its own.
bool HasLine(const std::string& text, const std::string& label,
             const std::vector<uint64_t>& figures) {
    std::string pattern = "(^|\n) *" + std::regex_replace(label, std::regex("[()]"), "\\$&");
    for (uint64_t figure : figures) pattern += "[^\n]* " + Thousands(figure) + "( |\n)";
    return std::regex_search(text, std::regex(pattern));
}

}  // namespace

// The default run is the whole session, each answer checked against the site; its JSON
// twin of the same seed holds every figure of the text.
TEST(HostProgram, DefaultRunPassesAndItsJsonReportHoldsEveryFigureOfTheText) {
    const HostRun text = RunHost({});
    const HostRun asJson = RunHost({"--seed", "1", "--json"});
    ASSERT_EQ(text.status, 0) << text.out << text.err;
    ASSERT_EQ(asJson.status, 0) << asJson.err;
    EXPECT_EQ(text.err, "");  // not a terminal: no progress lines
    EXPECT_NE(text.out.find("Result         ok\n"), std::string::npos);
    json report;
    ASSERT_NO_THROW(report = json::parse(asJson.out)) << asJson.out;
    EXPECT_TRUE(report["ok"].get<bool>());
    EXPECT_EQ(report["module"]["name"], "Vellum");

    const json& statistics = report["statistics"];
    EXPECT_GT(statistics["type2Cells"].get<uint64_t>(), 0u);
    EXPECT_EQ(statistics["type2Equal"], statistics["type2Cells"]);
    EXPECT_EQ(statistics["type2Cells"], report["deposited"]["type2Cells"]);
    EXPECT_TRUE(HasLine(text.out, "rolled up = recounted for",
                        {statistics["type2Equal"], statistics["type2Cells"]}));
    // The generated site holds every kind of data, four type-1 levels above the type-2
    // cells, IO channels that are never answered, and cameras on and off line.
    const json& site = report["deposited"];
    const std::string deposited = Section(text.out, "Deposited");
    for (const auto& [field, value] : site.items()) {
        EXPECT_GT(value.get<uint64_t>(), 0u) << field;
        EXPECT_TRUE(HasLine(deposited, "", {value})) << field;
    }
    EXPECT_GT(site["levels"].get<uint64_t>(), 4u);
    EXPECT_LT(site["ioChannelsAnswered"], site["ioChannels"]);
    EXPECT_LT(site["camerasOnline"], site["cameras"]);
    EXPECT_TRUE(HasLine(text.out, "status burst",
                        {statistics["statusChanges"], statistics["wentOnline"],
                         statistics["wentOffline"], statistics["unchanged"]}));
    EXPECT_NE(text.out.find("Scratch file   " + Bytes(report["scratchFile"]["bytes"])),
              std::string::npos);
    EXPECT_GT(report["scratchFile"]["bytes"].get<uint64_t>(), 0u);
    EXPECT_GT(report["peakMemoryBytes"].get<uint64_t>(), 0u);
    // xlog's default threshold takes none of the module's lines of level 2.
    EXPECT_EQ(report["log"]["lines"], 0);
    EXPECT_NE(text.out.find("Module log     0 lines"), std::string::npos);

    ASSERT_FALSE(report["checks"].empty());
    const std::string checks = Section(text.out, "Checks");
    for (const json& check : report["checks"]) {
        EXPECT_TRUE(HasLine(checks, check["name"], {check["compared"]})) << check["name"];
        EXPECT_EQ(check["failed"], 0) << check["firstFailure"];
    }
    ASSERT_GE(report["operations"].size(), 40u);
    const std::string operations = Section(text.out, "Operations");
    for (const json& op : report["operations"]) {
        EXPECT_TRUE(HasLine(operations, op["name"], {op["calls"], op["records"]})) << op["name"];
        EXPECT_GT(op["calls"].get<uint64_t>(), 0u) << op["name"];
    }
}

TEST(HostProgram, DumpedSiteLoadedBackGivesTheSameFigures) {
    const std::string file = ScratchPath("dumped.json");
    const HostRun generated = RunHost(
        {"--seed", "9", "--cameras", "1500", "--cells", "120", "--dump-site", file, "--json"});
    ASSERT_EQ(generated.status, 0) << generated.err;
    const HostRun loaded = RunHost({"--site", file, "--seed", "9", "--json"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    std::remove(file.c_str());

    const json first = json::parse(generated.out);
    const json second = json::parse(loaded.out);
    EXPECT_EQ(second["site"]["file"], file);
    for (const char* part : {"deposited", "statistics", "checks", "settings"})
        EXPECT_EQ(first[part], second[part]) << json::diff(first[part], second[part]).dump(2);
}

// The settings are read beside the module, so a copy of the module gets its own; the
// copy finds the logging library already loaded by vellum-host. XLOG_LEVEL=2 makes the
// module's sink take a line per camera deposited and the Init and UnInit lines.
TEST(HostProgram, FollowsTheModuleSettingsAndTheLogLevelInForce) {
    const std::string directory = ScratchPath("settings/");
    ASSERT_EQ(std::system(("mkdir -p " + ShellQuoted(directory)).c_str()), 0);
    const std::string module = directory + "libvellum.so";
    WriteWhole(module, ReadWhole(VELLUM_MODULE_FILE));
    WriteWhole(directory + "DefCfg.ini",
               "garbage [[[\n[Tvwall]\nVersion=6731\n[ResTree]\ncamera_index_sort=1\n");
    ASSERT_EQ(setenv("XLOG_LEVEL", "2", 1), 0);
    const HostRun run = RunHost({"--module", module, "--json"});
    unsetenv("XLOG_LEVEL");
    std::remove(module.c_str());
    std::remove((directory + "DefCfg.ini").c_str());
    rmdir(directory.c_str());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(report["settings"]["present"], true);
    EXPECT_EQ(report["settings"]["unreadLines"], json::array({1}));
    EXPECT_EQ(report["settings"]["tvwallVersion"], 6731);
    EXPECT_EQ(report["settings"]["cameraIndexSort"], 1);
    EXPECT_EQ(report["log"]["lines"].get<uint64_t>(),
              report["deposited"]["cameras"].get<uint64_t>() + 2);
    // Descending order and enciphered transport paths read back as the site has them.
    for (const json& check : report["checks"])
        EXPECT_EQ(check["failed"], 0) << check["firstFailure"];
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
    // A site file's fault is named with the file.
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
