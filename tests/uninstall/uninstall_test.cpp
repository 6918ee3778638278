// The uninstaller and the setup's rollback under Wine: the prefix (files of
// drive C: and the registry) is compared with a snapshot taken before.
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <string>
#include <vector>
#include <objbase.h>
#include <shlobj.h>
#include <odbcinst.h>
#include "driver.h"
#include "vouch.h"

using namespace driver;

namespace {

const std::string kFolder = "C:\\E2E Uninstall";
const char kShared[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

std::string Lower(std::string s) {
    CharLowerBuffA(&s[0], (DWORD)s.size());
    return s;
}

std::string SystemFolder() {
    char path[MAX_PATH];
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

// Files and folders below drive C: (temp folders left out: other programs
// of the test run come and go there), each with its size and the hash of
// its bytes; and the keys and values ("key|value") of the registry's
// software keys, with their data.
typedef std::map<std::string, std::string> Snapshot;

std::string Signature(const std::string &path, const WIN32_FIND_DATAA &found) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "folder";
    unsigned long long size = ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    if (size > 262144) return std::to_string(size) + "@" + std::to_string(found.ftLastWriteTime.dwLowDateTime);
    unsigned h = 2166136261u;
    for (char c : ReadFileBytes(path)) h = (h ^ (unsigned char)c) * 16777619u;
    return std::to_string(size) + "#" + std::to_string(h);
}

void WalkFiles(const std::string &folder, const std::vector<std::string> &skip, Snapshot &s) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName, full = folder + "\\" + name;
        if (name == "." || name == "..") continue;
        std::string key = Lower(full);
        if (std::find(skip.begin(), skip.end(), key) != skip.end()) continue;
        s[key] = Signature(full, found);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            WalkFiles(full, skip, s);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

// Every key below path and its values (type and bytes). Wine's own keys,
// the network cards it lists and the audio codecs' cache change as programs
// run; values that name temp folders belong to other tests.
void WalkRegistry(HKEY root, const std::string &label, const std::string &path, Snapshot &s) {
    std::string key = Lower(label + "\\" + path);
    HKEY k;
    if (key.find("\\software\\wine") != std::string::npos || key.find("\\networkcards") != std::string::npos ||
        key.find("\\audiocompressionmanager") != std::string::npos ||
        RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return;
    s[key] = "";
    static char name[16384], data[65536];
    DWORD n, size, type;
    for (DWORD i = 0;; i++) {
        n = sizeof name, size = sizeof data;
        LONG r = RegEnumValueA(k, i, name, &n, 0, &type, (BYTE *)data, &size);
        if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) break;  // the end, or a key of counters
        std::string value = std::to_string(type) + ":" + (r ? "large" : std::string(data, size));
        if (Lower(value).find("\\temp\\") == std::string::npos) s[key + "|" + Lower(name)] = value;
    }
    // The names are static: each is read before the walk below it runs.
    for (DWORD i = 0; n = sizeof name, RegEnumKeyExA(k, i, name, &n, 0, 0, 0, 0) == ERROR_SUCCESS; i++)
        WalkRegistry(root, label, path + "\\" + name, s);
    RegCloseKey(k);
}

Snapshot TakeSnapshot() {
    Snapshot s;
    char temp[MAX_PATH], windows[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string t = Lower(temp);
    if (!t.empty() && t.back() == '\\') t.pop_back();
    // wininit.ini: the copy tests of the 95 family write their renames there.
    WalkFiles("c:", {t, Lower(windows) + "\\temp", Lower(windows) + "\\wininit.ini"}, s);
    WalkRegistry(HKEY_LOCAL_MACHINE, "hklm", "Software", s);
    WalkRegistry(HKEY_CURRENT_USER, "hkcu", "Software", s);
    return s;
}

// What differs: "+path" added, "-path" gone, "*path" changed.
std::vector<std::string> Differences(const Snapshot &before, const Snapshot &after) {
    std::vector<std::string> out;
    for (auto &e : before)
        if (!after.count(e.first))
            out.push_back("-" + e.first);
        else if (after.at(e.first) != e.second)
            out.push_back("*" + e.first);
    for (auto &e : after)
        if (!before.count(e.first)) out.push_back("+" + e.first);
    std::sort(out.begin(), out.end());
    return out;
}

int Start(const std::string &exe, const std::string &args, const std::string &temp = "") {
    Program program;
    if (!temp.empty()) program.SetTempFolder(temp);
    if (!program.Start(exe, args)) return -2;
    return program.Wait(120000);
}

int Install(const char *name) { return Start(ProgramFolder() + "\\" + name, "-s"); }

DWORD SharedCount(const std::string &path) {
    DWORD count = 0, size = sizeof count;
    RegGetValueA(HKEY_LOCAL_MACHINE, kShared, path.c_str(), RRF_RT_REG_DWORD, 0, &count, &size);
    return count;
}

LONG SetSharedCount(const std::string &path, DWORD count) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, kShared, path.c_str(), REG_DWORD, &count, sizeof count);
}

// Registry text value; empty when absent.
std::string RegText(HKEY root, const std::string &key, const char *name) {
    char value[512] = "";
    DWORD size = sizeof value;
    RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, 0, value, &size);
    return value;
}

