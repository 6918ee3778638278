// Setup programs written by the build tool, run for real: the setup files
// reach their temp files byte for byte, the start-up loop stops at the main
// script, and damaged entries are refused without leaving files behind.
#include <gtest/gtest.h>
#include "driver.h"
#include "payload/payload_layout.h"

using namespace driver;

namespace {

std::string Product(const char *name) {
    return ReadFileBytes(ProgramFolder() + "\\payload_product\\" + name);
}

// Runs a setup program with its own temp folder; returns that folder.
std::string RunSetup(const std::string &exe, int *exitCode, bool pressOk = false) {
    std::string temp = MakeTempFolder("pl");
    Program program;
    program.SetTempFolder(temp);
    EXPECT_TRUE(program.Start(exe, ""));
    if (pressOk) {
        HWND box = WaitForMessageBox(program, 15000);
        EXPECT_NE(box, (HWND)0);
        if (box) PressButton(box, IDOK);
    }
    *exitCode = program.Wait(20000);
    return temp;
}

std::string GoodSetup() { return ReadFileBytes(ProgramFolder() + "\\payload_setup.exe"); }

std::string WriteVariant(const std::string &bytes) {
    std::string path = MakeTempFolder("pv") + "\\setup.exe";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
}

}  // namespace

TEST(PayloadTest, SetupFilesReachTheirTempFilesAndTheLoopStopsAtTheMainScript) {
    int code = 0;
    std::string temp = RunSetup(ProgramFolder() + "\\payload_setup.exe", &code);
    EXPECT_EQ(code, 1);  // the copying plug-in ends the run at its first call: nothing installed
    std::vector<std::string> seen = FilesIn(temp + "\\seen", "VTB*.TMP");
    std::vector<std::string> copies;
    for (const std::string &name : seen) copies.push_back(ReadFileBytes(name));
    auto has = [&](const std::string &bytes) {
        for (const std::string &c : copies)
            if (c == bytes) return true;
        return false;
    };
    for (const char *name : {"_PIC0.IMG", "_PIC1.IMG", "_PIC2.IMG", "_DLG.SCR", "_FILE1.SCR"}) {
        ASSERT_FALSE(Product(name).empty()) << name;
        EXPECT_TRUE(has(Product(name))) << name << " not among " << seen.size() << " temp files";
    }
    EXPECT_TRUE(has(ReadFileBytes(ProgramFolder() + "\\plugin\\vtdllx.dll")));
    // The main script carries the checksum section the build tool added.
    std::string script = Product("_SFX.DLG");
    bool mainScript = false;
    for (const std::string &c : copies)
        if (c.compare(0, script.size(), script) == 0 && c.find("[SIG]") != std::string::npos) mainScript = true;
    EXPECT_TRUE(mainScript);
    // The install file behind the main script was not unpacked.
    EXPECT_FALSE(has(Product("readme.txt")));
    EXPECT_FALSE(FileExists(temp + "\\readme.txt"));
    // Everything the run created in the temp folder is gone again.
    EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
}

TEST(PayloadTest, DamagedEntriesAreRefusedWithoutLeftovers) {
    std::string good = GoodSetup();
    ASSERT_GT(good.size(), (size_t)PAYLOAD_FIRST_ENTRY);
    size_t dlg = good.find("_DLG.SCR\\", PAYLOAD_FIRST_ENTRY);
    ASSERT_NE(dlg, std::string::npos);

    // A flipped bit in the text-block file's data: CRC or deflate failure,
    // no text-block file, the start-up reports 0008.
    std::string bad = good;
    bad[dlg + 10] ^= 0x10;
    int code = 0;
    Program program;
    std::string temp = MakeTempFolder("pd");
    program.SetTempFolder(temp);
    ASSERT_TRUE(program.Start(WriteVariant(bad), ""));
    HWND box = WaitForMessageBox(program, 15000);
    ASSERT_NE(box, (HWND)0);
    EXPECT_NE(MessageBoxText(box).find("0008"), std::string::npos) << MessageBoxText(box);
    PressButton(box, IDOK);
    EXPECT_EQ(program.Wait(10000), 1);
    EXPECT_FALSE(FileExists(temp + "\\_DLG.SCR"));
    EXPECT_TRUE(FilesIn(temp, "VTU*.TMP").empty());

    // An entry name that climbs out of the working folder: not written
    // anywhere; the changed bytes then fail the checksum (message, end).
    size_t pic = good.find("_PIC0.IMG\\", PAYLOAD_FIRST_ENTRY);
    ASSERT_NE(pic, std::string::npos);
    bad = good;
    bad.replace(pic, 9, "..\\P0.IMG");
    std::string parent = MakeTempFolder("pp");
    Program climb;
    std::string inner = parent + "\\inner";
    CreateDirectoryA(inner.c_str(), 0);
    climb.SetTempFolder(inner);
    ASSERT_TRUE(climb.Start(WriteVariant(bad), ""));
    box = WaitForMessageBox(climb, 15000);
    ASSERT_NE(box, (HWND)0);
    PressButton(box, IDOK);
    EXPECT_EQ(climb.Wait(10000), 1);
    EXPECT_FALSE(FileExists(parent + "\\P0.IMG"));
    EXPECT_FALSE(FileExists(inner + "\\P0.IMG"));
}
