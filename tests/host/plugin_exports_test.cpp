// The module's dynamic symbol table: the five XPLUGIN_* functions are the only symbols
// it defines for others to bind to.
#include <elf.h>
#include <link.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// Names of the symbols that the ELF file at `path` defines in its dynamic symbol
// table with global or weak binding and default or protected visibility: what a
// dlsym or another library can bind to. Fails the test on a malformed file.
std::set<std::string> ExportedSymbols(const std::string& path) {
    std::set<std::string> names;
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    if (file.size() < sizeof(ElfW(Ehdr))) {
        ADD_FAILURE() << path << " is not an ELF file";
        return names;
    }
    const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(file.data());
    EXPECT_EQ(header->e_ident[EI_CLASS], sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32);
    if (header->e_shoff + std::size_t{header->e_shnum} * sizeof(ElfW(Shdr)) > file.size()) {
        ADD_FAILURE() << path << ": section headers out of the file";
        return names;
    }
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
    return names;
}

TEST(ModuleExports, OnlyTheFiveEntryPointsAreVisible) {
    const std::set<std::string> expected = {"XPLUGIN_Init", "XPLUGIN_Uninit",
                                            "XPLUGIN_GetPluginInfo", "XPLUGIN_GetInstance",
                                            "XPLUGIN_GetLastError"};
    EXPECT_EQ(ExportedSymbols(VELLUM_MODULE_PATH), expected);
}

}  // namespace
