// Whole setup programs under Wine, run silently: a fresh install of a few
// hundred files in nested folders, a second product over it that meets
// every overwrite rule and a file held open, file scripts out of step with
// their payload, and a product that makes every change after the copy.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <odbcinst.h>
#include <map>
#include <string>
#include <vector>
#include "buildtool/record_field.h"
#include "driver.h"
#include "payload/payload_layout.h"
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
    std::string script = ReadFileBytes(Sources(product) + "\\_FILE1.SCR"), line;
    size_t at = 0;
    while (at < script.size()) {
        size_t end = script.find('\n', at);
        if (end == std::string::npos) end = script.size();
        line = script.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        std::string name = RecordFieldText(line, 22), sub = RecordFieldText(line, 23);
        files.push_back({name, folder + sub + name, atoi(RecordFieldText(line, 5).c_str())});
    }
    return files;
}

// Records of the install log by tag, each with the path it names.
std::multimap<std::string, std::string> LogRecords(const std::string &log) {
    std::multimap<std::string, std::string> records;
    for (const std::string &line : Lines(log)) {
        if (line.size() < 8 || line[7] != ':') continue;
        std::string text = line.substr(8);
        while (!text.empty() && text[0] == ' ') text.erase(0, 1);
        records.insert({line.substr(0, 8), text});
    }
    return records;
}

bool Logged(const std::multimap<std::string, std::string> &records, const char *tag, const std::string &path) {
    auto range = records.equal_range(tag);
    for (auto it = range.first; it != range.second; ++it)
        if (lstrcmpiA(it->second.c_str(), path.c_str()) == 0) return true;
    return false;
}

size_t Count(const std::multimap<std::string, std::string> &records, const char *tag) { return records.count(tag); }

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

// The position of a record in a log text, npos when it is not there.
size_t RecordAt(const std::string &log, const std::string &tag, const std::string &path) {
    return log.find(tag + " " + path + "\r\n");
}

std::string Source(const char *product, const std::string &name) { return ReadFileBytes(Sources(product) + "\\" + name); }

class EndToEndTest : public ::testing::Test {
  protected:
    // Every case starts from a fresh install of the first product.
    void InstallFirst() {
        RemoveTree(kFolder);
        ASSERT_EQ(RunSilently("e2e_first_setup.exe"), 0);
        ASSERT_TRUE(FileExists(LogPath()));
    }
};