std::string IniText(const std::string &file, const char *section, const char *key) {
    char value[128];
    GetPrivateProfileStringA(section, key, "absent", value, sizeof value, file.c_str());
    return value;
}

// Kilobytes of a file, rounded up.
DWORD Kilobytes(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (data.nFileSizeLow + 1023) / 1024;
}

bool KeyExists(HKEY root, const char *key) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// What Windows does at its next start, for the renames and deletions of
// one folder (pairs of names, the target empty for a deletion): done in
// their order and taken off the list.
void RestartFor(const std::string &folder) {
    std::string all = PendingRenames() + "|", rest;
    std::vector<std::string> names;
    for (size_t at = 0, end; (end = all.find('|', at)) != std::string::npos; at = end + 1)
        names.push_back(all.substr(at, end - at));
    auto plain = [](std::string name) {
        if (!name.empty() && name[0] == '!') name.erase(0, 1);
        if (name.rfind("\\??\\", 0) == 0) name.erase(0, 4);
        return name;
    };
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        std::string from = plain(names[i]), to = plain(names[i + 1]);
        if (from.empty()) continue;
        if (Lower(from).rfind(Lower(folder), 0) != 0)
            rest += names[i] + '\0' + names[i + 1] + '\0';
        else if (!to.empty())
            MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
        else if (!DeleteFileA(from.c_str()))
            RemoveDirectoryA(from.c_str());
    }
    const char manager[] = "System\\CurrentControlSet\\Control\\Session Manager";
    if (rest.empty())
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, manager, "PendingFileRenameOperations");
    else
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, manager, "PendingFileRenameOperations", REG_MULTI_SZ,
                        (rest + '\0').data(), (DWORD)rest.size() + 1);
}

class UninstallTest : public ::testing::Test {
  protected:
    std::string shared_ = SystemFolder() + "\\e2eshared.dll";
    std::string own_ = SystemFolder() + "\\e2eown.dll";
    std::string temp_ = MakeTempFolder("unx");

    void SetUp() override {
        RemoveTree(kFolder);
        DeleteFileA(own_.c_str());
        // The finishing product's test registers the same server.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Finish");
        // Another product already counts the shared library.
        ASSERT_EQ(SetSharedCount(shared_, 1), ERROR_SUCCESS);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kShared, own_.c_str());
        WriteFileBytes(shared_, "shared library stand-in\r\n");
    }
    std::string OwnLog() { return ReadFileBytes(temp_ + "\\uninstx.log"); }
};

