// What only an ELF module sharing this program's operator delete can show: the five
// XPLUGIN_* functions are all the module exports, and each list-freeing function releases
// every record of a list exactly once, for both types of a shared pair.
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
    EXPECT_EQ(header->e_ident[EI_CLASS], sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32);
    ASSERT_LE(header->e_shoff + std::size_t{header->e_shnum} * sizeof(ElfW(Shdr)), file.size());
    const auto* sections = reinterpret_cast<const ElfW(Shdr)*>(file.data() + header->e_shoff);
    bool sawDynamicTable = false;
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        sawDynamicTable = true;
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
            if (symbol.st_name >= strings.sh_size) continue;
            const std::string name = text + symbol.st_name;
            if (!name.empty()) names.insert(name);
        }
    }
    EXPECT_TRUE(sawDynamicTable) << path << " has no dynamic symbol table";
}

TEST(ModuleExports, OnlyTheFiveEntryPointsAreVisible) {
    const std::set<std::string> expected = {"XPLUGIN_Init", "XPLUGIN_Uninit",
                                            "XPLUGIN_GetPluginInfo", "XPLUGIN_GetInstance",
                                            "XPLUGIN_GetLastError"};
    std::set<std::string> names;
    ReadExportedSymbols(VELLUM_MODULE_PATH, names);
    EXPECT_EQ(names, expected);
}

// Frees a null list, then lists of 1 and 3 records, each its own operator new allocation
// as the object factory makes them, and sees every record released exactly once.
template <class Record, class Argument>
void FreeThrough(void (*free)(Argument*)) {
    static_assert(sizeof(Record) == sizeof(Argument), "a shared slot frees equal-sized records");
    free(nullptr);
    for (int count : {1, 3}) {
        std::vector<const void*> records;
        Record* head = nullptr;
        for (int i = 0; i < count; ++i) {
            auto* record = static_cast<Record*>(::operator new(sizeof(Record)));
            std::memset(static_cast<void*>(record), 0, sizeof(Record));
            record->next = head;
            head = record;
            records.push_back(record);
        }
        plugin_test::WatchReleases(records);
        free(reinterpret_cast<Argument*>(head));
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(plugin_test::Releases(i), 1) << "record " << i << " of " << count;
    }
    plugin_test::WatchReleases({});
}

TEST(ListFreeing, EverySlotReleasesEveryRecordOfItsOwnKindAndOfItsPair) {
    const InstanceFuncTable* t = Module().instances;
    FreeThrough<CELL_INFO>(t->FreeCellList);
    FreeThrough<IO_INFO>(t->FreeIOInfoList);
    FreeThrough<CROWD_RES>(t->FreeCrowdResList);
    FreeThrough<CUSTOM_VIEW>(t->FreeCustomViewList);
    FreeThrough<STORE_RES>(t->FreeStoreResList);
    FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewOrgList);
    FreeThrough<CAMERA_INFO>(t->FreeCameraList);
    FreeThrough<TALK_CHANNEL>(t->FreeTalkChannelList);
    FreeThrough<CROWD_FOLDER>(t->FreeCrowdFolderList);
    FreeThrough<STORE_FOLDER>(t->FreeStoreFolderList);
    FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewResList);
    FreeThrough<USER_ORG>(t->FreeUserOrgList);
    // The shared slots, called with the other type of their pair.
    FreeThrough<TALK_CHANNEL>(t->FreeIOInfoList);
    FreeThrough<IO_INFO>(t->FreeTalkChannelList);
    FreeThrough<CROWD_FOLDER>(t->FreeCustomViewList);
    FreeThrough<CUSTOM_VIEW>(t->FreeCrowdFolderList);
    FreeThrough<CUSTOM_VIEW_RES>(t->FreeCustomViewOrgList);
    FreeThrough<CUSTOM_VIEW_ORG>(t->FreeCustomViewResList);
}

}  // namespace