// A fresh install: every file byte for byte where the script puts it, and a
// "Copy   :" record for each, nothing else about them. Then the second
// product over it: every overwrite rule decides once, replaced files go to
// the backup folder first.
TEST_F(EndToEndTest, FreshInstallThenTheSecondProductOverIt) {
    InstallFirst();
    std::vector<Installed> files = ScriptFiles("first", kFolder);
    ASSERT_GE(files.size(), 200u);
    std::string firstLog = ReadFileBytes(LogPath()), log = firstLog;
    auto records = LogRecords(log);
    int nested = 0;
    for (const Installed &f : files) {
        SCOPED_TRACE(f.target);
        ASSERT_TRUE(FileExists(f.target));
        EXPECT_EQ(ReadFileBytes(f.target), Source("first", f.name));
        EXPECT_TRUE(Logged(records, "Copy   :", f.target));
        if (f.target.find("\\deep\\er\\") != std::string::npos) nested++;
    }
    EXPECT_GE(nested, 40);
    EXPECT_EQ(Count(records, "Copy   :"), files.size());
    EXPECT_EQ(Count(records, "Replace:") + Count(records, "Skipped:") + Count(records, "Locked :"), 0u) << log;
    EXPECT_EQ(Count(records, "Module :"), 1u);
    // The layout the uninstaller reads: the banner line whole, the [DLG]
    // section, a line of one blank, then the header records.
    EXPECT_EQ(firstLog.substr(0, 24), "*** KVX32 Vantrel 3.0 \r\n");
    size_t header = log.find("\r\n \r\nModule : E2E Product Setup - [");
    EXPECT_NE(header, std::string::npos) << log;
    EXPECT_LT(log.find("[DLG]"), header);
    EXPECT_EQ(log.find("Aborted"), std::string::npos);
    EXPECT_FALSE(FileExists(std::string(kFolder) + "\\_BACKUP_"));
    // The uninstaller's texts in the log's own [DLG] section.
    char cancel[64] = "";
    GetPrivateProfileStringA("DLG", "C2", "", cancel, sizeof cancel, LogPath().c_str());
    EXPECT_STREQ(cancel, "Cancel");

    EXPECT_EQ(RunSilently("e2e_second_setup.exe"), 0);
    // One log: the first run's lines stand as they were (banner whole, one
    // [DLG] section with the same texts, records untouched), the second
    // run's block follows them, opened by its one-blank line.
    std::string whole = ReadFileBytes(LogPath());
    EXPECT_EQ(whole.substr(0, firstLog.size()), firstLog);
    EXPECT_EQ(whole.compare(firstLog.size(), 12, " \r\nModule : "), 0) << whole.substr(0, 600);
    EXPECT_EQ(whole.find("[DLG]", firstLog.find("[DLG]") + 1), std::string::npos);
    log = LastRun(whole);
    records = LogRecords(log);
    auto was = [&](const char *name) { return Source("first", name); };
    auto now = [&](const char *name) { return Source("second", name); };

    // Mode 0: written over as plain copies; files the second product lacks stay.
    int rewritten = 0;
    for (const Installed &f : ScriptFiles("second", kFolder)) {
        if (f.mode != 0) continue;
        rewritten++;
        EXPECT_EQ(ReadFileBytes(f.target), now(f.name.c_str())) << f.target;
        EXPECT_TRUE(Logged(records, "Copy   :", f.target)) << f.target;
    }
    EXPECT_GE(rewritten, 20);
    for (const Installed &f : ScriptFiles("first", kFolder)) {
        if (FileExists(Sources("second") + "\\" + f.name)) continue;
        EXPECT_EQ(ReadFileBytes(f.target), was(f.name.c_str())) << f.target;
    }

    // Always: replaced, the old one moved to its numbered backup name.
    std::string backups = std::string(kFolder) + "\\_BACKUP_";
    EXPECT_EQ(ReadFileBytes(Rules("always.txt")), now("always.txt"));
    EXPECT_TRUE(Logged(records, "Create :", backups));
    EXPECT_NE(RecordAt(log, "Replace:", Rules("always.txt")), std::string::npos) << log;
    EXPECT_LT(RecordAt(log, "Replace:", Rules("always.txt")), RecordAt(log, "Backup :", backups + "\\always.001"));
    EXPECT_EQ(ReadFileBytes(backups + "\\always.001"), was("always.txt"));

    // Never: kept.
    EXPECT_EQ(ReadFileBytes(Rules("never.txt")), was("never.txt"));
    EXPECT_TRUE(Logged(records, "Skipped:", Rules("never.txt")));
    EXPECT_FALSE(Logged(records, "Copy   :", Rules("never.txt")));

    // Versions, part by part: 1.5 -> 2.0 newer replaces; 2.0 -> 1.5 not-older
    // keeps; 1.6 -> 1.6 not-older replaces.
    EXPECT_EQ(ReadFileBytes(Rules("up.dll")), now("up.dll"));
    EXPECT_TRUE(Logged(records, "Replace:", Rules("up.dll")));
    EXPECT_EQ(ReadFileBytes(backups + "\\up.001"), was("up.dll"));
    EXPECT_EQ(ReadFileBytes(Rules("down.dll")), was("down.dll"));
    EXPECT_TRUE(Logged(records, "Skipped:", Rules("down.dll")));
    EXPECT_TRUE(Logged(records, "Replace:", Rules("same.dll")));

    // Dates: a record date ahead replaces, one of 1990 keeps.
    EXPECT_EQ(ReadFileBytes(Rules("late.txt")), now("late.txt"));
    EXPECT_TRUE(Logged(records, "Replace:", Rules("late.txt")));
    EXPECT_EQ(ReadFileBytes(Rules("early.txt")), was("early.txt"));
    EXPECT_TRUE(Logged(records, "Skipped:", Rules("early.txt")));

    // Nothing was in use: no restart, no temporary names left.
    EXPECT_EQ(Count(records, "Locked :"), 0u);
    EXPECT_EQ(ReadFileBytes(Rules("held.txt")), now("held.txt"));
    EXPECT_TRUE(FilesIn(std::string(kFolder) + "\\rules", "VT*").empty());

    // A third run numbers its backups on: .002 beside the .001 of before.
    EXPECT_EQ(RunSilently("e2e_second_setup.exe"), 0);
    EXPECT_EQ(ReadFileBytes(backups + "\\always.001"), was("always.txt"));
    EXPECT_EQ(ReadFileBytes(backups + "\\always.002"), now("always.txt"));
}

