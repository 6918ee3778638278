// The start-up sequence: command-line switches, the setup files taken from
// the payload up to the main script, and the real programs whose start-up
// fails: at the support library taken from the program file and bound, at
// the payload and its damaged or climbing entries, at the plug-in library
// that does not load or lacks its entry, and at the checksum of the file.
// (A sound one reaching its wizard is what every wizard test starts with.)
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "driver.h"
#include "payload/payload_layout.h"
#include "startup/command_line.h"
#include "base/settings.h"

using namespace driver;

namespace {

const char kErrorTail[] = "\n\nPlease contact the vendor of this installation file.";

std::string Written(const std::string &folder, const std::string &bytes) {
    std::string path = folder + "\\setup.exe";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
}

DWORD WINAPI ParseOnThread(void *line) {
    ParseCommandLine((const char *)line);
    return 0;
}

// The switches of the arguments, read on a thread of the test program that
// answers the test mode's notice: bit 1 the notice, bit 2 silent mode.
int Switches(const std::string &args) {
    g_testMode = g_silentMode = 0;
    HANDLE thread = CreateThread(0, 0, ParseOnThread, (void *)args.c_str(), 0, 0);
    int notice = 0;
    while (WaitForSingleObject(thread, 20) == WAIT_TIMEOUT)
        for (HWND box : TopWindows(GetCurrentProcessId(), "#32770"))
            if (MessageBoxText(box) == "Test Mode Enabled") notice = 1, PressButton(box, IDOK);
    CloseHandle(thread);
    EXPECT_EQ(notice, g_testMode);
    return notice | (g_silentMode ? 2 : 0);
}

}  // namespace

// Switches count only before the first word without a hyphen; a line of
// more than 1024 characters is read to its end.
TEST(StartupTest, SwitchesCountOnlyBeforeTheFirstWordWithoutHyphen) {
    struct Case {
        std::string args;
        int switches;
    } cases[] = {{"", 0},      {"setup -t", 0}, {"-s -t", 3}, {"-x -t", 1},    {"  \t-ts", 1},
                 {"-T", 0},    {"-st", 2},      {std::string(1100, ' ') + "-t", 1},
                 {"-" + std::string(1500, 'x') + " -t", 1}, {"-s " + std::string(1500, 'x') + " -t", 2}};
    for (const Case &c : cases)
        EXPECT_EQ(Switches(c.args), c.switches) << c.args.size() << " characters: " << c.args.substr(0, 20);
    // The arguments begin behind the program's name, quoted or not.
    struct Line {
        const char *line, *args;
    } lines[] = {{"\"C:\\Program Files\\a b\\setup.exe\" -s", "-s"},
                 {"\"C:\\a b\\setup.exe\"-t", "-t"},
                 {"C:\\setup.exe\t -s -t", "-s -t"},
                 {"setup.exe", ""},
                 {"", ""},
                 {"\"C:\\no end -s", ""}};
    for (const Line &l : lines) EXPECT_STREQ(SkipProgramName(l.line), l.args) << l.line;
    EXPECT_STREQ(SkipProgramName(0), "");
}

// The copying plug-in keeps the setup files' temp files and ends the run at
// its first call: each file byte for byte, the main script with the checksum
// section the build tool added, nothing unpacked behind it, no temp file left.
TEST(StartupTest, SetupFilesReachTheirTempFilesAndTheLoopStopsAtTheMainScript) {
    std::string temp = MakeTempFolder("pl");
    Program program;
    program.SetTempFolder(temp);
    ASSERT_TRUE(program.Start(ProgramFolder() + "\\payload_setup.exe", ""));
    EXPECT_EQ(program.Wait(20000), 1);
    auto product = [](const char *name) { return ReadFileBytes(ProgramFolder() + "\\payload_product\\" + name); };
    std::vector<std::string> copies;
    for (const std::string &name : FilesIn(temp + "\\seen", "VTB*.TMP")) copies.push_back(ReadFileBytes(name));
    auto has = [&](const std::string &bytes) { return std::count(copies.begin(), copies.end(), bytes) > 0; };
    for (const char *name : {"_PIC0.IMG", "_PIC1.IMG", "_PIC2.IMG", "_DLG.SCR", "_FILE1.SCR"})
        EXPECT_TRUE(!product(name).empty() && has(product(name))) << name;
    EXPECT_TRUE(has(ReadFileBytes(ProgramFolder() + "\\plugin\\vtdllx.dll")));
    std::string script = product("_SFX.DLG") + "[SIG]";
    EXPECT_TRUE(std::any_of(copies.begin(), copies.end(), [&](const std::string &c) { return !c.rfind(script, 0); }));
    EXPECT_FALSE(has(product("readme.txt")));
    EXPECT_FALSE(FileExists(temp + "\\readme.txt"));
    EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
}