// Two products into one folder and one log, between them a run of the
// second whose file script is out of step with its payload: that run stops
// after it has replaced files and counted a shared library, and undoes all
// of it (replaced files back from their backups). The uninstaller passes
// over the undone block and removes both products.
TEST_F(UninstallTest, TwoProductsRemovedLeaveOnlyWhatIsNotTheirs) {
    Snapshot before = TakeSnapshot();
    ASSERT_EQ(Install("uninstall_first_setup.exe"), 0);
    Snapshot first = TakeSnapshot();
    // A silent setup ends with a failure code; nothing waits on a box.
    EXPECT_EQ(Install("uninstall_shifted_setup.exe"), 2);
    std::string log = ReadFileBytes(kFolder + "\\install.log");
    size_t aborted = log.find("\r\nAborted");
    ASSERT_NE(aborted, std::string::npos) << log;
    EXPECT_NE(log.find("\r\nUndone : copy stopped", aborted), std::string::npos) << log;
    // Everything as the first product left it, the log's new records and
    // the setup's word for them aside.
    EXPECT_EQ(Differences(first, TakeSnapshot()),
              std::vector<std::string>({"*" + Lower(kFolder) + "\\install.log",
                                        "*hklm\\" + Lower(VouchKey()) + "|" + Lower(kFolder) + "\\install.log"}));

    ASSERT_EQ(Install("uninstall_second_setup.exe"), 0);
    // What there is to undo.
    EXPECT_EQ(ReadFileBytes(kFolder + "\\a.txt"), "second a, a little longer\r\n");
    EXPECT_EQ(SharedCount(shared_), 3u);
    EXPECT_EQ(SharedCount(own_), 1u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\E2E Finish"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\E2E Uninstall\\Settings"));
    log = ReadFileBytes(kFolder + "\\install.log");
    EXPECT_NE(log.find("RegRoot: 3\r\nRegKey : SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"), std::string::npos);

    // Both products in Add/Remove Programs: the first under the name its
    // script gives, the second under its setup title, each sized by the
    // files it put in place.
    const std::string list = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    const std::string one = list + "E2E Listed One", two = list + "E2E Uninstall Two";
    const std::string command = "\"" + kFolder + "\\uninstx.exe\" \"" + kFolder + "\\install.log\"";
    struct Listed {
        std::string key;
        const char *name, *text;
    } listed[] = {{one, "DisplayName", "E2E Listed One"}, {one, "DisplayVersion", "1.5"},
                  {one, "Publisher", "E2E Makers"},       {two, "DisplayName", "E2E Uninstall Two"},
                  {two, "DisplayVersion", ""},            {two, "Publisher", ""}};
    for (const Listed &l : listed) EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, l.key, l.name), l.text) << l.key << l.name;
    for (const std::string &key : {one, two}) {
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, "InstallLocation"), kFolder);
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, "UninstallString"), command);
    }
    DWORD size = 0, bytes = sizeof size;
    RegGetValueA(HKEY_LOCAL_MACHINE, two.c_str(), "EstimatedSize", RRF_RT_REG_DWORD, 0, &size, &bytes);
    DWORD kb = 0;
    for (const std::string &file : {kFolder + "\\a.txt", kFolder + "\\data\\deep\\c.txt", shared_,
                                    kFolder + "\\late\\big.bin", kFolder + "\\new.txt", kFolder + "\\uninstx.exe"})
        kb += Kilobytes(file);
    EXPECT_EQ(size, kb);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, one.c_str()));
    WriteFileBytes(kFolder + "\\data\\mine.txt", "the user's own file");

    // The command Add/Remove Programs runs: it asks, removes both products
    // with their entries, tells what it kept, and asks to restart for its
    // own file (No).
    Program remover;
    remover.SetTempFolder(temp_);
    std::string recorded = RegText(HKEY_LOCAL_MACHINE, two, "UninstallString");
    size_t exe = recorded.find('"', 1);
    ASSERT_NE(exe, std::string::npos) << recorded;
    ASSERT_TRUE(remover.Start(recorded.substr(1, exe - 1), recorded.substr(exe + 2)));
    EXPECT_EQ(AnswerMessageBox(remover, IDYES, 60000), "Remove E2E Uninstall Two and all of its components?");
    for (HWND box; (box = WaitForMessageBox(remover, 60000)) != 0; WaitGone(box, 10000))
        PressButton(box, GetDlgItem(box, IDNO) ? IDNO : IDOK);
    EXPECT_EQ(remover.Wait(30000), 0) << OwnLog();
    RestartFor(kFolder);
    // The user's file and the file marked to stay, with their folders.
    std::vector<std::string> expected = {
        "+" + Lower(kFolder),
        "+" + Lower(kFolder) + "\\data",
        "+" + Lower(kFolder) + "\\data\\mine.txt",
        "+" + Lower(kFolder) + "\\keep.txt",
    };
    EXPECT_EQ(Differences(before, TakeSnapshot()), expected);
    std::string own = OwnLog();
    EXPECT_EQ(own.find("no backup"), std::string::npos) << own;
    for (const char *kept : {"marked to stay in place: C:\\E2E Uninstall\\keep.txt", "still used by another product",
                             "holds files of its own: C:\\E2E Uninstall\r\n"})
        EXPECT_NE(own.find(kept), std::string::npos) << kept << "\n" << own;

    // Once more: nothing is left to do, and it says so.
    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + kFolder + "\\install.log\"", temp_), 3);
    EXPECT_NE(OwnLog().find("nothing left to remove"), std::string::npos);
}

// The lines of the uninstaller's own log that tell it undid a record of
// this path ("Done   : line path").
bool UndoneByPath(const std::string &own, const std::string &path) {
    for (const std::string &line : Lines(own))
        if (line.rfind("Done   : ", 0) == 0 && line.size() > path.size() &&
            line.compare(line.size() - path.size() - 1, std::string::npos, " " + path) == 0)
            return true;
    return false;
}