// The second product while one of its files is held open: with the
// detection page on it stops before any write; without, the new copy waits
// under a temporary name, Windows is told to rename it at the next start,
// and the restart question is asked, silent or not.
TEST_F(EndToEndTest, HeldFileWaitsForTheRestart) {
    InstallFirst();
    std::string firstLog = ReadFileBytes(LogPath());
    Program holder;
    ASSERT_TRUE(HoldFile(holder, Rules("held.txt")));
    // With the detection page on, the held file stops the setup before
    // anything is written: the copy page never runs, so not even the log
    // changes.
    EXPECT_EQ(RunSilently("e2e_detect_setup.exe", 60000), 9);
    EXPECT_EQ(ReadFileBytes(LogPath()), firstLog);
    EXPECT_EQ(ReadFileBytes(Rules("always.txt")), Source("first", "always.txt"));
    EXPECT_FALSE(FileExists(std::string(kFolder) + "\\_BACKUP_"));
    EXPECT_TRUE(FilesIn(std::string(kFolder) + "\\rules", "VT*").empty());

    // Without the detection page the new copy waits for the restart.

    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_second_setup.exe", "-s"));
    HWND question = WaitForMessageBox(setup, 120000);
    ASSERT_NE(question, (HWND)0);
    EXPECT_EQ(MessageBoxText(question), "Sample Product is ready once Windows restarts. Restart now?");
    EXPECT_NE(GetDlgItem(question, IDCANCEL), (HWND)0);
    PressButton(question, IDCANCEL);
    EXPECT_EQ(setup.Wait(20000), 0);

    std::string log = LastRun(ReadFileBytes(LogPath()));
    std::string backup = std::string(kFolder) + "\\_BACKUP_\\held.001";
    size_t locked = RecordAt(log, "Locked :", Rules("held.txt"));
    size_t replace = RecordAt(log, "Replace:", Rules("held.txt"));
    size_t saved = RecordAt(log, "Backup :", backup);
    ASSERT_NE(locked, std::string::npos) << log;
    EXPECT_LT(locked, replace);
    EXPECT_LT(replace, saved);
    EXPECT_NE(saved, std::string::npos);

    // The held file is untouched, its old content also in the backup, the
    // new one under a temporary name beside it.
    EXPECT_EQ(ReadFileBytes(Rules("held.txt")), Source("first", "held.txt"));
    EXPECT_EQ(ReadFileBytes(backup), Source("first", "held.txt"));
    std::vector<std::string> waiting = FilesIn(std::string(kFolder) + "\\rules", "VT*");
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(ReadFileBytes(waiting[0]), Source("second", "held.txt"));
    std::string temp = waiting[0].substr(waiting[0].rfind('\\') + 1);
    EXPECT_EQ(temp.size(), 8u);  // "VT", two characters, ".", three characters
    EXPECT_EQ(temp.find('.'), 4u);

    // The rename at the next start, where Wine keeps it.
    std::string pending = PendingRenames();
    size_t from = pending.find("\\rules\\" + temp), to = pending.find("\\rules\\held.txt");
    EXPECT_NE(from, std::string::npos) << pending;
    EXPECT_NE(to, std::string::npos) << pending;
    EXPECT_LT(from, to);

    // The rest of the product went in as without the holder.
    EXPECT_EQ(ReadFileBytes(Rules("always.txt")), Source("second", "always.txt"));
    EXPECT_EQ(ReadFileBytes(std::string(kFolder) + "\\f0.txt"), Source("second", "f0.txt"));

    // Without the holder the detection page lets the same product install.
    holder.Wait(0);
    EXPECT_EQ(RunSilently("e2e_detect_setup.exe"), 0);
    EXPECT_EQ(ReadFileBytes(Rules("held.txt")), Source("second", "held.txt"));
    EXPECT_TRUE(Logged(LogRecords(LastRun(ReadFileBytes(LogPath()))), "Replace:", Rules("held.txt")));
}

