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

// Runs a setup program (the program file's bytes) with the temp folder;
// the text of the message box it shows, "" for none. The exit code.
int RunSetup(const std::string &bytes, const std::string &temp, std::string *message = 0) {
    std::string path = MakeTempFolder("pv") + "\\setup.exe";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    Program program;
    program.SetTempFolder(temp);
    EXPECT_TRUE(program.Start(path, ""));
    if (message) *message = AnswerMessageBox(program);
    return program.Wait(20000);
}

}  // namespace

TEST(PayloadTest, SetupFilesReachTheirTempFilesAndTheLoopStopsAtTheMainScript) {
    std::string temp = MakeTempFolder("pl");
    // The copying plug-in ends the run at its first call: nothing installed.
    EXPECT_EQ(RunSetup(ReadFileBytes(ProgramFolder() + "\\payload_setup.exe"), temp), 1);
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

    // Damaged entries are refused without leftovers.
    std::string good = ReadFileBytes(ProgramFolder() + "\\payload_setup.exe");
    ASSERT_GT(good.size(), (size_t)PAYLOAD_FIRST_ENTRY);
    size_t dlg = good.find("_DLG.SCR\\", PAYLOAD_FIRST_ENTRY), pic = good.find("_PIC0.IMG\\", PAYLOAD_FIRST_ENTRY);
    ASSERT_NE(dlg, std::string::npos);
    ASSERT_NE(pic, std::string::npos);

    // A flipped bit in the text-block file's data: CRC or deflate failure,
    // no text-block file, the start-up reports 0008.
    std::string bad = good, message;
    temp = MakeTempFolder("pd");
    bad[dlg + 10] ^= 0x10;
    EXPECT_EQ(RunSetup(bad, temp, &message), 1);
    EXPECT_NE(message.find("0008"), std::string::npos) << message;
    EXPECT_FALSE(FileExists(temp + "\\_DLG.SCR"));
    EXPECT_TRUE(FilesIn(temp, "VTU*.TMP").empty());

    // An entry name that climbs out of the working folder: not written
    // anywhere; the changed bytes then fail the checksum (message, end).
    bad = good;
    bad.replace(pic, 9, "..\\P0.IMG");
    std::string parent = MakeTempFolder("pp"), inner = parent + "\\inner";
    CreateDirectoryA(inner.c_str(), 0);
    EXPECT_EQ(RunSetup(bad, inner, &message), 1);
    EXPECT_NE(message, "(no message box)");
    EXPECT_FALSE(FileExists(parent + "\\P0.IMG"));
    EXPECT_FALSE(FileExists(inner + "\\P0.IMG"));
}
