// Reading and writing the site file with nlohmann::json; every fault names its place.
#include "site_json.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

constexpr const char* kFormat = "vellum-site";
constexpr int kVersion = 1;

// Thrown inside this file only, to stop at the first fault with its place.
struct ReadFault {
    std::string message;
};

std::string Member(const std::string& place, const std::string& key) {
    return place.empty() ? key : place + "." + key;
}

std::string Element(const std::string& place, std::size_t index) {
    return place + "[" + std::to_string(index) + "]";
}

// One JSON object being read into a record: each field is taken once, by type, and
// Done() rejects whatever was not taken.
class ObjectReader {
public:
    ObjectReader(const json& value, std::string place) : m_value(value), m_place(std::move(place)) {
        if (!value.is_object())
            throw ReadFault{(m_place.empty() ? std::string("the document") : m_place) +
                            ": must be an object, not " + value.type_name()};
    }

    int32_t Int(const char* key) {
        const json& value = Field(key);
        if (!value.is_number_integer())
            Fail(key, std::string("must be an integer, not ") +
                          (value.is_number() ? "the fraction " + value.dump() : value.type_name()));
        if (value.is_number_unsigned()
                ? value.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                : value.get<int64_t>() < std::numeric_limits<int32_t>::min())
            Fail(key, value.dump() + " is out of the 32-bit range");
        return static_cast<int32_t>(value.get<int64_t>());
    }

    bool Bool(const char* key) {
        const json& value = Field(key);
        if (!value.is_boolean())
            Fail(key, std::string("must be true or false, not ") + value.type_name());
        return value.get<bool>();
    }

    std::string Text(const char* key) {
        const json& value = Field(key);
        if (!value.is_string())
            Fail(key, std::string("must be a string, not ") + value.type_name());
        return value.get<std::string>();
    }

    // Calls read(element, place) for each element of the array under `key`; a missing
    // key is an empty array when `optional`.
    template <class Read>
    void Array(const char* key, Read read, bool optional = false) {
        if (optional && m_value.find(key) == m_value.end()) return;
        const json& value = Field(key);
        if (!value.is_array()) Fail(key, std::string("must be an array, not ") + value.type_name());
        for (std::size_t i = 0; i < value.size(); ++i)
            read(value[i], Element(Member(m_place, key), i));
    }

    void Done() const {
        for (auto item = m_value.begin(); item != m_value.end(); ++item)
            if (m_taken.count(item.key()) == 0)
                throw ReadFault{Member(m_place, item.key()) + ": unknown field"};
    }

    [[noreturn]] void Fail(const char* key, const std::string& what) const {
        throw ReadFault{Member(m_place, key) + ": " + what};
    }

private:
    const json& Field(const char* key) {
        auto found = m_value.find(key);
        if (found == m_value.end())
            throw ReadFault{(m_place.empty() ? std::string("the document") : m_place) +
                            ": missing field \"" + key + "\""};
        m_taken.insert(key);
        return *found;
    }

    const json& m_value;
    const std::string m_place;
    std::set<std::string> m_taken;
};

// Reads a record of type T from an object with ObjectReader r, filling with `fill`.
template <class T, class Fill>
T ReadRecord(const json& value, const std::string& place, Fill fill) {
    ObjectReader reader(value, place);
    T record;
    fill(reader, record);
    reader.Done();
    return record;
}

void ReadCell(ObjectReader& r, SiteCell& c) {
    c.id = r.Int("id");
    c.type = r.Int("type");
    c.parentId = r.Int("parentId");
    c.ownerId = r.Int("ownerId");
    c.sortOrder = r.Int("sortOrder");
    c.indexCode = r.Text("indexCode");
    c.name = r.Text("name");
}

void ReadDevice(ObjectReader& r, SiteDevice& d) {
    d.id = r.Int("id");
    d.indexCode = r.Text("indexCode");
    d.name = r.Text("name");
    d.ip = r.Text("ip");
    d.port = r.Int("port");
    d.userName = r.Text("userName");
    d.password = r.Text("password");
    d.type = r.Int("type");
    d.domainId = r.Int("domainId");
}

void ReadCamera(ObjectReader& r, SiteCamera& c) {
    c.id = r.Int("id");
    c.device = r.Int("device");
    c.cell = r.Int("cell");
    c.channelNo = r.Int("channelNo");
    c.type = r.Int("type");
    c.matrixCode = r.Int("matrixCode");
    c.seqIndex = r.Int("seqIndex");
    c.online = r.Bool("online");
    c.indexCode = r.Text("indexCode");
    c.name = r.Text("name");
    c.privilege = r.Text("privilege");
    c.recordLocation = r.Text("recordLocation");
    c.transPath = r.Text("transPath");
}