// [DLG] "SPD": the frame stays hidden while a small window of its own shows
// the copy; its button does not stop it; the frame comes back for the finish.
TEST_F(EndToEndTest, SeparateCopyWindowWhileTheFrameIsHidden) {
    const std::string folder = "C:\\E2E Speed";
    RemoveTree(folder);
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_speed_setup.exe", ""));
    HWND alone = WaitForDialogWithItem(setup, 106, 20000);
    ASSERT_NE(alone, (HWND)0);
    EXPECT_EQ(GetDlgItem(alone, 201), (HWND)0);
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
    std::vector<Installed> files = ScriptFiles("first", folder);
    EXPECT_EQ(Count(LogRecords(ReadFileBytes(folder + "\\install.log")), "Copy   :"), files.size());
}

// Cancel in the middle of many small files: the walk waits while the
// question is open and stops on Yes; the files written until then, each
// whole and logged, are removed again with the folders they needed, and
// no work file is left behind.
TEST_F(EndToEndTest, CancelInABurstOfSmallFilesRollsTheRunBack) {
    const std::string folder = "C:\\E2E Burst", log = folder + "\\install.log";
    RemoveTree(folder);
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_burst_setup.exe", ""));
    HWND frame = WaitForDialogWithItem(setup, 201, 20000);
    ASSERT_NE(frame, (HWND)0);
    for (int i = 0; i < 1000 && Count(LogRecords(ReadFileBytes(log)), "Copy   :") == 0; i++) Sleep(20);
    PressButton(frame, IDCANCEL);
    HWND box = WaitForMessageBox(setup, 20000);
    ASSERT_NE(box, (HWND)0);
    size_t asked = Count(LogRecords(ReadFileBytes(log)), "Copy   :");
    PressButton(box, IDYES);
    EXPECT_EQ(setup.Wait(30000), 2);  // cancelled: not installed

    std::string text = ReadFileBytes(log);
    auto records = LogRecords(text);
    size_t copied = Count(records, "Copy   :");
    // A file being written when Cancel came is finished and logged.
    EXPECT_GE(copied, asked);
    EXPECT_LE(copied, asked + 1);
    EXPECT_GT(copied, 0u);
    EXPECT_LT(copied, 3000u);
    EXPECT_EQ(text.find("Aborted"), std::string::npos);
    EXPECT_NE(text.find("\r\nUndone : copy cancelled: "), std::string::npos) << text;
    // The folders the files needed (and any work file in them) went with
    // them; the log is left, which tells what was done and undone.
    EXPECT_TRUE(FilesIn(folder, "part*").empty());
    EXPECT_TRUE(FileExists(log));
}

