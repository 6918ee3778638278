// Whole setup programs under Wine: a fresh install of a few hundred files
// in nested folders, a second product over it that meets every overwrite
// rule and a file held open, the separate copy window, a cancelled copy,
// damaged entries and file scripts out of step with their payload, the
// finishing-steps product through its wizard, and the shipped library's
// per-file progress.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "buildtool/record_field.h"
#include "driver.h"
#include "payload_edit.h"
#include "payload/payload_layout.h"
#include "payload/support_entries.h"
#include "screenshot.h"
#include <zlib.h>

using namespace driver;

namespace {

const char kFolder[] = "C:\\E2E Product";

std::string Sources(const char *product) { return ProgramFolder() + "\\e2e\\" + product; }

struct Installed {
    std::string name, target;
    int mode;
};

// The files a product's script installs, with their targets below the folder.
std::vector<Installed> ScriptFiles(const char *product, const std::string &folder) {
    std::vector<Installed> files;
    for (const std::string &line : Lines(ReadFileBytes(Sources(product) + "\\_FILE1.SCR"))) {
        if (line.empty()) continue;
        std::string name = RecordFieldText(line, 22), sub = RecordFieldText(line, 23);
        files.push_back({name, folder + sub + name, atoi(RecordFieldText(line, 5).c_str())});
    }
    return files;
}

// The records of the install log with this tag.
size_t Count(const std::string &log, const char *tag) {
    size_t n = 0;
    for (size_t at = log.find(tag); at != std::string::npos; at = log.find(tag, at + 1)) n++;
    return n;
}

int RunSilently(const char *setup, DWORD ms = 90000) {
    Program program;
    if (!program.Start(ProgramFolder() + "\\" + setup, "-s")) return -2;
    return program.Wait(ms);
}

std::string Rules(const char *name) { return std::string(kFolder) + "\\rules\\" + name; }
std::string LogPath() { return std::string(kFolder) + "\\install.log"; }

// The records of the last run: everything after the last "Module :" header.
std::string LastRun(const std::string &log) {
    size_t at = log.rfind("Module :");
    return at == std::string::npos ? std::string() : log.substr(at);
}

bool Logged(const std::string &log, const std::string &tag, const std::string &path) {
    return log.find("\r\n" + tag + " " + path + "\r\n") != std::string::npos;
}
// The records stand in the log in this order, each of them there.
::testing::AssertionResult InOrder(const std::string &log, const std::vector<std::string> &records) {
    size_t at = 0;
    for (const std::string &record : records) {
        size_t found = log.find("\r\n" + record + "\r\n", at);
        if (found == std::string::npos) return ::testing::AssertionFailure() << "missing or out of order: " << record;
        at = found + 2;
    }
    return ::testing::AssertionSuccess();
}

std::string Source(const char *product, const std::string &name) { return ReadFileBytes(Sources(product) + "\\" + name); }

// A fresh install: every file byte for byte where the script puts it, and a
// "Copy   :" record for each, nothing else about them. Then the second
// product over it while one of its files is held open: with the detection
// page on it stops before any write; without, every overwrite rule decides
// once, replaced files go to the backup folder first, and the held file's
// new copy waits under a temporary name that Windows is told to rename at
// the next start, after the restart question (asked, silent or not). Last,
// without the holder, the detection page lets the product install, and
// the backups are numbered on.
TEST(EndToEndTest, FreshInstallThenTheSecondProductOverItWithAFileHeld) {
    RemoveTree(kFolder);
    ASSERT_EQ(RunSilently("e2e_first_setup.exe"), 0);
    std::vector<Installed> files = ScriptFiles("first", kFolder);
    ASSERT_GE(files.size(), 200u);
    std::string firstLog = ReadFileBytes(LogPath()), log = firstLog;
    for (const Installed &f : files) {
        SCOPED_TRACE(f.target);
        ASSERT_TRUE(FileExists(f.target));
        EXPECT_EQ(ReadFileBytes(f.target), Source("first", f.name));
        EXPECT_TRUE(Logged(log, "Copy   :", f.target));
    }
    EXPECT_EQ(Count(log, "Copy   :"), files.size());
    EXPECT_EQ(Count(log, "Replace:") + Count(log, "Skipped:") + Count(log, "Locked :"), 0u) << log;
    EXPECT_EQ(Count(log, "Module :"), 1u);
    // The layout the uninstaller reads: the banner line whole, the [DLG]
    // section with the uninstaller's texts (C59 and C60 as L1 and L2), a
    // line of one blank, then the header records.
    const std::string layout = "*** KVX32 Vantrel 3.0 \r\n[DLG]\r\nL1=Remove E2E\r\nL2=Remove it?\r\nC61=sixty-one\r\n"
                               "C62=sixty-two\r\nC63=sixty-three\r\nC2=Cancel\r\n \r\nModule : E2E Product Setup - [";
    EXPECT_EQ(firstLog.substr(0, layout.size()), layout);
    EXPECT_NE(log.find("\r\nCompInf: "), std::string::npos) << log;
    EXPECT_EQ(log.find("Aborted"), std::string::npos);

    Program holder;
    ASSERT_TRUE(HoldFile(holder, Rules("held.txt")));
    // With the detection page on, the held file stops the setup before
    // anything is written: the copy page never runs, so not even the log
    // changes (and the next run makes the backup folder and the one
    // temporary file).
    EXPECT_EQ(RunSilently("e2e_detect_setup.exe", 60000), 9);
    EXPECT_EQ(ReadFileBytes(LogPath()), firstLog);

    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_second_setup.exe", "-s"));
    // Answered Cancel: a box without it would stay and the setup not end.
    EXPECT_EQ(AnswerMessageBox(setup, IDCANCEL, 120000), "Sample Product is ready once Windows restarts. Restart now?");
    EXPECT_EQ(setup.Wait(20000), 0);
    // One log: the first run's lines stand as they were (banner whole, one
    // [DLG] section with the same texts, records untouched), the second
    // run's block follows them, opened by its one-blank line.
    std::string whole = ReadFileBytes(LogPath());
    EXPECT_EQ(whole.substr(0, firstLog.size()), firstLog);
    EXPECT_EQ(whole.compare(firstLog.size(), 12, " \r\nModule : "), 0) << whole.substr(0, 600);
    EXPECT_EQ(whole.find("[DLG]", firstLog.find("[DLG]") + 1), std::string::npos);
    log = LastRun(whole);
    auto was = [&](const std::string &name) { return Source("first", name); };
    auto now = [&](const std::string &name) { return Source("second", name); };

    // Mode 0: written over as plain copies; files the second product lacks stay.
    for (const Installed &f : ScriptFiles("second", kFolder)) {
        if (f.mode != 0) continue;
        EXPECT_EQ(ReadFileBytes(f.target), now(f.name)) << f.target;
        EXPECT_TRUE(Logged(log, "Copy   :", f.target)) << f.target;
    }
    for (const Installed &f : ScriptFiles("first", kFolder))
        if (!FileExists(Sources("second") + "\\" + f.name)) EXPECT_EQ(ReadFileBytes(f.target), was(f.name)) << f.target;

    // Always replaces, never keeps; versions part by part: 1.5 -> 2.0 newer
    // replaces, 2.0 -> 1.5 not-older keeps, 1.6 -> 1.6 not-older replaces;
    // a record date ahead replaces, one of 1990 keeps. What is replaced is
    // moved to its numbered backup name first.
    std::string backups = std::string(kFolder) + "\\_BACKUP_";
    EXPECT_TRUE(Logged(log, "Create :", backups));
    struct Rule {
        const char *name;
        bool replaced;
    } rules[] = {{"always.txt", true}, {"never.txt", false}, {"up.dll", true},    {"down.dll", false},
                 {"same.dll", true},   {"late.txt", true},   {"early.txt", false}};
    for (const Rule &r : rules) {
        SCOPED_TRACE(r.name);
        std::string backup = backups + "\\" + std::string(r.name).substr(0, std::string(r.name).find('.')) + ".001";
        EXPECT_EQ(ReadFileBytes(Rules(r.name)), r.replaced ? now(r.name) : was(r.name));
        EXPECT_TRUE(Logged(log, r.replaced ? "Replace:" : "Skipped:", Rules(r.name))) << log;
        EXPECT_FALSE(Logged(log, "Copy   :", Rules(r.name)));
        EXPECT_EQ(ReadFileBytes(backup), r.replaced ? was(r.name) : "");
        if (r.replaced) EXPECT_TRUE(InOrder(log, {"Replace: " + Rules(r.name), "Backup : " + backup})) << log;
    }

    // The held file: untouched, its old content also in the backup, the new
    // one under a temporary name beside it ("VT", two characters, ".",
    // three characters), renamed at the next start where Wine keeps that.
    std::string backup = backups + "\\held.001";
    EXPECT_TRUE(InOrder(log, {"Locked : " + Rules("held.txt"), "Replace: " + Rules("held.txt"), "Backup : " + backup}))
        << log;
    EXPECT_EQ(ReadFileBytes(Rules("held.txt")), was("held.txt"));
    EXPECT_EQ(ReadFileBytes(backup), was("held.txt"));
    std::vector<std::string> waiting = FilesIn(std::string(kFolder) + "\\rules", "VT*");
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(ReadFileBytes(waiting[0]), now("held.txt"));
    std::string temp = waiting[0].substr(waiting[0].rfind('\\') + 1);
    EXPECT_EQ(temp.size(), 8u);
    EXPECT_EQ(temp.find('.'), 4u);
    std::string pending = PendingRenames();
    size_t from = pending.find("\\rules\\" + temp + "|");
    EXPECT_NE(from, std::string::npos) << pending;
    EXPECT_NE(pending.find("\\rules\\held.txt|", from), std::string::npos) << pending;

    // Without the holder the detection page lets the same product install;
    // nothing is in use, and this third run numbers its backups on.
    holder.Wait(0);
    EXPECT_EQ(RunSilently("e2e_detect_setup.exe"), 0);
    log = LastRun(ReadFileBytes(LogPath()));
    EXPECT_EQ(ReadFileBytes(Rules("held.txt")), now("held.txt"));
    EXPECT_TRUE(Logged(log, "Replace:", Rules("held.txt")));
    EXPECT_EQ(ReadFileBytes(backups + "\\always.002"), now("always.txt"));
}

// [DLG] "SPD": the frame stays hidden while a small window of its own shows
// the copy; its button does not stop it; the frame comes back for the finish.
TEST(EndToEndTest, SeparateCopyWindowWhileTheFrameIsHidden) {
    const std::string folder = "C:\\E2E Speed";
    RemoveTree(folder);
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_speed_setup.exe", ""));
    HWND alone = WaitForDialogWithItem(setup, 106, 20000);
    ASSERT_NE(alone, (HWND)0);
    EXPECT_EQ(WindowText(alone), "E2E Product Setup");
    EXPECT_EQ(ItemText(alone, 2), "Cancel");
    EXPECT_EQ(WaitForDialogWithItem(setup, 201, 0), (HWND)0) << "the frame is shown beside the copy window";
    Sleep(1000);  // a second into the copy
    EXPECT_TRUE(SaveShot("30-copy-window"));
    PressButton(alone, 2);

    HWND frame = WaitForDialogWithItem(setup, 201, 60000);
    ASSERT_NE(frame, (HWND)0);
    EXPECT_TRUE(WaitGone(alone, 5000));
    EXPECT_NE(WaitForPageWithItem(setup, frame, 551, 5000), (HWND)0) << "no finish page";
    PressButton(frame, 201);
    EXPECT_EQ(setup.Wait(15000), 0);
    EXPECT_EQ(Count(ReadFileBytes(folder + "\\install.log"), "Copy   :"), ScriptFiles("first", folder).size());
}

// Cancel in the middle of many small files: the walk waits while the
// question is open and stops on Yes; the files written until then, each
// whole and logged, are removed again with the folders they needed, and
// no work file is left behind. The file the first record replaced is back
// as another product left it, and the backup folder is gone.
TEST(EndToEndTest, CancelInABurstOfSmallFilesRollsTheRunBack) {
    const std::string folder = "C:\\E2E Burst", log = folder + "\\install.log";
    const std::string replaced = folder + "\\part0\\b0.txt";
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), 0);
    CreateDirectoryA((folder + "\\part0").c_str(), 0);
    WriteFileBytes(replaced, "another product's b0");
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_burst_setup.exe", ""));
    HWND frame = WaitForDialogWithItem(setup, 201, 20000);
    ASSERT_NE(frame, (HWND)0);
    for (int i = 0; i < 1000 && Count(ReadFileBytes(log), "Copy   :") == 0; i++) Sleep(20);
    PressButton(frame, IDCANCEL);
    HWND box = WaitForMessageBox(setup, 20000);
    ASSERT_NE(box, (HWND)0);
    size_t asked = Count(ReadFileBytes(log), "Copy   :");
    PressButton(box, IDYES);
    EXPECT_EQ(setup.Wait(30000), 2);  // cancelled: not installed

    std::string text = ReadFileBytes(log);
    size_t copied = Count(text, "Copy   :");
    // A file being written when Cancel came is finished and logged.
    EXPECT_GE(copied, asked);
    EXPECT_LE(copied, asked + 1);
    EXPECT_GT(copied, 0u);
    EXPECT_LT(copied, 3000u);
    EXPECT_EQ(text.find("Aborted"), std::string::npos);
    EXPECT_NE(text.find("\r\nUndone : copy cancelled: "), std::string::npos) << text;
    // The folders the files needed (and any work file in them) went with
    // them; the log (read above) is left, which tells what was done and
    // undone.
    EXPECT_TRUE(Logged(text, "Replace:", replaced)) << text;
    EXPECT_EQ(ReadFileBytes(replaced), "another product's b0");
    EXPECT_FALSE(FileExists(folder + "\\_BACKUP_"));
    EXPECT_EQ(FilesIn(folder, "part*"), std::vector<std::string>({folder + "\\part0"}));
    EXPECT_EQ(FilesIn(folder + "\\part0", "*.txt"), std::vector<std::string>({replaced}));
}