// Each run ends quietly with exit code 1 and its temp files gone:
// - a bare image from a folder with a blank in its name (its switches are
//   only found behind a quoted program name, behind a long one): what the
//   start-up expands is no DLL, loading it fails (0002) after the notice;
// - a library lacking one entry (0003); one whose every entry binds in front
//   of a payload without main script (0008);
// - a flipped bit in the text-block file's data (0008);
// - a plug-in library that does not load (0010) or lacks its entry (0011);
// - one changed byte in a file to install, or a setup file's name changed
//   to climb out of the temp folder (written nowhere): the script's message.
TEST(StartupTest, FailedStartUpsReportAndEndQuietly) {
    std::string blank = MakeTempFolder("sw") + "\\a b";
    ASSERT_TRUE(CreateDirectoryA(blank.c_str(), 0));
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\setupeng.exe").c_str(), (blank + "\\set up.exe").c_str(), FALSE));
    std::string good = ReadFileBytes(ProgramFolder() + "\\startup_setup.exe"), damaged = good, flipped = good,
                climbing = good;
    size_t dlg = good.find("_DLG.SCR\\", PAYLOAD_FIRST_ENTRY), pic = good.find("_PIC0.IMG\\", PAYLOAD_FIRST_ENTRY);
    ASSERT_TRUE(good.find("readme.txt\\") != std::string::npos && dlg != std::string::npos && pic != std::string::npos);
    damaged[damaged.size() - 3] ^= 0x01;
    flipped[dlg + 10] ^= 0x10;
    climbing.replace(pic, 9, "..\\P0.IMG");
    auto error = [](const char *code) { return std::string("Installer Error: ") + code + kErrorTail; };
    struct Case {
        std::string setup, args;
        std::vector<std::string> messages;
    } cases[] = {
        {blank + "\\set up.exe", "-" + std::string(1500, 'x') + " -t", {"Test Mode Enabled", error("0002")}},
        {ProgramFolder() + "\\partial_library_setup.exe", "", {error("0003")}},
        {ProgramFolder() + "\\stub_library_setup.exe", "", {error("0008")}},
        {Written(MakeTempFolder("fl"), flipped), "", {error("0008")}},
        {ProgramFolder() + "\\broken_plugin_setup.exe", "", {error("0010")}},
        {ProgramFolder() + "\\plugin_without_entry_setup.exe", "-t", {"Test Mode Enabled", error("0011")}},
        {Written(MakeTempFolder("dm"), damaged), "", {"The setup file is damaged."}},
        {Written(MakeTempFolder("cl"), climbing), "", {"The setup file is damaged."}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setup);
        std::string temp = MakeTempFolder("st");
        Program program;
        program.SetTempFolder(temp);
        ASSERT_TRUE(program.Start(c.setup, c.args));
        // The first program of a fresh Wine session may take long to start.
        for (const std::string &message : c.messages) EXPECT_EQ(AnswerMessageBox(program, IDOK, 60000), message);
        EXPECT_EQ(program.Wait(15000), 1);  // not installed
        for (const char *kind : {"*.TMP", "*.IMG", "*.SCR", "..\\P0.IMG"})
            EXPECT_TRUE(FilesIn(temp, kind).empty()) << kind;
    }
}