void ReadIoChannel(ObjectReader& r, SiteIoChannel& io) {
    io.id = r.Int("id");
    io.device = r.Int("device");
    io.cell = r.Int("cell");
    io.ioType = r.Int("ioType");
    io.indexCode = r.Text("indexCode");
    io.name = r.Text("name");
}

void ReadTalkChannel(ObjectReader& r, SiteTalkChannel& t) {
    t.id = r.Int("id");
    t.device = r.Int("device");
    t.cell = r.Int("cell");
    t.channelNo = r.Int("channelNo");
    t.indexCode = r.Text("indexCode");
    t.name = r.Text("name");
}

void ReadStoreFolder(ObjectReader& r, SiteStoreFolder& f) {
    f.id = r.Int("id");
    f.parentId = r.Int("parentId");
    f.sortIndex = r.Int("sortIndex");
    f.name = r.Text("name");
    r.Array("resources", [&](const json& value, const std::string& place) {
        f.resources.push_back(
            ReadRecord<SiteStoreResource>(value, place, [](ObjectReader& rr, SiteStoreResource& s) {
                s.id = rr.Int("id");
                s.resType = rr.Int("resType");
                s.resId = rr.Int("resId");
                s.sortIndex = rr.Int("sortIndex");
                s.indexCode = rr.Text("indexCode");
            }));
    });
}

void ReadViewNode(ObjectReader& r, SiteViewNode& n) {
    n.id = r.Int("id");
    n.sortIndex = r.Int("sortIndex");
    n.name = r.Text("name");
    r.Array("resources", [&](const json& value, const std::string& place) {
        n.resources.push_back(
            ReadRecord<SiteViewResource>(value, place, [](ObjectReader& rr, SiteViewResource& s) {
                s.id = rr.Int("id");
                s.camera = rr.Int("camera");
            }));
    });
}

void ReadView(ObjectReader& r, SiteView& v) {
    v.id = r.Int("id");
    v.name = r.Text("name");
    r.Array("nodes", [&](const json& value, const std::string& place) {
        v.nodes.push_back(ReadRecord<SiteViewNode>(value, place, ReadViewNode));
    });
}

void ReadCrowdFolder(ObjectReader& r, SiteCrowdFolder& f) {
    f.id = r.Int("id");
    f.name = r.Text("name");
    r.Array("resources", [&](const json& value, const std::string& place) {
        f.resources.push_back(
            ReadRecord<SiteCrowdResource>(value, place, [](ObjectReader& rr, SiteCrowdResource& s) {
                s.resId = rr.Int("resId");
                s.resType = rr.Int("resType");
                s.name = rr.Text("name");
            }));
    });
}

// Reads the document while it is parsed: each record of a top-level section is turned
// into a site value as soon as its object is complete and then dropped from the
// document, so that a site of a million cameras never stands whole as JSON in memory
// (nor do the library's discarded-value searches grow with the sections).
class StreamingReader {
public:
    StreamingReader(Site& site, Progress* progress) : m_site(site), m_progress(progress) {}

    // The parser callback: false drops the value just completed from the document.
    bool operator()(int, json::parse_event_t event, json& parsed) {
        using Event = json::parse_event_t;
        switch (event) {
            case Event::object_start:
            case Event::array_start:
                m_arrays.push_back(event == Event::array_start);
                return true;
            case Event::key:
                if (m_arrays.size() == 1) {
                    m_section = parsed.get<std::string>();
                    m_index = 0;
                }
                return true;
            case Event::object_end:
            case Event::array_end:
                m_arrays.pop_back();
                return event == Event::object_end ? !TakeRecord(parsed) : !RefuseElement(parsed);
            case Event::value:
                if (m_arrays.size() == 1) CheckHeader(parsed);
                return !RefuseElement(parsed);
        }
        return true;
    }

    // The top-level checks, once the whole document is parsed: the header, and sections
    // of the right type (their records were taken while parsing), nothing unknown.
    void Finish(const json& document) {
        ObjectReader top(document, "");
        top.Text("format");
        top.Int("version");
        CheckHeaderValue("format", document.at("format"));
        CheckHeaderValue("version", document.at("version"));
        for (const char* section : kSections)
            top.Array(
                section, [](const json&, const std::string&) {}, true);
        top.Done();
    }

private:
    static constexpr const char* kSections[] = {"cells",       "devices",      "cameras",
                                                "ioChannels",  "talkChannels", "storeFolders",
                                                "customViews", "crowdFolders"};

