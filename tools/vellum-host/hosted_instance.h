// One instance's life under a loaded module, as the client lives it: CreateVellum, Init
// under a fresh private directory, the session, UnInit, DestroyVellum; with checks that
// the scratch file appears private at Init and is gone after UnInit.
#ifndef VELLUM_TOOLS_HOST_HOSTED_INSTANCE_H
#define VELLUM_TOOLS_HOST_HOSTED_INSTANCE_H

#include <cstdint>
#include <string>

#include "module_loader.h"

// Used from one thread; takes no lock.
class HostedInstance {
public:
    // `module` must stay loaded until Finish or destruction.
    explicit HostedInstance(const ModuleLoader& module) : m_module(module) {}
    // Finishes an instance still alive, ignoring what Finish would report.
    ~HostedInstance();
    HostedInstance(const HostedInstance&) = delete;
    HostedInstance& operator=(const HostedInstance&) = delete;

    // Creates the directory "$TMPDIR/vellum-host.XXXXXX/" and an instance initialised
    // under it. False with `error` set when a step fails or the scratch file is missing
    // or open to other users; whatever was made is undone by Finish or destruction.
    bool Start(std::string& error);

    IVellum& Vellum() const { return *m_instance; }
    const std::string& ScratchPath() const { return m_scratchPath; }
    // The scratch file's size now; 0 when it cannot be read.
    uint64_t ScratchBytes() const;

    // UnInit and DestroyVellum, then removes the directory. False with `error` set when
    // UnInit left the scratch file or anything else in the directory.
    bool Finish(std::string& error);

private:
    const ModuleLoader& m_module;
    std::string m_directory;  // ends in '/'; empty until made
    std::string m_scratchPath;
    IVellum* m_instance = nullptr;
    bool m_initialised = false;
};

#endif  // VELLUM_TOOLS_HOST_HOSTED_INSTANCE_H
