// Start-up of setup programs written by the build tool: the plug-in library
// that does not load or lacks its entry, and the checksum of the file.
#include <gtest/gtest.h>
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
    // Waits for the next message box, returns its text and presses OK.
    std::string NextMessage() {
        HWND box = WaitForMessageBox(program, 15000);
        if (!box) return "(no message box)";
        std::string text = MessageBoxText(box);
        PressButton(box, IDOK);
        WaitGone(box, 5000);
        return text;
    }
    void ExpectCleanEnd() {
        EXPECT_EQ(program.Wait(15000), 1);  // not installed
        EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
        EXPECT_TRUE(FilesIn(temp, "*.IMG").empty());
    }
};

}  // namespace

TEST(StartupPayloadTest, PluginThatDoesNotLoadEndsWith0010) {
    SetupRun run(SetupProgram("broken_plugin_setup.exe"));
    EXPECT_EQ(run.NextMessage(), std::string("Installer Error: 0010") + kErrorTail);
    run.ExpectCleanEnd();
}

TEST(StartupPayloadTest, PluginWithoutItsEntryEndsWith0011) {
    SetupRun run(SetupProgram("plugin_without_entry_setup.exe"), "-t");
    EXPECT_EQ(run.NextMessage(), "Test Mode Enabled");
    EXPECT_EQ(run.NextMessage(), std::string("Installer Error: 0011") + kErrorTail);
    run.ExpectCleanEnd();
}

// A sound program file gets past every start-up step to the wizard frame.
TEST(StartupPayloadTest, SoundSetupReachesTheWizard) {
    SetupRun run(SetupProgram("startup_setup.exe"));
    HWND frame = WaitForDialogWithItem(run.program, IDCANCEL, 15000);
    ASSERT_NE(frame, (HWND)0);
    EXPECT_EQ(MessageBoxText(frame), "");  // the frame, not a message box
}

// One changed byte in a file to install: the checksum no longer matches, the
// script's message shows and the run ends quietly.
TEST(StartupPayloadTest, DamagedProgramFileIsRefused) {
    std::string bytes = ReadFileBytes(SetupProgram("startup_setup.exe"));
    size_t at = bytes.find("readme.txt\\");
    ASSERT_NE(at, std::string::npos);
    bytes[bytes.size() - 3] ^= 0x01;
    std::string folder = MakeTempFolder("dm");
    ASSERT_TRUE(WriteFileBytes(folder + "\\setup.exe", bytes));
    SetupRun run(folder + "\\setup.exe");
    EXPECT_EQ(run.NextMessage(), "The setup file is damaged.");
    run.ExpectCleanEnd();
}
