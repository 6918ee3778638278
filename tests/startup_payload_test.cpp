// Start-up of setup programs written by the build tool: the plug-in library
// that does not load or lacks its entry, and the checksum of the file. (A
// sound one reaching its wizard is what every wizard test starts with.)
#include <gtest/gtest.h>
#include <vector>
#include "driver.h"

using namespace driver;

namespace {

const char kErrorTail[] = "\n\nPlease contact the vendor of this installation file.";

std::string SetupProgram(const char *name) { return ProgramFolder() + "\\" + name; }

struct SetupRun {
    std::string temp = MakeTempFolder("sp");
    Program program;
    explicit SetupRun(const std::string &exe, const char *args = "") {
        program.SetTempFolder(temp);
        EXPECT_TRUE(program.Start(exe, args));
    }
    void ExpectCleanEnd() {
        EXPECT_EQ(program.Wait(15000), 1);  // not installed
        EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
        EXPECT_TRUE(FilesIn(temp, "*.IMG").empty());
    }
};

}  // namespace

// A plug-in library that does not load (0010) or lacks its entry (0011),
// and one changed byte in a file to install: the checksum no longer
// matches, the script's message shows. Each run ends quietly with its temp
// files gone.
TEST(StartupPayloadTest, PluginFaultsAndADamagedFileEndTheRun) {
    std::string damaged = ReadFileBytes(SetupProgram("startup_setup.exe"));
    ASSERT_NE(damaged.find("readme.txt\\"), std::string::npos);
    damaged[damaged.size() - 3] ^= 0x01;
    std::string folder = MakeTempFolder("dm");
    ASSERT_TRUE(WriteFileBytes(folder + "\\setup.exe", damaged));
    struct Case {
        std::string setup;
        const char *args;
        std::vector<std::string> messages;
    } cases[] = {
        {SetupProgram("broken_plugin_setup.exe"), "", {std::string("Installer Error: 0010") + kErrorTail}},
        {SetupProgram("plugin_without_entry_setup.exe"), "-t",
         {"Test Mode Enabled", std::string("Installer Error: 0011") + kErrorTail}},
        {folder + "\\setup.exe", "", {"The setup file is damaged."}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setup);
        SetupRun run(c.setup, c.args);
        for (const std::string &message : c.messages) EXPECT_EQ(AnswerMessageBox(run.program), message);
        run.ExpectCleanEnd();
    }
}