    // Whether the innermost open container is a known section's array.
    bool InSectionArray() const {
        if (m_arrays.size() != 2 || m_arrays[0] || !m_arrays[1]) return false;
        for (const char* section : kSections)
            if (m_section == section) return true;
        return false;
    }

    // A completed object that is a section's element becomes a record.
    bool TakeRecord(const json& value) {
        if (!InSectionArray()) return false;
        const std::string place = Element(m_section, m_index++);
        if (m_section == "cells")
            m_site.cells.push_back(ReadRecord<SiteCell>(value, place, ReadCell));
        else if (m_section == "devices")
            m_site.devices.push_back(ReadRecord<SiteDevice>(value, place, ReadDevice));
        else if (m_section == "cameras")
            m_site.cameras.push_back(ReadRecord<SiteCamera>(value, place, ReadCamera));
        else if (m_section == "ioChannels")
            m_site.ioChannels.push_back(ReadRecord<SiteIoChannel>(value, place, ReadIoChannel));
        else if (m_section == "talkChannels")
            m_site.talkChannels.push_back(
                ReadRecord<SiteTalkChannel>(value, place, ReadTalkChannel));
        else if (m_section == "storeFolders")
            m_site.storeFolders.push_back(
                ReadRecord<SiteStoreFolder>(value, place, ReadStoreFolder));
        else if (m_section == "customViews")
            m_site.views.push_back(ReadRecord<SiteView>(value, place, ReadView));
        else
            m_site.crowdFolders.push_back(
                ReadRecord<SiteCrowdFolder>(value, place, ReadCrowdFolder));
        if (m_progress != nullptr) m_progress->Advance();
        return true;
    }

    // Any other element of a section's array is refused.
    bool RefuseElement(const json& value) {
        if (!InSectionArray()) return false;
        throw ReadFault{Element(m_section, m_index) + ": must be an object, not " +
                        value.type_name()};
    }

    void CheckHeader(const json& value) {
        if (m_section == "format" || m_section == "version") CheckHeaderValue(m_section, value);
    }

    // The header is checked as soon as it is read, so that a file of another format or
    // version is refused for that, not for its first record.
    static void CheckHeaderValue(const std::string& key, const json& value) {
        if (key == "format" && value.is_string() && value.get<std::string>() != kFormat)
            throw ReadFault{std::string("format: must be \"") + kFormat + "\""};
        if (key == "version" && value.is_number_integer() && value != kVersion)
            throw ReadFault{"version: version " + value.dump() + " is not known; this tool reads " +
                            std::to_string(kVersion)};
    }

    Site& m_site;
    Progress* const m_progress;
    std::vector<bool> m_arrays;  // the open containers, outermost first: true for an array
    std::string m_section;       // the last key of the top-level object
    std::size_t m_index = 0;     // the next element of that section
};

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) error = path + ": cannot read: " + std::strerror(readErrno);
    return !failed;
}

// The library's message without its "[json.exception...] " tag.
std::string ParseMessage(const std::exception& e) {
    std::string message = e.what();
    const std::size_t tagEnd = message.find("] ");
    if (message.rfind("[json.exception.", 0) == 0 && tagEnd != std::string::npos)
        message.erase(0, tagEnd + 2);
    return message;
}

ordered_json CellJson(const SiteCell& c) {
    return {{"id", c.id},           {"type", c.type},           {"parentId", c.parentId},
            {"ownerId", c.ownerId}, {"sortOrder", c.sortOrder}, {"indexCode", c.indexCode},
            {"name", c.name}};
}

ordered_json DeviceJson(const SiteDevice& d) {
    return {{"id", d.id},
            {"indexCode", d.indexCode},
            {"name", d.name},
            {"ip", d.ip},
            {"port", d.port},
            {"userName", d.userName},
            {"password", d.password},
            {"type", d.type},
            {"domainId", d.domainId}};
}

ordered_json CameraJson(const SiteCamera& c) {
    return {{"id", c.id},
            {"device", c.device},
            {"cell", c.cell},
            {"channelNo", c.channelNo},
            {"type", c.type},
            {"matrixCode", c.matrixCode},
            {"seqIndex", c.seqIndex},
            {"online", c.online},
            {"indexCode", c.indexCode},
            {"name", c.name},
            {"privilege", c.privilege},
            {"recordLocation", c.recordLocation},
            {"transPath", c.transPath}};
}

ordered_json IoJson(const SiteIoChannel& io) {
    return {{"id", io.id},         {"device", io.device},       {"cell", io.cell},
            {"ioType", io.ioType}, {"indexCode", io.indexCode}, {"name", io.name}};
}

ordered_json TalkJson(const SiteTalkChannel& t) {
    return {{"id", t.id},
            {"device", t.device},
            {"cell", t.cell},
            {"channelNo", t.channelNo},
            {"indexCode", t.indexCode},
            {"name", t.name}};
}