// The user's folder before the install: a file the product writes over
// without a backup (mode 0), a read-only one it replaces with a backup
// (mode 1), and an empty folder a new file goes into. After the removal the
// folders are there, the replaced file is back as it was (read-only too),
// the file written over stays with what the setup wrote and is named; the
// log goes though it was made read-only.
TEST_F(UninstallTest, PreExistingFilesAndFoldersSurviveTheRemoval) {
    const std::string over = kFolder + "\\a.txt", replaced = kFolder + "\\data\\deep\\c.txt";
    ASSERT_EQ(SHCreateDirectoryExA(0, (kFolder + "\\data\\deep").c_str(), 0), ERROR_SUCCESS);
    ASSERT_TRUE(CreateDirectoryA((kFolder + "\\bin").c_str(), 0));
    WriteFileBytes(over, "the user's a");
    WriteFileBytes(replaced, "the user's c");
    SetFileAttributesA(replaced.c_str(), FILE_ATTRIBUTE_READONLY);
    Snapshot before = TakeSnapshot();
    ASSERT_EQ(Install("uninstall_first_setup.exe"), 0);
    EXPECT_EQ(ReadFileBytes(replaced), "first c\r\n");
    SetFileAttributesA((kFolder + "\\install.log").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + kFolder + "\\install.log\"", temp_), 0) << OwnLog();
    RestartFor(kFolder);
    std::vector<std::string> expected = {"*" + Lower(over), "+" + Lower(kFolder) + "\\keep.txt"};
    EXPECT_EQ(Differences(before, TakeSnapshot()), expected);
    EXPECT_EQ(ReadFileBytes(over), "first a\r\n");
    EXPECT_EQ(ReadFileBytes(replaced), "the user's c");
    EXPECT_EQ(GetFileAttributesA(replaced.c_str()) & FILE_ATTRIBUTE_READONLY, (DWORD)FILE_ATTRIBUTE_READONLY);
    std::string own = OwnLog();
    EXPECT_NE(own.find("written over without a backup: " + over), std::string::npos) << own;
    EXPECT_TRUE(UndoneByPath(own, kFolder + "\\data\\b.txt")) << own;
    EXPECT_TRUE(UndoneByPath(own, replaced)) << own;
    SetFileAttributesA(replaced.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A log the setup cannot append to as it stands: one of other bytes and
// one without its first line are kept under a numbered name beside a fresh
// log, which the uninstaller the product installed finds and empties the
// folder by; a folder or a read-only file in the log's place stops the
// setup before it copies anything.
TEST_F(UninstallTest, DamagedLogIsKeptAsideOrTheSetupStops) {
    const std::string log = kFolder + "\\install.log", aside = kFolder + "\\install.001";
    struct Row {
        const char *what;
        std::string bytes;
        DWORD attributes;  // 0: a folder in the log's place
    } rows[] = {
        {"binary", std::string("MZ\0\x90\xff\x01", 6) + std::string(300, '\xfe'), FILE_ATTRIBUTE_NORMAL},
        {"no banner", "[DLG]\r\nL1=Remove\r\n \r\nModule : x\r\nCopy   : " + kFolder + "\\a.txt\r\n",
         FILE_ATTRIBUTE_NORMAL},
        {"folder", "", 0},
        {"read-only", "*** KVX32 Vantrel 3.0 \r\n", FILE_ATTRIBUTE_READONLY},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        RemoveTree(kFolder);
        CreateDirectoryA(kFolder.c_str(), 0);
        if (row.attributes)
            WriteFileBytes(log, row.bytes);
        else
            CreateDirectoryA(log.c_str(), 0);
        if (row.attributes == FILE_ATTRIBUTE_READONLY) SetFileAttributesA(log.c_str(), row.attributes);
        int code = Install("uninstall_first_setup.exe");
        if (row.attributes != FILE_ATTRIBUTE_NORMAL) {
            EXPECT_EQ(code, 2);
            EXPECT_FALSE(FileExists(kFolder + "\\a.txt"));
            EXPECT_EQ(SharedCount(own_), 0u);
            SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_NORMAL);
            continue;
        }
        EXPECT_EQ(code, 0);
        EXPECT_EQ(ReadFileBytes(aside), row.bytes);
        EXPECT_EQ(ReadFileBytes(log).substr(0, 24), "*** KVX32 Vantrel 3.0 \r\n");
        EXPECT_EQ(Start(kFolder + "\\uninstx.exe", "-s", temp_), 0) << OwnLog();
        RestartFor(kFolder);
        std::vector<std::string> left = FilesIn(kFolder, "*.*");
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, std::vector<std::string>({kFolder + "\\.", kFolder + "\\..", aside, kFolder + "\\keep.txt"}));
        EXPECT_EQ(SharedCount(own_), 0u);
    }
    RemoveTree(kFolder);
}