// Scripts out of step with the payload: the log says the setup was aborted, no
// file that was not written is logged as copied, and what was written is
// removed again.
TEST_F(EndToEndTest, ScriptOutOfStepWithThePayloadFails) {
    for (const char *kind : {"short", "shifted"}) {
        SCOPED_TRACE(kind);
        std::string folder = std::string("C:\\E2E Bad ") + kind;
        RemoveTree(folder);
        EXPECT_EQ(RunSilently((std::string("e2e_bad_") + kind + "_setup.exe").c_str(), 60000), 2);
        std::string log = ReadFileBytes(folder + "\\install.log");
        EXPECT_NE(log.find("\r\nAborted file record does not match f"), std::string::npos) << log;
        auto records = LogRecords(log);
        EXPECT_TRUE(Logged(records, "Copy   :", folder + "\\f0.txt")) << log;
        EXPECT_FALSE(Logged(records, "Copy   :", folder + "\\f2.txt")) << log;
        // The setup rolled its run back: what it wrote is gone again.
        EXPECT_NE(log.find("\r\nUndone : copy stopped"), std::string::npos) << log;
        for (const char *name : {"f0.txt", "f1.txt", "f2.txt"}) EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
    }
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
std::string Resign(std::string file) {
    size_t main = EntryAt(file, "_SFX.DLG"), data = DataAt(file, main);
    size_t end = data + Get32(file, main + ENTRY_OFF_STORED);
    uint32_t crc = crc32(crc32(0, (const Bytef *)file.data(), (uInt)main), (const Bytef *)file.data() + end,
                         (uInt)(file.size() - end));
    int sum = (int)(crc & 0x7FFFFFFF);
    std::string script(Get32(file, main + ENTRY_OFF_EXPANDED), '\0');
    z_stream z = {};
    inflateInit2(&z, -15);
    z.next_in = (Bytef *)&file[data];
    z.avail_in = (uInt)(end - data);
    z.next_out = (Bytef *)&script[0];
    z.avail_out = (uInt)script.size();
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    script = script.substr(0, script.find("[SIG]")) + "[SIG]\r\nCheckSum=" + std::to_string(sum ? sum : 1) +
             "\r\nSize=" + std::to_string(file.size() - (end - main)) + "\r\n";
    std::string packed(script.size() + 64, '\0');
    z = {};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    z.next_in = (Bytef *)script.data();
    z.avail_in = (uInt)script.size();
    z.next_out = (Bytef *)&packed[0];
    z.avail_out = (uInt)packed.size();
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    std::string head = file.substr(main, data - main);
    Put32(head, ENTRY_OFF_CRC, crc32(0, (const Bytef *)script.data(), (uInt)script.size()));
    Put32(head, ENTRY_OFF_STORED, (uint32_t)packed.size());
    Put32(head, ENTRY_OFF_EXPANDED, (uint32_t)script.size());
    return file.substr(0, main) + head + packed + file.substr(end);
}

// Damaged entries behind a checksum made to match, run silently: no box
// waits for anybody, the run ends with a failure code, the log says what
// failed, no temp file or half-written file stays, and the run is rolled
// back.
TEST_F(EndToEndTest, SilentRunOverDamagedEntriesEndsWithAFailure) {
    const std::string folder = "C:\\E2E Bad good";
    std::string good = ReadFileBytes(ProgramFolder() + "\\e2e_bad_good_setup.exe");
    size_t f1 = EntryAt(good, "f1.txt"), f2 = EntryAt(good, "f2.txt");
    ASSERT_NE(f1, std::string::npos);
    ASSERT_NE(f2, std::string::npos);
    struct Case {
        const char *what, *logged;
        std::string bytes;
    } cases[] = {{"data", "CRC-32 failure: ", good},
                 {"size", "CRC-32 failure: ", good},
                 {"method", "Damaged entry header: ", good},
                 {"signature", "Damaged entry header: ", good},
                 {"truncated", "Damaged entry header: ", good.substr(0, DataAt(good, f2) + 2)}};
    cases[0].bytes[DataAt(good, f1) + 3] ^= 0x20;
    Put32(cases[1].bytes, f1 + ENTRY_OFF_EXPANDED, Get32(good, f1 + ENTRY_OFF_EXPANDED) + 1);
    cases[2].bytes[f1 + ENTRY_OFF_METHOD] = 9;
    cases[3].bytes[f1 + 1] = 'X';
    for (Case &c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(folder);
        std::string temp = MakeTempFolder("e2edamaged");
        ASSERT_TRUE(WriteFileBytes(temp + "\\setup.exe", Resign(c.bytes)));
        Program setup;
        setup.SetTempFolder(temp);
        ASSERT_TRUE(setup.Start(temp + "\\setup.exe", "-s"));
        EXPECT_EQ(setup.Wait(60000), 2);
        std::string log = ReadFileBytes(folder + "\\install.log");
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        EXPECT_NE(log.find("\r\nAborted "), std::string::npos) << log;
        // The run is rolled back: the file written before the damaged one
        // is gone again.
        EXPECT_NE(log.find("\r\nUndone : copy stopped"), std::string::npos) << log;
        EXPECT_FALSE(FileExists(folder + "\\f0.txt"));
        EXPECT_FALSE(FileExists(folder + "\\f1.txt"));
        EXPECT_TRUE(FilesIn(temp, "*.tmp").empty());
        EXPECT_TRUE(FilesIn(folder, "*.tmp").empty());
    }
}

// Registry text value; empty when absent.
std::string RegText(HKEY root, const std::string &key, const char *name) {
    char value[512] = "";
    DWORD size = sizeof value - 1, type = 0;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != 0) return "";
    if (RegQueryValueExA(k, name, 0, &type, (BYTE *)value, &size) != 0) value[0] = 0;
    RegCloseKey(k);
    return value;
}

