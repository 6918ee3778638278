// The start-up sequence: command-line switches, the setup files taken from
// the payload up to the main script, and the real programs whose start-up
// fails: at the support library taken from the program file and bound, at
// the payload and its damaged or climbing entries, at the plug-in library
// that does not load or lacks its entry, and at the checksum of the file.
// Then the paths between a sound start and the wizard: the start-up notice,
// hidden and silent modes, the requirement checks, the checksum window,
// the plug-in's name in capitals, a main script's name in small letters,
// and the restart question at the end.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "driver.h"
#include "payload_edit.h"
#include "payload/payload_layout.h"
#include "startup/command_line.h"
#include "base/settings.h"

using namespace driver;

namespace {

const char kErrorTail[] = "\n\nPlease contact the vendor of this installation file.";

std::string Named(const std::string &folder, const char *name, const std::string &bytes) {
    std::string path = folder + "\\" + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
}

std::string Written(const std::string &folder, const std::string &bytes) { return Named(folder, "setup.exe", bytes); }

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

// A start-up product's program (the plain one when empty) with a main
// script of its own: these [DLG] keys and further sections, the welcome
// page on (the wizard then waits there), installing into a folder of its
// own; signed last, so that the integrity check passes.
const char kFolder[] = "C:\\Startup Paths";
std::string Product(const std::string &dlg, const std::string &sections = "", std::string program = "") {
    if (program.empty()) program = ReadFileBytes(ProgramFolder() + "\\startup_setup.exe");
    return Signed(program, "[DLG]\r\nTI=Start-up paths\r\nCA=Leave the start-up paths?\r\nZ1=1\r\nDF=" +
                               std::string(kFolder) + "\r\nLO=install.log\r\nNO=1\r\nC25=Restart now?\r\n"
                               "C67=The setup file is damaged.\r\nC86=Checking the setup program...\r\n" + dlg + sections);
}

// The start-up product with the notice block among its texts.
std::string FirstNotice() {
    return WithEntry(ReadFileBytes(ProgramFolder() + "\\startup_setup.exe"), "_DLG.SCR", "_DLG.SCR",
                     "[STR FIRST]\r\nRead this first.\r\n[END FIRST]\r\n");
}

struct Box {
    std::string text, caption;
    int button;
    bool yesNo;  // the box asks Yes or No (else OK or OK and Cancel)
};

// What a run meets after its start-up boxes: its end before the wizard;
// the wizard, left with Cancel; the wizard, walked with Next to its end;
// or no wizard to see (silent), the run going on by itself.
enum Outcome { ENDS, CANCEL, WALK, SILENT };

void AnswerBox(Program &program, const Box &b) {
    HWND box = WaitForMessageBox(program, 60000);
    ASSERT_NE(box, (HWND)0) << b.text;
    EXPECT_EQ(MessageBoxText(box), b.text);
    if (!b.caption.empty()) EXPECT_EQ(WindowText(box), b.caption);
    EXPECT_EQ(GetDlgItem(box, IDNO) != 0, b.yesNo) << b.text;
    PressButton(box, b.button);
    WaitGone(box, 15000);
}

// Next on the welcome page, and on the finish page the copy leads to.
void WalkToTheEnd(Program &program, HWND frame) {
    for (int item : {501, 551}) {
        ASSERT_NE(WaitForPageWithItem(program, frame, item, 60000), (HWND)0) << item;
        PressButton(frame, 201);
    }
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
// - a temp folder that is not there, so the library has nowhere to go
//   (0001);
// - a plug-in library that does not load (0010), also under its name in
//   capitals, or lacks its entry (0011); an ODBC setup library that does
//   not load (0012); a system without "RICHED32.DLL" (0015);
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
    std::string plugin = ReadFileBytes(ProgramFolder() + "\\broken_plugin_setup.exe");
    const char junk[] = "not a library at all", script[] = "[DLG]\r\nTI=Start-up test\r\n";
    struct Case {
        std::string setup, args;
        std::vector<std::string> messages;
        const char *temp = "", *dll = "";  // the temp folder below the test's; a system DLL taken away
    } cases[] = {
        {ProgramFolder() + "\\startup_setup.exe", "", {error("0001")}, "gone"},
        {Written(MakeTempFolder("up"), Signed(WithEntry(plugin, "vtdllx.dll", "VTDLLX.DLL", junk), script)), "",
         {error("0010")}},
        {Written(MakeTempFolder("od"), Signed(WithEntry(plugin, "vtdllx.dll", "odbcdll.dll", junk), script)), "",
         {error("0012")}},
        {Named(MakeTempFolder("re"), "norich.exe", ReadFileBytes(ProgramFolder() + "\\startup_setup.exe")), "",
         {error("0015")}, "", "riched32"},
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
        program.SetTempFolder(c.temp[0] ? temp + "\\" + c.temp : temp);
        // Wine's loader leaves out a DLL for one program by its file name.
        const std::string overrides = "Software\\Wine\\AppDefaults\\norich.exe\\DllOverrides";
        if (c.dll[0]) RegSetKeyValueA(HKEY_CURRENT_USER, overrides.c_str(), c.dll, REG_SZ, "", 1);
        ASSERT_TRUE(program.Start(c.setup, c.args));
        // The first program of a fresh Wine session may take long to start.
        for (const std::string &message : c.messages) EXPECT_EQ(AnswerMessageBox(program, IDOK, 60000), message);
        EXPECT_EQ(program.Wait(15000), 1);  // not installed
        if (c.dll[0]) RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\norich.exe");
        for (const char *kind : {"*.TMP", "*.IMG", "*.SCR", "..\\P0.IMG"})
            EXPECT_TRUE(FilesIn(temp, kind).empty()) << kind;
    }
}


// One real run per path from a sound start to the wizard (and, where the
// path goes on, to the run's end), each with the boxes it shows, their
// captions and buttons, the background window or its absence, and the exit
// code: 1 ended before the wizard, 2 cancelled, 0 installed. Under Wine the
// tests run as administrators (the rights check passes), on an NT version
// other than 5.x (an NT 4 service-pack minimum fails, its message shows),
// and at 32 bits a pixel (the colour check never fails).
TEST(StartupTest, EachPathFromTheStartToTheWizard) {
    const Box notice = {"Read this first.", "", IDYES, true}, cancel = {"Leave the start-up paths?", "", IDYES, true},
              restart = {"Restart now?", "", IDCANCEL, false};
    const std::string wide = "[CFC]\r\nRES=100000\r\nRE1=Screen\r\nRE2=The screen is too narrow.\r\n",
                      nt4 = "[CFC]\r\nWV2=56\r\nWT2=Windows\r\nWM2=Windows NT 4 with Service Pack 4 is needed.\r\n";
    const Box narrow = {"The screen is too narrow.", "Screen", IDOK, false},
              version = {"Windows NT 4 with Service Pack 4 is needed.", "Windows", IDOK, false};
    // The main script's name in small letters on an entry in front of the
    // main script (picture 2's): its own file, not the main script.
    std::string lower = WithEntry(ReadFileBytes(ProgramFolder() + "\\startup_setup.exe"), "_PIC2.IMG", "_sfx.dlg",
                                  "[CFC]\r\nRES=100000\r\nRE2=the entry in small letters\r\nRE3=2\r\n");
    struct Case {
        const char *what;
        std::string setup, args;
        std::vector<Box> first;
        Outcome outcome;
        std::vector<Box> last;
        int exit, background;  // background: 1 the window is up, 0 it is not, -1 either
        bool held = false;      // the checksum waits while its window is read
    } cases[] = {
        {"notice, No", Product("", "", FirstNotice()), "", {{"Read this first.", "", IDNO, true}}, ENDS, {}, 1, -1},
        {"notice, Yes", Product("", "", FirstNotice()), "", {notice}, CANCEL, {cancel}, 2, 1},
        {"notice with OK", Product("FMOK=1\r\n", "", FirstNotice()), "", {{"Read this first.", "", IDOK, false}}, CANCEL,
         {cancel}, 2, 1},
        {"hidden", Product("HW=1\r\n"), "", {}, CANCEL, {cancel}, 2, 0},
        {"silent by the script", Product("Silent=1\r\n"), "", {}, SILENT, {}, 0, -1},
        {"administrator required", Product("APR=1\r\nC70=Administrators only.\r\n"), "", {}, CANCEL, {cancel}, 2, 1},
        {"screen width, end", Product("", wide + "RE3=2\r\n"), "", {narrow}, ENDS, {}, 1, -1},
        {"screen width, warning", Product("", wide + "RE3=1\r\n"), "", {narrow}, CANCEL, {cancel}, 2, 1},
        {"colours at 32 bits", Product("", "[CFC]\r\nCOL=16777216\r\nCO1=Colours\r\nCO2=Too few.\r\nCO3=2\r\n"), "", {},
         CANCEL, {cancel}, 2, 1},
        {"version, end", Product("", nt4 + "WP2=2\r\n"), "", {version}, ENDS, {}, 1, -1},
        {"version, warning", Product("", nt4 + "WP2=1\r\n"), "", {version}, CANCEL, {cancel}, 2, 1},
        {"restart, silent", Product("Rbt=1\r\n"), "-s", {}, SILENT, {restart}, 0, -1},
        {"restart and log-off, not silent", Product("Rbt=1\r\nsrb=1\r\n"), "", {}, WALK, {restart}, 0, 1},
        {"checksum window", Product("", "", ReadFileBytes(ProgramFolder() + "\\held_signature_setup.exe")), "", {},
         CANCEL, {cancel}, 2, 1, true},
        {"main script's name in small letters", Signed(lower, "[CFC]\r\nRES=100000\r\nRE2=the main script\r\nRE3=2\r\n"),
         "", {{"the main script", "", IDOK, false}}, ENDS, {}, 1, -1},
    };
    HANDLE go = CreateEventA(0, TRUE, FALSE, "SetupHeldSignature");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(kFolder);
        ResetEvent(go);
        std::string temp = MakeTempFolder("sp");
        Program program;
        program.SetTempFolder(temp);
        ASSERT_TRUE(program.Start(Written(temp, c.setup), c.args));
        if (c.held) {
            // The window shows before its text is set; it answers no message
            // while the sum runs, but its text is there to read.
            HWND item = GetDlgItem(WaitForDialogWithItem(program, 901, 60000), 901);
            char text[64] = "";
            for (DWORD start = GetTickCount(); !GetWindowTextA(item, text, sizeof text) && GetTickCount() - start < 15000;)
                Sleep(20);
            EXPECT_STREQ(text, "Checking the setup program...");
            SetEvent(go);
        }
        for (const Box &b : c.first) AnswerBox(program, b);
        if (c.outcome == CANCEL || c.outcome == WALK) {
            HWND frame = WaitForDialogWithItem(program, 201, 60000);
            ASSERT_NE(frame, (HWND)0);
            if (c.background >= 0) EXPECT_EQ(!TopWindows(program.Id(), "KVX32").empty(), c.background == 1);
            if (c.outcome == CANCEL) PressButton(frame, IDCANCEL);
            else WalkToTheEnd(program, frame);
        }
        for (const Box &b : c.last) AnswerBox(program, b);
        EXPECT_EQ(program.Wait(60000), c.exit);
        // Installed where a run went to its end, nowhere else.
        EXPECT_EQ(FileExists(std::string(kFolder) + "\\readme.txt"), c.exit == 0);
        EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
    }
    CloseHandle(go);
    RemoveTree(kFolder);
}