uint32_t Get32(const std::string &s, size_t at) {
    return (uint8_t)s[at] | (uint8_t)s[at + 1] << 8 | (uint8_t)s[at + 2] << 16 | (uint32_t)(uint8_t)s[at + 3] << 24;
}
void Put32(std::string &s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) s[at + i] = (char)(v >> (8 * i));
}

// The header offset of the entry with this name and folder text.
size_t EntryAt(const std::string &file, const std::string &name) {
    size_t at = file.find(name + "\\", PAYLOAD_FIRST_ENTRY);
    return at == std::string::npos ? at : at - ENTRY_HEADER_SIZE;
}
size_t DataAt(const std::string &file, size_t entry) {
    return entry + ENTRY_HEADER_SIZE + (uint8_t)file[entry + ENTRY_OFF_NAMELEN] +
           (uint8_t)file[entry + ENTRY_OFF_EXTRALEN];
}

// A changed setup program with the checksum its main script must carry, as
// a tampered file made to pass the integrity check would have.
std::string Resign(const std::string &file) { return Signed(file, Source("bad_good", "_SFX.DLG")); }

// Damaged entries behind a checksum made to match, and file scripts out of
// step with their payload (an empty line ends the script early; a record
// without a name shifts the rest), run silently: no box waits for anybody,
// the run ends with a failure code, the log says what failed, no file that
// was not written is logged as copied, no temp file or half-written file
// stays, and the run is rolled back.
TEST(EndToEndTest, SilentRunOverDamagedEntriesOrScriptsEndsWithAFailure) {
    std::string good = ReadFileBytes(ProgramFolder() + "\\e2e_bad_good_setup.exe");
    size_t f1 = EntryAt(good, "f1.txt"), f2 = EntryAt(good, "f2.txt");
    ASSERT_NE(f1, std::string::npos);
    ASSERT_NE(f2, std::string::npos);
    struct Case {
        const char *what, *logged;
        std::string bytes;
    } cases[] = {{"good", "CRC-32 failure: ", good},
                 {"good", "CRC-32 failure: ", good},
                 {"good", "Damaged entry header: ", good},
                 {"good", "Damaged entry header: ", good},
                 {"good", "Damaged entry header: ", good.substr(0, DataAt(good, f2) + 2)},
                 {"short", "\r\nAborted no file record for f1.txt", ReadFileBytes(ProgramFolder() + "\\e2e_bad_short_setup.exe")},
                 {"shifted", "\r\nAborted file record does not match f", ReadFileBytes(ProgramFolder() + "\\e2e_bad_shifted_setup.exe")}};
    cases[0].bytes[DataAt(good, f1) + 3] ^= 0x20;
    Put32(cases[1].bytes, f1 + ENTRY_OFF_EXPANDED, Get32(good, f1 + ENTRY_OFF_EXPANDED) + 1);
    cases[2].bytes[f1 + ENTRY_OFF_METHOD] = 9;
    cases[3].bytes[f1 + 1] = 'X';
    for (Case &c : cases) {
        SCOPED_TRACE(c.logged);
        const std::string folder = std::string("C:\\E2E Bad ") + c.what;
        RemoveTree(folder);
        std::string temp = MakeTempFolder("e2edamaged");
        ASSERT_TRUE(WriteFileBytes(temp + "\\setup.exe", std::string(c.what) == "good" ? Resign(c.bytes) : c.bytes));
        Program setup;
        setup.SetTempFolder(temp);
        ASSERT_TRUE(setup.Start(temp + "\\setup.exe", "-s"));
        EXPECT_EQ(setup.Wait(60000), 2);
        std::string log = ReadFileBytes(folder + "\\install.log");
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        EXPECT_NE(log.find("\r\nAborted "), std::string::npos) << log;
        EXPECT_TRUE(Logged(log, "Copy   :", folder + "\\f0.txt")) << log;
        EXPECT_FALSE(Logged(log, "Copy   :", folder + "\\f2.txt")) << log;
        // The run is rolled back: what it wrote is gone again.
        EXPECT_NE(log.find("\r\nUndone : copy stopped"), std::string::npos) << log;
        for (const char *name : {"f0.txt", "f1.txt", "f2.txt"}) EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
        EXPECT_TRUE(FilesIn(temp, "*.tmp").empty());
        EXPECT_TRUE(FilesIn(folder, "*.tmp").empty());
    }
}