// The setup killed while it writes a large new file: nothing stands under
// the file's name. The next run removes what the killed one left (its
// work file beside the target, its temp files) and logs each; it writes the
// file as new, so no backup is made of a half file, and the removal leaves
// the machine as it was before the first run.
TEST_F(UninstallTest, KilledSetupLeavesNoHalfFileAndTheNextRunCleansUp) {
    const std::string big = kFolder + "\\big", target = big + "\\big1.bin";
    // Its size, not its bytes: 24 MB read into the 32-bit test program may
    // not find the room. -1 while it is not there.
    auto size = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data;
        return GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data) ? (long long)data.nFileSizeLow : -1LL;
    };
    Snapshot before = TakeSnapshot();
    std::string temp = MakeTempFolder("killed");
    Program setup;
    setup.SetTempFolder(temp);
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\uninstall_big_setup.exe", "-s"));
    // The first bytes of the large file are on the disk, under whatever name.
    auto writing = [&] {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((big + "\\*.*").c_str(), &found);
        bool some = false;
        if (find == INVALID_HANDLE_VALUE) return false;
        do some = some || (found.nFileSizeLow > 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
        while (FindNextFileA(find, &found));
        FindClose(find);
        return some;
    };
    while (setup.Running() && !writing()) Sleep(1);
    ASSERT_EQ(setup.Wait(0), -1) << "the setup ended before it could be killed";
    std::string killedLog = ReadFileBytes(kFolder + "\\install.log");
    ASSERT_EQ(killedLog.find("big1.bin"), std::string::npos) << killedLog;
    EXPECT_EQ(size(), -1) << "a half file under its name";
    std::vector<std::string> left = FilesIn(big, "VT*.tmp"), temps = FilesIn(temp, "VT*.tmp");
    EXPECT_FALSE(temps.empty());

    Program again;
    again.SetTempFolder(temp);
    ASSERT_TRUE(again.Start(ProgramFolder() + "\\uninstall_big_setup.exe", "-s"));
    ASSERT_EQ(again.Wait(120000), 0);
    std::string log = ReadFileBytes(kFolder + "\\install.log");
    EXPECT_EQ(size(), 24000000);
    EXPECT_NE(log.find("\r\nCopy   : " + target + "\r\n"), std::string::npos) << log;
    EXPECT_FALSE(FileExists(kFolder + "\\_BACKUP_"));
    EXPECT_TRUE(FilesIn(big, "VT*.tmp").empty());
    EXPECT_TRUE(FilesIn(temp, "VT*.tmp").empty());
    for (const std::string &file : left) EXPECT_NE(log.find("\r\nCleanup: " + file + "\r\n"), std::string::npos) << file;
    for (const std::string &file : temps)
        if (file.find("VTJ") == std::string::npos)
            EXPECT_NE(log.find("\r\nCleanup: " + file + "\r\n"), std::string::npos) << file << "\n" << log;

    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + kFolder + "\\install.log\"", temp_), 0) << OwnLog();
    RestartFor(kFolder);
    EXPECT_EQ(Differences(before, TakeSnapshot()), std::vector<std::string>()) << OwnLog();
}

// A shortcut file read back through the shell's own link object: its
// target, arguments, working folder and hot key, as "path|arguments|folder|
// key" (paths in lower case); empty when it cannot be read.
std::string ReadLink(const std::string &file) {
    CoInitialize(0);
    IShellLinkA *shell = 0;
    IPersistFile *persist = 0;
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    char path[MAX_PATH] = "", arguments[MAX_PATH] = "", folder[MAX_PATH] = "";
    WORD key = 0;
    std::string link;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&shell)) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, (void **)&persist)) &&
        SUCCEEDED(persist->Load(wide, STGM_READ)) && SUCCEEDED(shell->GetPath(path, MAX_PATH, 0, 0)) &&
        SUCCEEDED(shell->GetArguments(arguments, MAX_PATH)) &&
        SUCCEEDED(shell->GetWorkingDirectory(folder, MAX_PATH)) && SUCCEEDED(shell->GetHotkey(&key)))
        link = Lower(path) + "|" + arguments + "|" + Lower(folder) + "|" + std::to_string(key);
    if (persist) persist->Release();
    if (shell) shell->Release();
    CoUninitialize();
    return link;
}