struct Link {
    std::string path, arguments, folder;
    WORD hotKey = 0;
};

// A shortcut file read back through the shell's own link object.
bool ReadLink(const std::string &file, Link *link) {
    CoInitialize(0);
    IShellLinkA *shell = 0;
    IPersistFile *persist = 0;
    bool ok = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&shell)) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void **)&persist))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH];
            if (SUCCEEDED(shell->GetPath(text, MAX_PATH, 0, 0))) link->path = text;
            if (SUCCEEDED(shell->GetArguments(text, MAX_PATH))) link->arguments = text;
            if (SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH))) link->folder = text;
            shell->GetHotkey(&link->hotKey);
            ok = true;
        }
    }
    if (persist) persist->Release();
    if (shell) shell->Release();
    CoUninitialize();
    return ok;
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Every change after the copy, silently: folders, shortcuts read back,
// INI files with the old value logged, font, shared count, self-registration,
// ODBC driver and data sources where ODBC keeps them, and the records in the
// order of the work.
TEST(FinishingStepsTest, SilentInstallMakesEveryChangeAndLogsItInOrder) {
    const std::string folder = "C:\\E2E Finish", bin = folder + "\\bin";
    RemoveTree(folder);
    HKEY shared;
    const char sharedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, sharedKey, 0, 0, 0, KEY_ALL_ACCESS, 0, &shared, 0), 0);
    RegDeleteValueA(shared, (bin + "\\shared.dll").c_str());
    RegCloseKey(shared);
    std::string programs = RegText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
    std::string desktop = RegText(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    ASSERT_FALSE(programs.empty());
    ASSERT_FALSE(desktop.empty());
    std::string group = programs + "\\E2E Finish";
    RemoveTree(group);
    DeleteFileA((desktop + "\\Tool on the desktop.lnk").c_str());

    Program setup;
    std::string temp = MakeTempFolder("finish");
    setup.SetTempFolder(temp);
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_finish_setup.exe", "-s"));
    ASSERT_EQ(setup.Wait(90000), 0);
    std::string log = ReadFileBytes(folder + "\\install.log");

    // Folders: the empty one made, the unchosen one and the one outside not.
    EXPECT_TRUE(FileExists(folder + "\\empty\\sub"));
    EXPECT_FALSE(FileExists(folder + "\\optional"));
    EXPECT_FALSE(FileExists("C:\\outside"));

    // Shortcuts: into the group of all users' programs and onto the desktop.
    Link tool, onDesktop;
    ASSERT_TRUE(ReadLink(group + "\\Tool.lnk", &tool)) << log;
    EXPECT_EQ(lstrcmpiA(tool.path.c_str(), (bin + "\\tool.txt").c_str()), 0) << tool.path;
    EXPECT_EQ(tool.arguments, "--start here");
    EXPECT_EQ(lstrcmpiA(tool.folder.c_str(), bin.c_str()), 0) << tool.folder;
    EXPECT_EQ(tool.hotKey, MAKEWORD(70, HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    ASSERT_TRUE(ReadLink(desktop + "\\Tool on the desktop.lnk", &onDesktop)) << log;
    EXPECT_EQ(lstrcmpiA(onDesktop.path.c_str(), (bin + "\\tool.txt").c_str()), 0);
    EXPECT_EQ(onDesktop.arguments, "-d");
    EXPECT_EQ(onDesktop.hotKey, 0);
    EXPECT_FALSE(FileExists(desktop + "\\..\\Escaped.lnk"));

    // INI files: a new one, and an existing one whose old value is logged.
    char value[128];
    GetPrivateProfileStringA("Paths", "Home", "", value, sizeof value, (folder + "\\settings.ini").c_str());
    EXPECT_STREQ(value, folder.c_str());
    GetPrivateProfileStringA("Paths", "Unchosen", "none", value, sizeof value, (folder + "\\settings.ini").c_str());
    EXPECT_STREQ(value, "none");
    GetPrivateProfileStringA("Old", "Key", "", value, sizeof value, (folder + "\\existing.ini").c_str());
    EXPECT_STREQ(value, "after");

    // Font, shared count, self-registration.
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "E2E Finish Font"),
              folder + "\\fonts\\e2e.fon");
    DWORD count = 0, size = sizeof count;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, sharedKey, 0, KEY_READ, &shared), 0);
    EXPECT_EQ(RegQueryValueExA(shared, (bin + "\\shared.dll").c_str(), 0, 0, (BYTE *)&count, &size), 0);
    RegCloseKey(shared);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(lstrcmpiA(RegText(HKEY_CURRENT_USER, "Software\\E2E Finish", "SelfReg").c_str(),
                        (bin + "\\selfreg.dll").c_str()), 0);

    // ODBC: the driver, a data source of the user and one of the machine,
    // read back through the ODBC installer.
    auto odbc = [](UWORD mode, const char *section, const char *key, const char *file) {
        char text[256] = "";
        SQLSetConfigMode(mode);
        SQLGetPrivateProfileString(section, key, "", text, sizeof text, file);
        SQLSetConfigMode(ODBC_BOTH_DSN);
        return std::string(text);
    };
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\E2E Driver", "Driver"), bin + "\\e2edrv.dll");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\ODBC Drivers", "E2E Driver"), "Installed");
    EXPECT_EQ(odbc(ODBC_USER_DSN, "E2E Source", "Description", "ODBC.INI"), "End to end source");
    EXPECT_EQ(odbc(ODBC_SYSTEM_DSN, "E2E System", "Database", "ODBC.INI"), folder + "\\data");
    const char *sources = "Software\\ODBC\\ODBC.INI\\ODBC Data Sources";
    for (const char *dsn : {"E2E Source", "E2E System"})
        EXPECT_EQ(RegText(HKEY_CURRENT_USER, sources, dsn) + RegText(HKEY_LOCAL_MACHINE, sources, dsn), "E2E Driver");

    // Billboards in a silent run are passed over: nothing in the folder or
    // the temp folder, and no file went out of step with its record.
    EXPECT_EQ(log.find("Aborted"), std::string::npos) << log;
    EXPECT_TRUE(FilesIn(temp, "bb*.bmp").empty());
    EXPECT_FALSE(FileExists(folder + "\\bb1.bmp"));

    // The records in the order of the work.
    std::vector<std::string> order = {
        "Create : " + folder + "\\empty",
        "Create : " + folder + "\\empty\\sub",
        "Error  : folder passed over: " + folder + "\\..\\outside",
        "Copy   : " + bin + "\\tool.txt",
        "Copy   : " + folder + "\\existing.ini",
        "Copy   : " + folder + "\\fonts\\e2e.fon",
        "RegRoot: 3",
        "RegKey : SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
        "RegName: E2E Finish Font",
        "RegVal : " + folder + "\\fonts\\e2e.fon",
        "CShared: " + bin + "\\shared.dll",
        "Copy   : " + bin + "\\shared.dll",
        "Copy   : " + bin + "\\selfreg.dll",
        "Create : " + group,
        "SLink  : " + group + "\\Tool.lnk",
        "SLink  : " + desktop + "\\Tool on the desktop.lnk",
        "Error  : shortcut root not 1 to 5: Root nine.lnk",
        "Error  : shortcut passed over: ..\\Escaped.lnk",
        "INIFile: " + folder + "\\settings.ini",
        "INISec : Paths",
        "INIItem: Home",
        "INIVal : " + folder,
        "INIFile: " + folder + "\\existing.ini",
        "INISec : Old",
        "INIItem: Key",
        "INIOld : before",
        "INIVal : after",
        "SelfReg: " + bin + "\\selfreg.dll",
        "ODBC   : E2E Driver",
        "ODBCDSN: DSN=E2E System",
    };
    size_t at = 0;
    for (const std::string &record : order) {
        size_t found = log.find("\r\n" + record + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << record << "\n" << log;
        at = found + 2;
    }
    EXPECT_EQ(log.find("Unchosen"), std::string::npos);
    EXPECT_EQ(log.find("CTplReg:"), std::string::npos) << "no environment ran";
}


