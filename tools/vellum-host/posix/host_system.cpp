// host_system over POSIX: dlopen, mkdtemp, mode bits, getrusage.
#include "host_system.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace host_system {

namespace {
std::string LoaderError() {
    const char* reason = dlerror();
    return reason != nullptr ? reason : "unknown error";
}
}  // namespace

void* OpenLibrary(const std::string& path, std::string& error) {
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) error = LoaderError();
    return library;
}

void* FindSymbol(void* library, const char* name, std::string& error) {
    dlerror();
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) error = LoaderError();
    return symbol;
}

bool CloseLibrary(void* library, std::string& error) {
    if (dlclose(library) == 0) return true;
    error = LoaderError();
    return false;
}

std::string MakePrivateDirectory(std::string& error) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = base != nullptr && *base != '\0' ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "vellum-host.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        error = "cannot create a directory from " + pattern + ": " + std::strerror(errno);
        return {};
    }
    return std::string(buffer.data()) + '/';
}

std::string OpenToOthers(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || (info.st_mode & 077) == 0) return {};
    char text[16];
    std::snprintf(text, sizeof text, "mode %04o", static_cast<unsigned>(info.st_mode & 07777));
    return text;
}

std::string ScratchFileName(const void* instance) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", instance);
    return std::string("db_") + address;
}

const char* const kDirSeparators = "/";

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

uint64_t PeakMemoryBytes() {
    struct rusage usage;
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<uint64_t>(usage.ru_maxrss) * 1024;  // Linux reports kilobytes
}

}  // namespace host_system
