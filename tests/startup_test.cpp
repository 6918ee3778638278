// The start-up sequence of the real program: command-line switches, the
// support library taken from the program file and bound, and the error
// reports that end a failed start-up.
#include <gtest/gtest.h>
#include "driver.h"
#include "payload/payload_layout.h"
#include "startup/command_line.h"

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

// Waits for the next message box, checks its text, presses OK.
void ExpectMessage(Program &program, const std::string &text) {
    // The first program of a fresh Wine session may take long to start.
    HWND box = WaitForMessageBox(program, 60000);
    ASSERT_NE(box, (HWND)0) << "no message box: " << text;
    EXPECT_EQ(MessageBoxText(box), text);
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitGone(box, 5000));
}

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

}  // namespace

// The program runs from a folder with a blank in its name, so the switches
// are only found behind a quoted program name; a line of more than 1024
// characters is read to its end. A bare image has no library behind it:
// what the start-up expands is no DLL, loading it fails (0002), after the
// test mode's notice where "-t" counts.
TEST(StartupTest, SwitchesCountOnlyBeforeTheFirstWordWithoutHyphen) {
    std::string folder = MakeTempFolder("sw") + "\\a b";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), 0));
    std::string exe = folder + "\\set up.exe";
    ASSERT_TRUE(CopyFileA(Engine().c_str(), exe.c_str(), FALSE));
    struct Case {
        std::string args;
        bool notice;
    } cases[] = {{"", false},        {"setup -t", false}, {"-s -t", true}, {"-x -t", true},
                 {"  \t-ts", true},  {"-T", false},       {"-st", false},
                 {std::string(1100, ' ') + "-t", true},   {"-" + std::string(1500, 'x') + " -t", true},
                 {"-s " + std::string(1500, 'x') + " -t", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.args.size()) + " characters: " + c.args.substr(0, 20));
        EngineRun run;
        run.Start(exe, c.args);
        if (c.notice) ExpectMessage(run.program, "Test Mode Enabled");
        ExpectInstallerError(run.program, "0002");
        run.ExpectEnd();
    }
}

// The arguments begin behind the program's name, quoted or not.
TEST(StartupTest, ArgumentsBeginBehindTheProgramName) {
    struct Case {
        const char *line, *args;
    } cases[] = {{"\"C:\\Program Files\\a b\\setup.exe\" -s", "-s"},
                 {"\"C:\\a b\\setup.exe\"-t", "-t"},
                 {"C:\\setup.exe\t -s -t", "-s -t"},
                 {"setup.exe", ""},
                 {"", ""},
                 {"\"C:\\no end -s", ""}};
    for (const Case &c : cases) EXPECT_STREQ(SkipProgramName(c.line), c.args) << c.line;
    EXPECT_STREQ(SkipProgramName(0), "");
}

TEST(StartupTest, LibraryLackingOneEntryEndsWith0003) {
    EngineRun run;
    run.Start(ProgramWithLibrary(run.temp, "standin_support_partial.dll"), "");
    ExpectInstallerError(run.program, "0003");
    run.ExpectEnd();
}

// Every entry binds, but the payload holds no main script.
TEST(StartupTest, PayloadWithoutMainScriptEndsWith0008) {
    EngineRun run;
    run.Start(ProgramWithLibrary(run.temp, "standin_support.dll"), "-t");
    ExpectMessage(run.program, "Test Mode Enabled");
    ExpectInstallerError(run.program, "0008");
    run.ExpectEnd();
}
