// HostedInstance: the private directory, the instance, and the scratch file's life.
#include "hosted_instance.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

std::string OctalMode(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode);
    return text;
}

}  // namespace

HostedInstance::~HostedInstance() {
    std::string ignored;
    Finish(ignored);
}

bool HostedInstance::Start(std::string& error) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = base != nullptr && *base != '\0' ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "vellum-host.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        error = "cannot create a directory from " + pattern + ": " + std::strerror(errno);
        return false;
    }
    m_directory = std::string(buffer.data()) + '/';

    m_instance = m_module.Instances().CreateVellum();
    if (m_instance == nullptr) {
        error = "CreateVellum returned null";
        return false;
    }
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<void*>(m_instance));
    m_scratchPath = m_directory + "db_" + address;

    m_initialised = true;  // UnInit is due even when Init reports failure
    if (!m_instance->Init(m_directory.c_str())) {
        error = "Init returned false";
        return false;
    }
    struct stat info;
    if (lstat(m_scratchPath.c_str(), &info) != 0) {
        error = "Init returned true but no scratch file exists at " + m_scratchPath;
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        error = "the scratch file is open to other users (mode " + OctalMode(info.st_mode & 07777) +
                ")";
        return false;
    }
    return true;
}

uint64_t HostedInstance::ScratchBytes() const {
    struct stat info;
    return lstat(m_scratchPath.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

bool HostedInstance::Finish(std::string& error) {
    bool ok = true;
    if (m_instance != nullptr) {
        if (m_initialised) {
            m_instance->UnInit();
            m_initialised = false;
            struct stat info;
            if (lstat(m_scratchPath.c_str(), &info) == 0) {
                error = "UnInit left the scratch file at " + m_scratchPath;
                ok = false;
            }
        }
        m_module.Instances().DestroyVellum(m_instance);
        m_instance = nullptr;
    }
    if (!m_directory.empty()) {
        const std::vector<std::string> left = ListDirectory(m_directory);
        if (ok && !left.empty()) {
            error = "UnInit left " + std::to_string(left.size()) + " file(s) in " + m_directory +
                    ", such as " + left.front();
            ok = false;
        }
        if (left.empty()) rmdir(m_directory.c_str());
        m_directory.clear();
    }
    return ok;
}