// The finishing-steps product installed silently while a program holds its
// tool open (the setup replaces it at the next start): folders, shortcuts
// read back, INI files with the old value logged, font, shared count,
// self-registration, ODBC driver and data sources where ODBC keeps them,
// billboards passed over, and the records in the order of the work. Then
// removed after the program ended but before that start: all of it is
// gone, and the tool goes back to the version before at the next start,
// after the setup's own rename. What stays: the user's file, and the data
// source of the user, for which the setup writes no record.
TEST_F(UninstallTest, FinishingProductIsInstalledAndRemovedAsItCame) {
    const std::string folder = "C:\\E2E Finish", bin = folder + "\\bin", tool = bin + "\\tool.txt";
    char programs[MAX_PATH], desktop[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, programs, CSIDL_COMMON_PROGRAMS, TRUE));
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
    const std::string group = std::string(programs) + "\\E2E Finish", onDesktop = std::string(desktop) + "\\Tool on the desktop.lnk";
    const char fonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    // The finishing product's wizard test removes what it installs.
    RemoveTree(folder);
    SHCreateDirectoryExA(0, bin.c_str(), 0);
    WriteFileBytes(tool, "the tool before");
    Snapshot before = TakeSnapshot();

    Program holder, setup;
    ASSERT_TRUE(HoldFile(holder, tool));
    std::string temp = MakeTempFolder("finish");
    setup.SetTempFolder(temp);
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\e2e_finish_setup.exe", "-s"));
    HWND question = WaitForMessageBox(setup, 120000);
    ASSERT_NE(question, (HWND)0);
    PressButton(question, GetDlgItem(question, IDCANCEL) ? IDCANCEL : IDNO);
    ASSERT_EQ(setup.Wait(30000), 0);
    std::string log = ReadFileBytes(folder + "\\install.log");

    // Folders: the empty one made, the unchosen one not. (A folder or a
    // shortcut made outside would still be there after the removal below.)
    EXPECT_TRUE(FileExists(folder + "\\empty\\sub"));
    EXPECT_FALSE(FileExists(folder + "\\optional"));
    // Shortcuts: into the group of all users' programs and onto the desktop.
    EXPECT_EQ(ReadLink(group + "\\Tool.lnk"), Lower(tool) + "|--start here|" + Lower(bin) + "|" +
                                                  std::to_string(MAKEWORD(70, HOTKEYF_CONTROL | HOTKEYF_SHIFT))) << log;
    EXPECT_EQ(ReadLink(onDesktop), Lower(tool) + "|-d|" + Lower(folder) + "|0") << log;
    // INI files: a new one, and an existing one whose old value is logged.
    EXPECT_EQ(IniText(folder + "\\settings.ini", "Paths", "Home"), folder);
    EXPECT_EQ(IniText(folder + "\\settings.ini", "Paths", "Unchosen"), "absent");
    EXPECT_EQ(IniText(folder + "\\existing.ini", "Old", "Key"), "after");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(IniText(std::string(windows) + "\\e2efinish.ini", "E2E Finish", "Home"), folder);
    // Font, shared count, self-registration.
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, fonts, "E2E Finish Font"), folder + "\\fonts\\e2e.fon");
    EXPECT_EQ(SharedCount(bin + "\\shared.dll"), 1u);
    EXPECT_EQ(Lower(RegText(HKEY_CURRENT_USER, "Software\\E2E Finish", "SelfReg")), Lower(bin + "\\selfreg.dll"));
    // ODBC: the driver, a data source of the user and one of the machine,
    // read back through the ODBC installer.
    auto odbc = [](UWORD mode, const char *section, const char *key) {
        char text[256] = "";
        SQLSetConfigMode(mode);
        SQLGetPrivateProfileString(section, key, "", text, sizeof text, "ODBC.INI");
        SQLSetConfigMode(ODBC_BOTH_DSN);
        return std::string(text);
    };
    const char drivers[] = "Software\\ODBC\\ODBCINST.INI\\ODBC Drivers";
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\E2E Driver", "Driver"), bin + "\\e2edrv.dll");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, drivers, "E2E Driver"), "Installed");
    EXPECT_EQ(odbc(ODBC_USER_DSN, "E2E Source", "Description"), "End to end source");
    EXPECT_EQ(odbc(ODBC_SYSTEM_DSN, "E2E System", "Database"), folder + "\\data");
    const char *sources = "Software\\ODBC\\ODBC.INI\\ODBC Data Sources";
    for (const char *dsn : {"E2E Source", "E2E System"})
        EXPECT_EQ(RegText(HKEY_CURRENT_USER, sources, dsn) + RegText(HKEY_LOCAL_MACHINE, sources, dsn), "E2E Driver");
    // Billboards in a silent run are passed over: nothing in the folder or
    // the temp folder, and no file went out of step with its record.
    EXPECT_EQ(log.find("Aborted"), std::string::npos) << log;
    EXPECT_TRUE(FilesIn(temp, "bb*.bmp").empty());
    EXPECT_FALSE(FileExists(folder + "\\bb1.bmp"));
    // The records in the order of the work, those no effect above shows or
    // the removal below needs (the rest are proven by both).
    std::vector<std::string> order = {
        "Error  : folder passed over: " + folder + "\\..\\outside",
        "Locked : " + tool,
        "Replace: " + tool,
        "Error  : shortcut root not 1 to 5: Root nine.lnk",
        "Error  : shortcut passed over: ..\\Escaped.lnk",
        "INIFile: " + folder + "\\existing.ini",
        "INISec : Old",
        "INIItem: Key",
        "INIOld : before",
        "INIVal : after",
    };
    size_t at = 0;
    for (const std::string &record : order) {
        size_t found = log.find("\r\n" + record + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << record << "\n" << log;
        at = found + 2;
    }
    EXPECT_EQ(log.find("Unchosen"), std::string::npos);
    EXPECT_EQ(log.find("CTplReg:"), std::string::npos) << "no environment ran";
    WriteFileBytes(folder + "\\mine.txt", "the user's own file");
    // The program ends; Windows has not started again.
    holder.Wait(0);

    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + folder + "\\install.log\"", temp_), 0) << OwnLog();
    std::string own = OwnLog();
    EXPECT_NE(own.find("removed at the next Windows start: " + tool), std::string::npos) << own;
    EXPECT_NE(own.find("Result : removed; restart Windows to finish"), std::string::npos) << own;
    RestartFor(folder);
    EXPECT_EQ(ReadFileBytes(tool), "the tool before");
    // ODBC keeps the driver in ODBCINST.INI and the data sources in ODBC.INI
    // (their values, gone, are in the snapshot's differences).
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\E2E Driver"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBC.INI\\E2E System"));
    // The ODBC installer's own keys stay, emptied.
    std::vector<std::string> differences;
    for (const std::string &d : Differences(before, TakeSnapshot()))
        if (d.find("\\odbc.ini\\e2e source") == std::string::npos &&
            d.find("\\odbc data sources|e2e source") == std::string::npos &&
            (d.find("\\software\\odbc") == std::string::npos || d.find('|') != std::string::npos))
            differences.push_back(d);
    EXPECT_EQ(differences, std::vector<std::string>({"+" + Lower(folder) + "\\mine.txt"})) << own;
    RemoveTree(folder);
}

