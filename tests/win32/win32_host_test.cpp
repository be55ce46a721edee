// What only Windows can show, through the exports of vellum.dll: the settings file
// beside the DLL read by the profile reader, a prefix ending in a backslash, a held
// scratch file that nobody can delete, and names in code page 1252 kept in it as UTF-8.
// Its bytes are read directly (the instance shares reading), so they are seen as stored.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ModuleLoader.h"
#include "tests/TempDir.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Win32Instance, StoresCodePage1252NamesAsUtf8AndEnciphersTransPathUnderVersion6731) {
    ASSERT_EQ(GetACP(), 1252u) << "run with an en_US locale, as the test preset does";
    const std::string settings =
        std::filesystem::path(VELLUM_MODULE_PATH).replace_filename("DefCfg.ini").string();
    std::ofstream(settings) << "[Tvwall]\r\nVersion=6731\r\n";

    vellum_test::TempDir dir;
    const std::string prefix = dir.Path();  // ends in a backslash
    ASSERT_EQ(prefix.back(), '\\');
    IVellum* vellum = Module().instances->CreateVellum();
    ASSERT_TRUE(vellum->Init(prefix.c_str()));
    char address[16];
    _snprintf(address, sizeof address, "%p", static_cast<void*>(vellum));  // msvcrt's %p
    const std::string scratch = prefix + "db_" + address;

    CAMERA_INFO camera{};
    camera.ID = 7;
    std::strcpy(camera.INDEXCODE, "cam-7");
    std::strcpy(camera.CAMNAME, "Caf\xE9 \x80 Nord");  // é and € in code page 1252
    std::strcpy(camera.TRANSPATH, "rtsp://10.9.8.7/7");
    EXPECT_TRUE(vellum->SetCameraList(&camera, 0));
    EXPECT_FALSE(DeleteFileA(scratch.c_str())) << "the instance's hold lets nobody delete it";
    std::remove(settings.c_str());

    const std::string stored = ReadAll(scratch);
    EXPECT_NE(stored.find("Caf\xC3\xA9 \xE2\x82\xAC Nord"), std::string::npos) << scratch;
    EXPECT_EQ(stored.find("10.9.8.7"), std::string::npos);
    CAMERA_INFO read{};
    ASSERT_TRUE(vellum->GetCameraByIndexCode(&read, "cam-7"));
    EXPECT_STREQ(read.CAMNAME, camera.CAMNAME);
    vellum->UnInit();
    EXPECT_FALSE(std::filesystem::exists(scratch));
    Module().instances->DestroyVellum(vellum);
}

}  // namespace
