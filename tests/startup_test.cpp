// The start-up sequence of the real program: command-line switches, the
// support library taken from the program file and bound, and the error
// reports that end a failed start-up.
#include <gtest/gtest.h>
#include "driver.h"
#include "payload/payload_layout.h"
#include "startup/command_line.h"
#include "startup/globals.h"

using namespace driver;

namespace {

const char kErrorTail[] = "\n\nPlease contact the vendor of this installation file.";

std::string Engine() { return ProgramFolder() + "\\setupeng.exe"; }

// SZDD form of the bytes with every byte a literal: a flag byte of eight
// ones before each group of eight. Enough for the LZ functions to expand.
std::string LiteralSzdd(const std::string &bytes) {
    std::string out("SZDD\x88\xF0\x27\x33", 8);
    out += 'A';
    out += '_';
    unsigned size = (unsigned)bytes.size();
    for (int i = 0; i < 4; i++) out += (char)(size >> (8 * i));
    for (size_t i = 0; i < bytes.size(); i += 8) {
        out += '\xFF';
        out += bytes.substr(i, 8);
    }
    return out;
}

// A program file: the engine image padded to the library slot, then the
// library in SZDD form. The payload entries are up to the library.
std::string ProgramWithLibrary(const std::string &folder, const std::string &library) {
    std::string image = ReadFileBytes(Engine());
    EXPECT_LE(image.size(), PAYLOAD_LIBRARY_OFFSET);
    image.resize(PAYLOAD_LIBRARY_OFFSET, '\0');
    std::string dll = ReadFileBytes(ProgramFolder() + "\\" + library);
    EXPECT_FALSE(dll.empty());
    dll.resize(PAYLOAD_LIBRARY_SIZE, '\0');
    std::string path = folder + "\\setup.exe";
    EXPECT_TRUE(WriteFileBytes(path, image + LiteralSzdd(dll)));
    return path;
}

// The next message box's text; OK pressed. The first program of a fresh
// Wine session may take long to start.
void ExpectMessage(Program &program, const std::string &text) { EXPECT_EQ(AnswerMessageBox(program, IDOK, 60000), text); }

void ExpectInstallerError(Program &program, const char *code) {
    ExpectMessage(program, std::string("Installer Error: ") + code + kErrorTail);
}

struct EngineRun {
    std::string temp = MakeTempFolder("st");
    Program program;
    void Start(const std::string &exe, const std::string &args) {
        program.SetTempFolder(temp);
        ASSERT_TRUE(program.Start(exe, args));
    }
    void ExpectEnd() {
        EXPECT_EQ(program.Wait(10000), 1);  // not installed
        // Whatever ended the run, its temp files are gone.
        EXPECT_TRUE(FilesIn(temp, "*.TMP").empty());
    }
};

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
// more than 1024 characters is read to its end. The real program runs from
// a folder with a blank in its name, so its switches are only found behind
// a quoted program name. A bare image has no library behind it: what the
// start-up expands is no DLL, loading it fails (0002), after the test mode's
// notice.
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

    std::string folder = MakeTempFolder("sw") + "\\a b";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), 0));
    std::string exe = folder + "\\set up.exe";
    ASSERT_TRUE(CopyFileA(Engine().c_str(), exe.c_str(), FALSE));
    EngineRun run;
    run.Start(exe, "-" + std::string(1500, 'x') + " -t");
    ExpectMessage(run.program, "Test Mode Enabled");
    ExpectInstallerError(run.program, "0002");
    run.ExpectEnd();
}

// A library lacking one entry ends with 0003; one whose every entry binds,
// with a payload that holds no main script, with 0008.
TEST(StartupTest, LibraryLackingAnEntryOrPayloadWithoutMainScript) {
    EngineRun partial;
    partial.Start(ProgramWithLibrary(partial.temp, "standin_support_partial.dll"), "");
    ExpectInstallerError(partial.program, "0003");
    partial.ExpectEnd();
    EngineRun noScript;
    noScript.Start(ProgramWithLibrary(noScript.temp, "standin_support.dll"), "");
    ExpectInstallerError(noScript.program, "0008");
    noScript.ExpectEnd();
}