// Through its windows, over a log written by hand: the question, the
// summary of what was kept, and for a file a running program holds open,
// its removal at the next Windows start and the restart question (answered
// No). The records of the finishing steps: INI keys back to their old
// values or gone (in the product's folder and in the Windows folder), a
// shortcut and its emptied group gone, a key changed since kept, an ODBC
// driver without the setup library listed as kept.
TEST_F(UninstallTest, HeldFileGoesAtTheRestartAndFinishingStepsAreTakenBack) {
    const std::string folder = "C:\\E2E Held", held = folder + "\\held.txt", ini = folder + "\\app.ini";
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), 0);
    WriteFileBytes(held, "in use");
    WriteFileBytes(folder + "\\free.txt", "free");
    char programs[MAX_PATH], windows[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, programs, CSIDL_PROGRAMS, TRUE));
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string group = std::string(programs) + "\\E2E Later Group", link = group + "\\Later.lnk";
    std::string winIni = std::string(windows) + "\\win.ini";
    CreateDirectoryA(group.c_str(), 0);
    // A shell link's header: only shortcut files go from the shell folders.
    WriteFileBytes(link, std::string("L\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20));
    WriteFileBytes(ini, "[Main]\r\nKey=new value\r\nAdded=1\r\nChanged=by the user\r\n");
    WritePrivateProfileStringA("E2E Later", "Added", "yes", winIni.c_str());
    std::string log = "*** KVX32 Vantrel 3.0 \r\n[DLG]\r\nL1=Remove Held\r\nL2=Remove the held product?\r\n \r\nCreate : " +
                      folder + "\r\nCopy   : " + held + "\r\nCopy   : " + folder + "\\free.txt\r\n";
    auto change = [&](const std::string &file, const char *section, const char *key, const char *old,
                      const char *value) {
        log += "INIFile: " + file + "\r\nINISec : " + section + "\r\nINIItem: " + key + "\r\n";
        if (old) log += std::string("INIOld : ") + old + "\r\n";
        log += std::string("INIVal : ") + value + "\r\n";
    };
    change(ini, "Main", "Key", "old value", "new value");
    change(ini, "Main", "Added", 0, "1");
    change(ini, "Main", "Changed", 0, "as installed");
    change(winIni, "E2E Later", "Added", 0, "yes");
    log += "Create : " + group + "\r\nSLink  : " + link + "\r\nODBC   : E2E Driver\r\n";
    WriteFileBytes(folder + "\\install.log", log);
    ASSERT_TRUE(Vouch(folder + "\\install.log", log));
    Program holder, uninstaller;
    ASSERT_TRUE(HoldFile(holder, held));
    uninstaller.SetTempFolder(temp_);
    ASSERT_TRUE(uninstaller.Start(ProgramFolder() + "\\uninstx.exe", "\"" + folder + "\\install.log\""));
    for (const char *expected : {"Remove the held product?", "removed at the next Windows start: C:\\E2E Held\\held.txt",
                                 "Restart Windows now?"}) {
        HWND box = WaitForMessageBox(uninstaller, 30000);
        ASSERT_NE(box, (HWND)0) << expected;
        std::string text = MessageBoxText(box);
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        PressButton(box, GetDlgItem(box, IDYES) ? (text.find("Restart") == std::string::npos ? IDYES : IDNO) : IDOK);
        ASSERT_TRUE(WaitGone(box, 10000));
    }
    EXPECT_EQ(uninstaller.Wait(30000), 0);
    EXPECT_FALSE(FileExists(folder + "\\free.txt"));
    EXPECT_TRUE(FileExists(held));
    EXPECT_NE(Lower(PendingRenames()).find(Lower(held)), std::string::npos) << PendingRenames();
    EXPECT_EQ(IniText(ini, "Main", "Key"), "old value");
    EXPECT_EQ(IniText(ini, "Main", "Added"), "absent");
    EXPECT_EQ(IniText(ini, "Main", "Changed"), "by the user");
    EXPECT_EQ(IniText(winIni, "E2E Later", "Added"), "absent");
    EXPECT_FALSE(FileExists(group));  // with the shortcut in it
    std::string own = OwnLog();
    EXPECT_NE(own.find("changed since the installation: " + ini), std::string::npos) << own;
    EXPECT_NE(own.find("not undone: E2E Driver"), std::string::npos) << own;
    holder.Wait(0);
    RestartFor(folder);
    EXPECT_FALSE(FileExists(held));
    RemoveTree(folder);
}

// Logs edited by hand or made up: nothing outside the places the log may
// name is touched, damaged records are reported.
TEST_F(UninstallTest, HostileLogTouchesNothingOutside) {
    const std::string folder = "C:\\E2E Hostile", victim = "C:\\E2E Victim";
    RemoveTree(folder);
    RemoveTree(victim);
    SHCreateDirectoryExA(0, (folder + "\\sub").c_str(), 0);
    CreateDirectoryA(victim.c_str(), 0);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string ini = std::string(windows) + "\\system.ini", iniBytes = ReadFileBytes(ini);
    for (const char *name : {"\\v.txt", "\\b.txt"}) WriteFileBytes(victim + name, "victim");
    for (const char *name : {"\\own.txt", "\\r.txt", "\\sub\\user.txt", "\\counted.txt"})
        WriteFileBytes(folder + name, "in place");
    // A link to another folder (where the system makes one): what lies
    // behind it stays (the victim's files).
    CreateSymbolicLinkA((folder + "\\link").c_str(), victim.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    std::string lines[] = {
        "*** KVX32 Vantrel 3.0 ",
        "[DLG]",
        "L1=Hostile",
        " ",
        "Module : Hostile - [Typical] - 01/01/2000 00:00:00",
        "Create : " + folder,
        "Create : " + folder + "\\sub",
        "Create : " + std::string(windows),
        "Create : C:\\",
        "Copy   : " + ini,
        "Copy   : " + folder + "\\..\\E2E Victim\\v.txt",
        "Copy   : \\\\server\\share\\v.txt",
        "Copy   : \\\\?\\" + victim + "\\v.txt",
        "Copy   : " + folder + "\\con",
        "Copy   : " + folder + "\\link\\v.txt",
        "Copy   : C:" + folder.substr(2) + "/../E2E Victim/b.txt",
        "Copy   : " + folder + "\\" + std::string(300, 'x'),
        "Replace: " + folder + "\\r.txt",
        "Backup : " + victim + "\\b.txt",
        "CShared: " + folder + "\\counted.txt",
        "RegKey : Software\\E2E Hostile",
        "Frobble: " + folder + "\\own.txt",
        "Copy   : " + folder + "\\own.txt",
        "Copy   : " + folder + "\\counted.txt",
        "Copy   : " + folder + "\\sub",
        "Copy   : " + folder + "\\truncat",
    };
    std::string log;
    for (const std::string &l : lines) log += l + "\r\n";
    log.resize(log.size() - 2);  // the last line cut short
    WriteFileBytes(folder + "\\install.log", log);

    // Another product counts the file too.
    SetSharedCount(folder + "\\counted.txt", 2);

    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + folder + "\\install.log\"", temp_), 0);
    std::string own = OwnLog();
    EXPECT_EQ(ReadFileBytes(ini), iniBytes);
    for (const char *name : {"\\v.txt", "\\b.txt"}) EXPECT_EQ(ReadFileBytes(victim + name), "victim") << name;
    EXPECT_EQ(ReadFileBytes(folder + "\\r.txt"), "in place");
    EXPECT_EQ(ReadFileBytes(folder + "\\sub\\user.txt"), "in place");
    EXPECT_TRUE(FileExists(folder + "\\counted.txt"));
    EXPECT_EQ(SharedCount(folder + "\\counted.txt"), 2u);
    EXPECT_FALSE(FileExists(folder + "\\own.txt"));
    EXPECT_FALSE(FileExists(folder + "\\install.log"));
    // Every hostile line is named in the uninstaller's own log.
    for (const char *line : {"6: ", "7: ", "8: ", "9: ", "10: ", "11: ", "12: ", "13: ", "14: ", "16: ", "17: damaged",
                             "19: ", "21: ", "22: damaged"})
        EXPECT_NE(own.find(std::string("line ") + line), std::string::npos) << line << "\n" << own;
    RemoveTree(folder);
    RemoveTree(victim);
}

}  // namespace