// The same product through the wizard: the billboards come one after the
// other on the background (the last one is on screen when the template
// question is asked), the question answered No registers nothing, and the
// last billboard's temp file is gone when the program ends.
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
    std::string shots = ProgramFolder() + "\\screenshots";
    CreateDirectoryA(shots.c_str(), 0);
    EXPECT_TRUE(SaveScreenshot(shots + "\\40-copy-page-billboard.png"));
    PressButton(question, IDNO);

    HWND frame = WaitForDialogWithItem(setup, 201, 30000);
    ASSERT_NE(frame, (HWND)0);
    HWND finish = 0;
    for (int i = 0; i < 200 && !finish; i++, Sleep(50))
        for (HWND child = FindWindowExA(frame, 0, "#32770", 0); child; child = FindWindowExA(frame, child, "#32770", 0))
            if (IsWindowVisible(child) && GetDlgItem(child, 551)) finish = child;
    ASSERT_NE(finish, (HWND)0) << "no finish page";
    PressButton(frame, 201);
    EXPECT_EQ(setup.Wait(15000), 0);
    EXPECT_TRUE(FilesIn(temp, "bb*.bmp").empty());
    std::string log = ReadFileBytes(folder + "\\install.log");
    EXPECT_NE(log.find("\r\nSLink  : "), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nODBCDSN: DSN=E2E System\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("CTplReg:"), std::string::npos);
    EXPECT_EQ(log.find("Aborted"), std::string::npos) << log;
}