// The finishing-steps product (its silent install and removal: the
// uninstall tests) through the wizard: the billboards come one after the
// other on the background (the last one is on screen when the template
// question is asked), the question answered No registers nothing, and the
// last billboard's temp file is gone when the program ends. Then removed.
TEST(FinishingStepsTest, WizardShowsTheBillboardsAndAsksAboutTemplates) {
    const std::string folder = "C:\\E2E Finish";
    RemoveTree(folder);
    Program setup;
    std::string temp = MakeTempFolder("finishwiz");
    setup.SetTempFolder(temp);
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_finish_setup.exe", ""));
    HWND question = WaitForMessageBox(setup, 90000);
    ASSERT_NE(question, (HWND)0);
    EXPECT_EQ(MessageBoxText(question), "Register the product's templates with the development environment?");
    EXPECT_EQ(FilesIn(temp, "bb*.bmp"), std::vector<std::string>{temp + "\\bb3.bmp"});
    EXPECT_TRUE(SaveShot("40-copy-page-billboard"));
    PressButton(question, IDNO);

    HWND frame = WaitForDialogWithItem(setup, 201, 30000);
    ASSERT_NE(frame, (HWND)0);
    ASSERT_NE(WaitForPageWithItem(setup, frame, 551, 10000), (HWND)0) << "no finish page";
    PressButton(frame, 201);
    EXPECT_EQ(setup.Wait(15000), 0);
    EXPECT_TRUE(FilesIn(temp, "bb*.bmp").empty());
    EXPECT_EQ(ReadFileBytes(folder + "\\install.log").find("CTplReg:"), std::string::npos);
    // The other records and the uninstaller's work: the uninstall tests.
    Program uninstaller;
    uninstaller.SetTempFolder(temp);
    ASSERT_TRUE(uninstaller.Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + folder + "\\install.log\""));
    EXPECT_EQ(uninstaller.Wait(60000), 0);
    EXPECT_FALSE(FileExists(folder + "\\bin\\tool.txt"));
}

