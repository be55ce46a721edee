// The instance lifecycle run: scratch prefix, Init/UnInit, checks on the scratch file.
#include "lifecycle.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "libs/xlog/xlog.h"

namespace {

// Collects the module's log lines into a report while installed; restores the
// default sink on destruction.
class LogCapture {
public:
    explicit LogCapture(std::vector<LogLine>& lines) { xlog_set_sink(&Receive, &lines); }
    ~LogCapture() { xlog_set_sink(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

private:
    static void Receive(int level, const char* module, const char* line, void* context) {
        static_cast<std::vector<LogLine>*>(context)->push_back(
            LogLine{level, module != nullptr ? module : "", line != nullptr ? line : ""});
    }
};

// A fresh private directory under $TMPDIR (or /tmp), removed on destruction when empty.
class TempDir {
public:
    bool Create(std::string& error) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp");
        if (pattern.back() != '/') pattern += '/';
        pattern += "vellum-host.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            error =
                "cannot create a temporary directory from " + pattern + ": " + std::strerror(errno);
            return false;
        }
        m_path = std::string(buffer.data()) + '/';
        return true;
    }
    ~TempDir() {
        if (!m_path.empty()) rmdir(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;  // ends in '/'
};

bool StatFile(const std::string& path, unsigned& mode) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return false;
    mode = info.st_mode & 07777;
    return true;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
    }
    return names;
}

}  // namespace

bool RunLifecycle(const ModuleLoader& module, LifecycleReport& report, std::string& error) {
    LogCapture capture(report.log);
    TempDir prefix;
    if (!prefix.Create(error)) return false;
    report.prefix = prefix.Path();

    IVellum* instance = module.Instances().CreateVellum();
    if (instance == nullptr) {
        error = "CreateVellum returned null";
        return false;
    }
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(instance));
    report.instance = address;
    report.scratchPath = report.prefix + "db_" + report.instance;

    report.initResult = instance->Init(report.prefix.c_str());
    report.fileAfterInit = StatFile(report.scratchPath, report.fileMode);
    instance->UnInit();
    unsigned ignored = 0;
    report.fileAfterUnInit = StatFile(report.scratchPath, ignored);
    report.leftovers = ListDirectory(report.prefix);
    module.Instances().DestroyVellum(instance);

    if (!report.initResult)
        error = "Init returned false";
    else if (!report.fileAfterInit)
        error = "Init returned true but no scratch file exists at " + report.scratchPath;
    else if ((report.fileMode & 077) != 0)
        error = "the scratch file is open to other users (mode " +
                std::to_string(report.fileMode >> 6 & 7) +
                std::to_string(report.fileMode >> 3 & 7) + std::to_string(report.fileMode & 7) +
                ")";
    else if (report.fileAfterUnInit)
        error = "UnInit left the scratch file at " + report.scratchPath;
    else if (!report.leftovers.empty())
        error = "UnInit left " + std::to_string(report.leftovers.size()) + " file(s) in " +
                report.prefix;
    else
        return true;
    return false;
}
