// What vellum-host needs from the operating system, beside the module it loads:
// posix/ and win32/ implement it, and the build compiles one.
#ifndef VELLUM_TOOLS_HOST_HOST_SYSTEM_H
#define VELLUM_TOOLS_HOST_HOST_SYSTEM_H

#include <cstdint>
#include <string>

namespace host_system {

// The library at `path`, loaded with every symbol bound now; null with `error` set.
void* OpenLibrary(const std::string& path, std::string& error);
// The exported function `name`, or null with `error` set.
void* FindSymbol(void* library, const char* name, std::string& error);
// False with `error` set when the library could not be closed.
bool CloseLibrary(void* library, std::string& error);

// A new directory only the current user can enter, under the system's temporary
// directory; its path ends in the directory separator. Empty with `error` set.
std::string MakePrivateDirectory(std::string& error);

// Empty when only the current user can reach the file at `path`; otherwise what
// lets others in (its mode, or its access list).
std::string OpenToOthers(const std::string& path);

// The name the module gives its scratch file for an instance at `instance`:
// "db_" and the address as the system C runtime's "%p" writes it.
std::string ScratchFileName(const void* instance);

// The characters that may end a directory in a path.
extern const char* const kDirSeparators;

bool StderrIsTerminal();

// The process's peak resident memory in bytes; 0 when unknown.
uint64_t PeakMemoryBytes();

}  // namespace host_system

#endif  // VELLUM_TOOLS_HOST_HOST_SYSTEM_H
