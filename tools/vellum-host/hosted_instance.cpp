// HostedInstance: the private directory, the instance, and the scratch file's life.
#include "hosted_instance.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "host_system.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    std::error_code unreadable;
    for (fs::directory_iterator entry(path, unreadable), end; !unreadable && entry != end;
         entry.increment(unreadable))
        names.push_back(entry->path().filename().string());
    return names;
}

}  // namespace

HostedInstance::~HostedInstance() {
    std::string ignored;
    Finish(ignored);
}

bool HostedInstance::Start(std::string& error) {
    m_directory = host_system::MakePrivateDirectory(error);
    if (m_directory.empty()) return false;

    m_instance = m_module.Instances().CreateVellum();
    if (m_instance == nullptr) {
        error = "CreateVellum returned null";
        return false;
    }
    m_scratchPath = m_directory + host_system::ScratchFileName(m_instance);

    m_initialised = true;  // UnInit is due even when Init reports failure
    if (!m_instance->Init(m_directory.c_str())) {
        error = "Init returned false";
        return false;
    }
    std::error_code missing;
    if (!fs::exists(fs::symlink_status(m_scratchPath, missing))) {
        error = "Init returned true but no scratch file exists at " + m_scratchPath;
        return false;
    }
    const std::string openness = host_system::OpenToOthers(m_scratchPath);
    if (!openness.empty()) {
        error = "the scratch file is open to other users (" + openness + ")";
        return false;
    }
    return true;
}

uint64_t HostedInstance::ScratchBytes() const {
    std::error_code missing;
    const std::uintmax_t size = fs::file_size(m_scratchPath, missing);
    return missing ? 0 : static_cast<uint64_t>(size);
}

bool HostedInstance::Finish(std::string& error) {
    bool ok = true;
    if (m_instance != nullptr) {
        if (m_initialised) {
            m_instance->UnInit();
            m_initialised = false;
            std::error_code missing;
            if (fs::exists(fs::symlink_status(m_scratchPath, missing))) {
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
        std::error_code ignored;
        if (left.empty()) fs::remove(m_directory, ignored);
        m_directory.clear();
    }
    return ok;
}