std::vector<LPARAM> s_progress;
LRESULT CALLBACK ProgressProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == RegisterWindowMessageA("CKWP1")) s_progress.push_back(lp);
    return DefWindowProcA(w, m, wp, lp);
}

// The shipped library unpacking an entry of 1 MiB for a page: it reports
// the share written in percent steps, rising to 100; and it finds the same
// entry past 2 GiB.
TEST(LibraryProgressTest, PerFileProgressRisesToAHundred) {
    HMODULE library = LoadLibraryA((ProgramFolder() + "\\supportlib.dll").c_str());
    ASSERT_NE(library, (HMODULE)0);
    auto udf1 = (PFN_UDF1)GetProcAddress(library, "UDF1");
    auto init = (PFN_KWP_UINIT_MP)GetProcAddress(library, "KWP_UINIT_MP");
    auto next = (PFN_KWP_NEXTLOOP)GetProcAddress(library, "KWP_NEXTLOOP");
    auto unpack = (PFN_KWP_UNPACK)GetProcAddress(library, "KWP_UNPACK");
    ASSERT_TRUE(udf1 && init && next && unpack);
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_NE(window, (HWND)0);
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)ProgressProc);
    std::string setup = ProgramFolder() + "\\e2e_bad_good_setup.exe", temp = MakeTempFolder("e2eprog");
    udf1(PAYLOAD_FIRST_ENTRY, PAYLOAD_UDF1_ARG);
    init(window);
    char record[ENTRY_RECORD_SIZE];
    while (next(setup.c_str(), 0, record) == 0 && std::string(record + ENTRY_RECORD_NAME) != "big.bin")
        unpack(record + ENTRY_RECORD_NAME, record + ENTRY_RECORD_FOLDER, setup.c_str(), temp.c_str(), 0x10);
    ASSERT_EQ(std::string(record + ENTRY_RECORD_NAME), "big.bin");
    EXPECT_EQ(unpack("big.bin", "\\", setup.c_str(), temp.c_str(), 0x400A | 0x20), 0);
    EXPECT_EQ(ReadFileBytes(temp + "\\big.bin").size(), 1u << 20);
    ASSERT_GE(s_progress.size(), 5u);
    for (size_t i = 1; i < s_progress.size(); i++) EXPECT_GT(s_progress[i], s_progress[i - 1]);
    EXPECT_EQ(s_progress.back(), 100);
    init(0);
    // The same entry 3 GiB into a (sparse) program file: offsets past 2 GiB
    // are read as the unsigned offsets the format gives.
    std::string r(record, 12), distant = temp + "\\distant.exe";
    std::string entry = ReadFileBytes(setup).substr(Get32(r, 0), Get32(r, 4) + Get32(r, 8) - Get32(r, 0));
    HANDLE f = CreateFileA(distant.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    LONG high = 0;
    DWORD wrote = 0;
    ASSERT_NE(SetFilePointer(f, (LONG)0xC0000000u, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    ASSERT_TRUE(WriteFile(f, entry.data(), (DWORD)entry.size(), &wrote, 0));
    CloseHandle(f);
    std::string first = ReadFileBytes(temp + "\\big.bin");
    DeleteFileA((temp + "\\big.bin").c_str());
    udf1((int)0xC0000000u, PAYLOAD_UDF1_ARG);
    ASSERT_EQ(next(distant.c_str(), 0, record), 0);
    EXPECT_EQ(std::string(record + ENTRY_RECORD_NAME), "big.bin");
    EXPECT_EQ(unpack("big.bin", "\\", distant.c_str(), temp.c_str(), 0x400A | 0x20), 0);
    EXPECT_TRUE(ReadFileBytes(temp + "\\big.bin") == first);
    DeleteFileA(distant.c_str());
    DestroyWindow(window);
    FreeLibrary(library);
}

}  // namespace