std::vector<LPARAM> s_progress;
LRESULT CALLBACK ProgressProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == RegisterWindowMessageA("CKWP1")) s_progress.push_back(lp);
    return DefWindowProcA(w, m, wp, lp);
}

// The shipped library unpacking an entry of 1 MiB for a page: it reports
// the share written in percent steps, rising to 100.
TEST(LibraryProgressTest, PerFileProgressRisesToAHundred) {
    HMODULE library = LoadLibraryA((ProgramFolder() + "\\supportlib.dll").c_str());
    ASSERT_NE(library, (HMODULE)0);
    typedef int(WINAPI * Int)(int, int);
    typedef int(WINAPI * Window)(HWND);
    typedef int(WINAPI * Next)(const char *, int, char *);
    typedef int(WINAPI * Unpack)(const char *, const char *, const char *, const char *, int);
    auto udf1 = (Int)GetProcAddress(library, "UDF1");
    auto init = (Window)GetProcAddress(library, "KWP_UINIT_MP");
    auto next = (Next)GetProcAddress(library, "KWP_NEXTLOOP");
    auto unpack = (Unpack)GetProcAddress(library, "KWP_UNPACK");
    ASSERT_TRUE(udf1 && init && next && unpack);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProgressProc;
    wc.hInstance = GetModuleHandleA(0);
    wc.lpszClassName = "ProgressProbe";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("ProgressProbe", "", 0, 0, 0, 10, 10, 0, 0, wc.hInstance, 0);
    ASSERT_NE(window, (HWND)0);
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
    DestroyWindow(window);
    FreeLibrary(library);
}

}  // namespace