ordered_json StoreFolderJson(const SiteStoreFolder& f) {
    ordered_json resources = ordered_json::array();
    for (const SiteStoreResource& s : f.resources)
        resources.push_back({{"id", s.id},
                             {"resType", s.resType},
                             {"resId", s.resId},
                             {"sortIndex", s.sortIndex},
                             {"indexCode", s.indexCode}});
    return {{"id", f.id},
            {"parentId", f.parentId},
            {"sortIndex", f.sortIndex},
            {"name", f.name},
            {"resources", std::move(resources)}};
}

ordered_json ViewJson(const SiteView& v) {
    ordered_json nodes = ordered_json::array();
    for (const SiteViewNode& n : v.nodes) {
        ordered_json resources = ordered_json::array();
        for (const SiteViewResource& r : n.resources)
            resources.push_back({{"id", r.id}, {"camera", r.camera}});
        nodes.push_back({{"id", n.id},
                         {"sortIndex", n.sortIndex},
                         {"name", n.name},
                         {"resources", std::move(resources)}});
    }
    return {{"id", v.id}, {"name", v.name}, {"nodes", std::move(nodes)}};
}

ordered_json CrowdFolderJson(const SiteCrowdFolder& f) {
    ordered_json resources = ordered_json::array();
    for (const SiteCrowdResource& r : f.resources)
        resources.push_back({{"resId", r.resId}, {"resType", r.resType}, {"name", r.name}});
    return {{"id", f.id}, {"name", f.name}, {"resources", std::move(resources)}};
}

// Writes `"key": [` then one record per line; `last` ends the document.
template <class T, class ToJson>
void WriteSection(std::FILE* file, const char* key, const std::vector<T>& items, ToJson toJson,
                  Progress* progress, bool last = false) {
    std::fprintf(file, "  \"%s\": [", key);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string line = toJson(items[i]).dump();
        std::fprintf(file, "%s\n    %s", i == 0 ? "" : ",", line.c_str());
        if (progress != nullptr) progress->Advance();
    }
    std::fprintf(file, "%s]%s\n", items.empty() ? "" : "\n  ", last ? "" : ",");
}

}  // namespace

bool LoadSite(const std::string& path, Site& site, std::string& error, Progress* progress) {
    std::string text;
    if (!ReadFile(path, text, error)) return false;
    site = Site();
    if (progress != nullptr) progress->Begin("reading " + path, 0);
    StreamingReader reader(site, progress);
    try {
        const json document =
            json::parse(text, [&reader](int depth, json::parse_event_t event, json& parsed) {
                return reader(depth, event, parsed);
            });
        reader.Finish(document);
    } catch (const json::parse_error& e) {
        error = path + ": malformed JSON: " + ParseMessage(e);
    } catch (const json::exception& e) {
        error = path + ": " + ParseMessage(e);
    } catch (const ReadFault& fault) {
        error = path + ": " + fault.message;
    }
    if (progress != nullptr) progress->End();
    if (!error.empty()) return false;
    if (!ValidateSite(site, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool WriteSite(const Site& site, const std::string& path, std::string& error, Progress* progress) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": cannot write: " + std::strerror(errno);
        return false;
    }
    if (progress != nullptr) progress->Begin("writing " + path, 0);
    try {
        std::fprintf(file, "{\n  \"format\": \"%s\",\n  \"version\": %d,\n", kFormat, kVersion);
        WriteSection(file, "cells", site.cells, CellJson, progress);
        WriteSection(file, "devices", site.devices, DeviceJson, progress);
        WriteSection(file, "cameras", site.cameras, CameraJson, progress);
        WriteSection(file, "ioChannels", site.ioChannels, IoJson, progress);
        WriteSection(file, "talkChannels", site.talkChannels, TalkJson, progress);
        WriteSection(file, "storeFolders", site.storeFolders, StoreFolderJson, progress);
        WriteSection(file, "customViews", site.views, ViewJson, progress);
        WriteSection(file, "crowdFolders", site.crowdFolders, CrowdFolderJson, progress, true);
        std::fprintf(file, "}\n");
    } catch (const json::exception& e) {  // a text that is not UTF-8
        if (progress != nullptr) progress->End();
        std::fclose(file);
        error = path + ": cannot write the site: " + ParseMessage(e);
        return false;
    }
    if (progress != nullptr) progress->End();
    const bool failed = std::ferror(file) != 0;
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || failed) {
        error = path + ": cannot write: " + std::strerror(failed ? writeErrno : errno);
        return false;
    }
    return true;
}
