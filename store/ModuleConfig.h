// The module's own directory and its settings: integers from INI files beside it.
#ifndef VELLUM_STORE_MODULECONFIG_H
#define VELLUM_STORE_MODULECONFIG_H

#include "channels/ChannelSettings.h"

// The directory of the module file, ending in its separator; empty when it cannot be
// found (a later call tries again). Always the same static buffer, valid while the
// module is loaded. Safe to call from several threads, the first time included.
const char* GetModuleDir();

// The integer under [section] key of GetModuleDir() + fileName, or defaultValue when
// any argument is null, the module's directory is unknown, or the file, section or
// key is missing. Read afresh each call.
unsigned int ReadModuleSetting(const char* section, const char* key, int defaultValue,
                               const char* fileName);

// The settings file and the two settings the channel tables read.
constexpr const char* kConfigFile = "DefCfg.ini";
constexpr int kCipherVersion = 6731;  // [Tvwall] Version: encipher TRANSPATH

// The channel settings read from kConfigFile beside the module, afresh at each ask:
// [Tvwall] Version == kCipherVersion enciphers TRANSPATH; [ResTree] camera_index_sort
// == 1 lists a cell's cameras by descending SEQINDEX.
class ModuleSettings final : public ChannelSettings {
public:
    bool TransPathEnciphered() const override;
    bool CamerasByDescendingSeqIndex() const override;
};

#endif  // VELLUM_STORE_MODULECONFIG_H
