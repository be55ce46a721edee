// What only an ELF module sharing this program's operator delete can show: the five
// XPLUGIN_* functions are all the module exports, and each list-freeing slot releases every
// record of a list exactly once (a shared pair's slots are one function: PluginTables).
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ModuleLoader.h"
#include "plugin_test_support.h"

namespace {

// The symbols of the ELF file at `path` that dlsym or another library can bind to.
void ReadExportedSymbols(const std::string& path, std::set<std::string>& names) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    ASSERT_GE(file.size(), sizeof(ElfW(Ehdr)));
    const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(file.data());
    const auto* sections = reinterpret_cast<const ElfW(Shdr)*>(file.data() + header->e_shoff);
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const ElfW(Shdr)& strings = sections[sections[i].sh_link];
        const char* text = file.data() + strings.sh_offset;
        const auto* symbols =
            reinterpret_cast<const ElfW(Sym)*>(file.data() + sections[i].sh_offset);
        const std::size_t count = sections[i].sh_size / sizeof(ElfW(Sym));
        for (std::size_t s = 0; s < count; ++s) {
            const ElfW(Sym)& symbol = symbols[s];
            const unsigned binding = ELF64_ST_BIND(symbol.st_info);
            const unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
            if (symbol.st_shndx == SHN_UNDEF || binding == STB_LOCAL) continue;
            if (visibility == STV_HIDDEN || visibility == STV_INTERNAL) continue;
            const std::string name = text + symbol.st_name;
            if (!name.empty()) names.insert(name);
        }
    }
}

TEST(ModuleExports, OnlyTheFiveEntryPointsAreVisible) {
    const std::set<std::string> expected = {"XPLUGIN_Init", "XPLUGIN_Uninit",
                                            "XPLUGIN_GetPluginInfo", "XPLUGIN_GetInstance",
                                            "XPLUGIN_GetLastError"};
    std::set<std::string> names;
    ReadExportedSymbols(VELLUM_MODULE_PATH, names);
    EXPECT_EQ(names, expected);
}

// Frees a null list, then one of three records, each its own operator new allocation as
// the object factory makes them, and sees every record released exactly once.
template <class Record>
void FreeThrough(void (*free)(Record*)) {
    free(nullptr);
    std::vector<const void*> records;
    Record* head = nullptr;
    for (int i = 0; i < 3; ++i) {
        auto* record = static_cast<Record*>(::operator new(sizeof(Record)));
        std::memset(static_cast<void*>(record), 0, sizeof(Record));
        record->next = head;
        head = record;
        records.push_back(record);
    }
    plugin_test::WatchReleases(records);
    free(head);
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(plugin_test::Releases(i), 1) << "record " << i;
    plugin_test::WatchReleases({});
}

TEST(ListFreeing, EverySlotReleasesEveryRecordOfItsList) {
    const InstanceFuncTable* t = Module().instances;
    FreeThrough(t->FreeCellList);
    FreeThrough(t->FreeIOInfoList);
    FreeThrough(t->FreeCrowdResList);
    FreeThrough(t->FreeCustomViewList);
    FreeThrough(t->FreeStoreResList);
    FreeThrough(t->FreeCustomViewOrgList);
    FreeThrough(t->FreeCameraList);
    FreeThrough(t->FreeTalkChannelList);
    FreeThrough(t->FreeCrowdFolderList);
    FreeThrough(t->FreeStoreFolderList);
    FreeThrough(t->FreeCustomViewResList);
    FreeThrough(t->FreeUserOrgList);
}

}  // namespace
