// Install logs the uninstaller must not take at their word: logs edited by
// hand, and the log of a stopped removal that is not the log it finds now.
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include <shlobj.h>
#include "driver.h"
#include "vouch.h"

using namespace driver;

namespace {

const char kShared[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

std::string Lower(std::string s) {
    CharLowerBuffA(&s[0], (DWORD)s.size());
    return s;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(0, path, csidl, TRUE);
    return path;
}

int Start(const std::string &exe, const std::string &args, const std::string &temp) {
    Program program;
    program.SetTempFolder(temp);
    if (!program.Start(exe, args)) return -2;
    return program.Wait(120000);
}

DWORD SharedCount(const std::string &path) {
    DWORD count = 0, size = sizeof count;
    RegGetValueA(HKEY_LOCAL_MACHINE, kShared, path.c_str(), RRF_RT_REG_DWORD, 0, &count, &size);
    return count;
}

std::string RegText(HKEY root, const std::string &key, const char *name) {
    char value[512] = "";
    DWORD size = sizeof value;
    RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, 0, value, &size);
    return value;
}

void SetSharedCount(const std::string &path, DWORD count) {
    if (count)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kShared, path.c_str(), REG_DWORD, &count, sizeof count);
    else
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kShared, path.c_str());
}

// The first bytes of a shell link: its header size and class.
const std::string kLinkHeader("L\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20);

// The places a row names: {F} the product's folder, {D} the desktop, {P}
// the programs of the Start Menu, {U} its Startup folder, {S} the system
// folder, {W} the Windows folder.
struct Places {
    std::map<std::string, std::string> names;
    std::string operator()(std::string text) const {
        for (auto &n : names)
            for (size_t at; (at = text.find(n.first)) != std::string::npos;) text.replace(at, n.first.size(), n.second);
        return text;
    }
};

// What a thing is now: "file:PATH" the hash of its bytes, "folder:PATH" whether it is
// there, "reg:ROOT\KEY|NAME" the text of a value (root HKLM or HKCU),
// "ini:FILE|SECTION|KEY", "shared:PATH" the file's shared count,
// "unloaded:PATH" whether the library left its mark of being loaded,
// "renames:NAME" whether a name ending so waits for the next start.
std::string State(const std::string &thing) {
    size_t colon = thing.find(':');
    std::string kind = thing.substr(0, colon), what = thing.substr(colon + 1);
    if (kind == "file") {
        if (!FileExists(what)) return "absent";
        unsigned h = 2166136261u;
        for (char c : ReadFileBytes(what)) h = (h ^ (unsigned char)c) * 16777619u;
        return "bytes #" + std::to_string(h);
    }
    if (kind == "folder") return FileExists(what) ? "there" : "absent";
    if (kind == "unloaded") return FileExists(what + ".loaded") ? "loaded" : "not loaded";
    if (kind == "shared") return std::to_string(SharedCount(what));
    if (kind == "renames") return Lower(PendingRenames()).find("\\" + what) != std::string::npos ? "queued" : "not queued";
    size_t bar = what.find('|');
    if (kind == "reg") {
        HKEY root = what.rfind("HKLM\\", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        char value[512] = "absent";
        DWORD size = sizeof value;
        RegGetValueA(root, what.substr(5, bar - 5).c_str(), what.substr(bar + 1).c_str(), RRF_RT_REG_SZ, 0, value,
                     &size);
        return value;
    }
    size_t bar2 = what.find('|', bar + 1);
    char value[256];
    GetPrivateProfileStringA(what.substr(bar + 1, bar2 - bar - 1).c_str(), what.substr(bar2 + 1).c_str(), "absent",
                             value, sizeof value, what.substr(0, bar).c_str());
    return value;
}

// One edit of a log: the records it adds, what must be as it was after
// the removal, and whether that holds whatever the log says (always) or
// only when the setup does not vouch for the log.
struct Edit {
    const char *what;
    bool always;
    std::vector<std::string> records;
    std::vector<std::string> untouched;
};

const std::vector<Edit> kEdits = {
    {"a system file without a shared count", true,
     {"CShared: {S}\\e2evictim.dll", "Copy   : {S}\\e2evictim.dll"},
     {"file:{S}\\e2evictim.dll", "shared:{S}\\e2evictim.dll"}},
    {"the user's document on the desktop", true, {"Copy   : {D}\\E2E notes.txt"}, {"file:{D}\\E2E notes.txt"}},
    {"a desktop file written over from a \"backup\"", true,
     {"Replace: {D}\\E2E letter.txt", "Backup : {F}\\_BACKUP_\\letter.001"},
     {"file:{D}\\E2E letter.txt", "file:{F}\\_BACKUP_\\letter.001"}},
    {"an empty Startup folder and an empty group the setup did not make", true,
     {"Create : {U}", "Create : {P}\\E2E Users Group"}, {"folder:{U}", "folder:{P}\\E2E Users Group"}},
    {"a user's file named as a shortcut", true, {"SLink  : {P}\\E2E User File.txt"}, {"file:{P}\\E2E User File.txt"}},
    {"a library on the desktop registered by the log", true,
     {"Copy   : {D}\\e2eprobe.dll", "SelfReg: {D}\\e2eprobe.dll"},
     {"file:{D}\\e2eprobe.dll", "unloaded:{D}\\e2eprobe.dll"}},
    {"an ODBC setup library on the desktop", true, {"Copy   : {D}\\odbcdll.dll", "ODBC   : E2E Edited Driver"},
     {"file:{D}\\odbcdll.dll", "unloaded:{D}\\odbcdll.dll"}},
    {"a device name with a blank before its dot", true, {"Copy   : {F}\\con .txt"}, {"renames:con"}},
    {"old values for system.ini and win.ini", false,
     {"INIFile: {W}\\win.ini", "INISec : E2E Victim", "INIItem: Key", "INIOld : hostile", "INIVal : mine",
      "INIFile: {W}\\system.ini", "INISec : E2E Victim", "INIItem: Key", "INIOld : hostile", "INIVal : mine"},
     {"ini:{W}\\win.ini|E2E Victim|Key", "ini:{W}\\system.ini|E2E Victim|Key"}},
    {"a registry value of another program", false,
     {"RegRoot: 3", "RegKey : Software\\E2E Victim", "RegName: Keep", "RegVal : mine"},
     {"reg:HKLM\\Software\\E2E Victim|Keep"}},
};

// The product's own records outside its folder, which the uninstaller
// takes back only when the setup vouches for the log: a shortcut in a
// program group it made, a registry value, an INI key in the Windows
// folder, a system file it alone counts.
const std::vector<std::string> kOutside = {
    "Create : {P}\\E2E Edited", "SLink  : {P}\\E2E Edited\\Tool.lnk",
    "RegRoot: 2", "RegKey : Software\\E2E Edited", "RegName: Path", "RegVal : {F}",
    "INIFile: {W}\\win.ini", "INISec : E2E Edited", "INIItem: Home", "INIVal : {F}",
    "CShared: {S}\\e2eedited.dll", "Copy   : {S}\\e2eedited.dll",
};
const std::vector<std::string> kOutsideThings = {
    "file:{P}\\E2E Edited\\Tool.lnk", "folder:{P}\\E2E Edited", "reg:HKCU\\Software\\E2E Edited|Path",
    "ini:{W}\\win.ini|E2E Edited|Home", "file:{S}\\e2eedited.dll",
};

class EditedLogTest : public ::testing::Test {
  protected:
    Places places_;
    std::string folder_ = "C:\\E2E Edited", log_ = folder_ + "\\install.log";
    std::string temp_ = MakeTempFolder("edit");

    void SetUp() override {
        char windows[MAX_PATH], system[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        GetSystemDirectoryA(system, MAX_PATH);
        places_.names = {{"{F}", folder_},
                         {"{D}", ShellFolder(CSIDL_DESKTOPDIRECTORY)},
                         {"{P}", ShellFolder(CSIDL_PROGRAMS)},
                         {"{U}", ShellFolder(CSIDL_STARTUP)},
                         {"{S}", system},
                         {"{W}", windows}};
        RemoveTree(folder_);
        RemoveTree(places_("{P}\\E2E Edited"));
        CreateDirectoryA(folder_.c_str(), 0);
        CreateDirectoryA((folder_ + "\\_BACKUP_").c_str(), 0);
        CreateDirectoryA(places_("{P}\\E2E Edited").c_str(), 0);
        CreateDirectoryA(places_("{P}\\E2E Users Group").c_str(), 0);
        CreateDirectoryA(places_("{U}").c_str(), 0);
        // What the edits aim at, each with the user's own contents.
        for (const char *file : {"{S}\\e2evictim.dll", "{D}\\E2E notes.txt", "{D}\\E2E letter.txt",
                                 "{P}\\E2E User File.txt", "{F}\\_BACKUP_\\letter.001"})
            WriteFileBytes(places_(file), std::string("the user's own ") + file);
        SetSharedCount(places_("{S}\\e2evictim.dll"), 0);
        for (const char *library : {"{D}\\e2eprobe.dll", "{D}\\odbcdll.dll"}) {
            CopyFileA((ProgramFolder() + "\\loadprobe.dll").c_str(), places_(library).c_str(), FALSE);
            DeleteFileA((places_(library) + ".loaded").c_str());
        }
        for (const char *ini : {"{W}\\win.ini", "{W}\\system.ini"})
            WritePrivateProfileStringA("E2E Victim", "Key", "mine", places_(ini).c_str());
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\E2E Victim", "Keep", REG_SZ, "mine", 5);
        // The product's own: its files, and what it made outside.
        for (const char *file : {"\\app.txt", "\\data.txt"}) WriteFileBytes(folder_ + file, "the product's own");
        WriteFileBytes(places_("{P}\\E2E Edited\\Tool.lnk"), kLinkHeader + std::string(56, '\0'));
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\E2E Edited", "Path", REG_SZ, folder_.c_str(),
                        (DWORD)folder_.size() + 1);
        WritePrivateProfileStringA("E2E Edited", "Home", folder_.c_str(), places_("{W}\\win.ini").c_str());
        WriteFileBytes(places_("{S}\\e2eedited.dll"), "the product's shared library");
        SetSharedCount(places_("{S}\\e2eedited.dll"), 1);
    }
    void TearDown() override {
        RemoveTree(folder_);
        for (const char *gone : {"{S}\\e2evictim.dll", "{S}\\e2eedited.dll", "{D}\\E2E notes.txt",
                                 "{D}\\E2E letter.txt", "{P}\\E2E User File.txt", "{D}\\e2eprobe.dll",
                                 "{D}\\e2eprobe.dll.loaded", "{D}\\odbcdll.dll", "{D}\\odbcdll.dll.loaded"})
            DeleteFileA(places_(gone).c_str());
        RemoveTree(places_("{P}\\E2E Edited"));
        RemoveDirectoryA(places_("{P}\\E2E Users Group").c_str());
        for (const char *ini : {"{W}\\win.ini", "{W}\\system.ini"}) {
            WritePrivateProfileStringA("E2E Victim", 0, 0, places_(ini).c_str());
            WritePrivateProfileStringA("E2E Edited", 0, 0, places_(ini).c_str());
        }
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\E2E Victim");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Edited");
        SetSharedCount(places_("{S}\\e2evictim.dll"), 0);
        SetSharedCount(places_("{S}\\e2eedited.dll"), 0);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, VouchKey(), log_.c_str());
    }

    // The product's log as the setup writes it; the edits go behind its
    // own records.
    std::string Log(bool edited) {
        std::vector<std::string> lines = {"*** KVX32 Vantrel 3.0 ", "[DLG]", "L1=Remove Edited",
                                          "L2=Remove the edited product?", " ",
                                          "Module : Edited - [Typical] - 01/01/2000 00:00:00",
                                          "Create : {F}", "Copy   : {F}\\app.txt", "Copy   : {F}\\data.txt"};
        lines.insert(lines.end(), kOutside.begin(), kOutside.end());
        for (const Edit &e : kEdits)
            if (edited) lines.insert(lines.end(), e.records.begin(), e.records.end());
        std::string log;
        for (const std::string &l : lines) log += places_(l) + "\r\n";
        return log;
    }
};

// One table of edits, in two runs: a log the setup vouched for and that was
// edited after (the uninstaller says so, removes the product's files and
// changes nothing outside its folder, not even what the product made
// there), and the same log as the setup vouches for it (what the product
// made outside goes; the edits that must never be carried out are not).
TEST_F(EditedLogTest, EditedLogsChangeNothingOutsideTheProduct) {
    for (bool vouched : {false, true}) {
        SCOPED_TRACE(vouched ? "vouched" : "edited after the setup vouched");
        if (vouched) SetUp();
        std::string log = Log(true);
        WriteFileBytes(log_, log);
        ASSERT_TRUE(Vouch(log_, vouched ? log : Log(false)));
        std::map<std::string, std::string> before;
        for (const Edit &e : kEdits)
            for (const std::string &thing : e.untouched) before[places_(thing)] = State(places_(thing));
        for (const std::string &thing : kOutsideThings) before[places_(thing)] = State(places_(thing));

        Program uninstaller;
        uninstaller.SetTempFolder(temp_);
        ASSERT_TRUE(uninstaller.Start(ProgramFolder() + "\\uninstx.exe", (vouched ? "-s \"" : "\"") + log_ + "\""));
        if (!vouched) {
            // Asked, and told first that nothing outside the folder changes.
            std::string question = AnswerMessageBox(uninstaller, IDYES, 30000);
            EXPECT_NE(question.find("changed since the setup wrote it"), std::string::npos) << question;
            EXPECT_NE(question.find(folder_), std::string::npos) << question;
            EXPECT_NE(question.find("Remove the edited product?"), std::string::npos) << question;
            std::string summary = AnswerMessageBox(uninstaller, IDOK, 30000);
            EXPECT_NE(summary.find("e2evictim.dll"), std::string::npos) << summary;
        }
        EXPECT_EQ(uninstaller.Wait(60000), 0);
        std::string own = ReadFileBytes(temp_ + "\\uninstx.log");
        EXPECT_EQ(own.find("not as the setup left it") == std::string::npos, vouched) << own;
        // The product's files go either way.
        EXPECT_FALSE(FileExists(folder_ + "\\app.txt")) << own;
        EXPECT_FALSE(FileExists(log_));
        for (const Edit &e : kEdits)
            for (const std::string &thing : e.untouched) {
                std::string t = places_(thing);
                if (e.always || !vouched)
                    EXPECT_EQ(State(t), before[t]) << e.what << ": " << t << "\n" << own;
                else
                    EXPECT_NE(State(t), before[t]) << e.what << ": " << t << "\n" << own;
            }
        EXPECT_NE(own.find("not a plain path: " + folder_ + "\\con .txt"), std::string::npos) << own;
        for (const std::string &thing : kOutsideThings) {
            std::string t = places_(thing);
            if (vouched)
                EXPECT_NE(State(t), before[t]) << t << "\n" << own;
            else
                EXPECT_EQ(State(t), before[t]) << t << "\n" << own;
        }
        EXPECT_EQ(VouchFor(log_), "");
        TearDown();
    }
}

// A log edited between two runs of the setup: the second run vouches for
// its own records only. Its registry value goes; the first run's records
// and the edit act in the product's folder only.
TEST(EditedBetweenRunsTest, LaterRunVouchesForItsOwnRecordsOnly) {
    const std::string folder = "C:\\E2E Uninstall", log = folder + "\\install.log";
    const char settings[] = "Software\\E2E Uninstall\\Settings";
    char system[MAX_PATH], fonts[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    SHGetSpecialFolderPathA(0, fonts, CSIDL_FONTS, FALSE);
    const std::string shared = std::string(system) + "\\e2eshared.dll", ownDll = std::string(system) + "\\e2eown.dll";
    auto clean = [&] {
        RemoveTree(folder);
        for (const std::string &file : {ownDll, shared, std::string(fonts) + "\\e2efont.fon"}) {
            DeleteFileA(file.c_str());
            SetSharedCount(file, 0);
        }
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, settings);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\E2E Uninstall");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Uninstall");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Finish");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\E2E Victim");
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                           "E2E Uninstall Font");
    };
    clean();
    std::string temp = MakeTempFolder("between");
    ASSERT_EQ(Start(ProgramFolder() + "\\uninstall_first_setup.exe", "-s", temp), 0);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\E2E Victim", "Keep", REG_SZ, "mine", 5);
    WriteFileBytes(log, ReadFileBytes(log) + "RegRoot: 3\r\nRegKey : Software\\E2E Victim\r\nRegName: Keep\r\nRegVal : mine\r\n");
    ASSERT_EQ(Start(ProgramFolder() + "\\uninstall_second_setup.exe", "-s", temp), 0);
    ASSERT_EQ(RegText(HKEY_LOCAL_MACHINE, settings, "Second"), "yes");

    EXPECT_EQ(Start(ProgramFolder() + "\\uninstx.exe", "-s \"" + log + "\"", temp), 0);
    std::string own = ReadFileBytes(temp + "\\uninstx.log");
    EXPECT_NE(own.find("not as the setup left it"), std::string::npos) << own;
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, "Software\\E2E Victim", "Keep"), "mine") << own;
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, settings, "Path"), folder) << own;
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, settings, "Second"), "") << own;
    EXPECT_FALSE(FileExists(folder + "\\a.txt")) << own;
    EXPECT_FALSE(FileExists(folder + "\\new.txt")) << own;
    clean();
}

// A removal stopped part way (killed inside the first product's server
// while it unregisters, after the second product's records) and run again
// on the same log finishes what is left without lowering a count twice.
// Stopped again, the folder then deleted by hand and both products
// installed anew (a log of the same path and size), the next run does not
// take the new log for the stopped one's: everything goes.
TEST(StoppedRemovalTest, ResumesOnlyTheLogItStopped) {
    const std::string folder = "C:\\E2E Uninstall", log = folder + "\\install.log";
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string shared = std::string(system) + "\\e2eshared.dll", ownDll = std::string(system) + "\\e2eown.dll";
    char fonts[MAX_PATH];
    SHGetSpecialFolderPathA(0, fonts, CSIDL_FONTS, FALSE);
    const std::string font = std::string(fonts) + "\\e2efont.fon";
    auto clean = [&] {
        RemoveTree(folder);
        DeleteFileA(ownDll.c_str());
        SetSharedCount(ownDll, 0);
        // A stopped removal may leave the font, which the next install would
        // then write over (and log so); deleted by hand with the folder.
        RemoveFontResourceA(font.c_str());
        DeleteFileA(font.c_str());
        // Another product counts the shared library.
        SetSharedCount(shared, 1);
        WriteFileBytes(shared, "shared library stand-in\r\n");
    };
    clean();
    std::string temp = MakeTempFolder("stop"), hold = temp + "\\hold", uninstx = ProgramFolder() + "\\uninstx.exe";
    auto install = [&] {
        for (const char *setup : {"uninstall_first_setup.exe", "uninstall_second_setup.exe"})
            ASSERT_EQ(Start(ProgramFolder() + "\\" + setup, "-s", temp), 0) << setup;
    };
    auto stop = [&] {
        WriteFileBytes(hold, "");
        SetEnvironmentVariableA("E2E_UNREGISTER_HOLD", hold.c_str());
        Program removal;
        removal.SetTempFolder(temp);
        ASSERT_TRUE(removal.Start(uninstx, "-s \"" + log + "\""));
        SetEnvironmentVariableA("E2E_UNREGISTER_HOLD", 0);
        for (int i = 0; i < 1200 && !FileExists(hold + ".in") && removal.Running(); i++) Sleep(50);
        ASSERT_TRUE(FileExists(hold + ".in"));
        removal.Wait(0);
        DeleteFileA(hold.c_str());
        DeleteFileA((hold + ".in").c_str());
        std::string stopped = ReadFileBytes(temp + "\\uninstx.log");
        ASSERT_NE(stopped.find("Done   :"), std::string::npos) << stopped;
        ASSERT_EQ(stopped.find("Finished"), std::string::npos) << stopped;
    };

    install();
    EXPECT_EQ(SharedCount(shared), 3u);
    stop();
    EXPECT_EQ(Start(uninstx, "-s \"" + log + "\"", temp), 0);
    std::string own = ReadFileBytes(temp + "\\uninstx.log");
    EXPECT_NE(own.find("Resume :"), std::string::npos) << own;
    EXPECT_EQ(SharedCount(shared), 1u) << own;
    EXPECT_TRUE(FileExists(shared));
    EXPECT_FALSE(FileExists(folder + "\\a.txt"));

    clean();
    install();
    size_t size = ReadFileBytes(log).size();
    stop();
    clean();
    install();
    ASSERT_EQ(ReadFileBytes(log).size(), size);
    EXPECT_EQ(Start(uninstx, "-s \"" + log + "\"", temp), 0);
    own = ReadFileBytes(temp + "\\uninstx.log");
    EXPECT_EQ(own.find("Resume :"), std::string::npos) << own;
    for (const char *file : {"\\a.txt", "\\new.txt", "\\late\\big.bin", "\\data\\b.txt", "\\bin\\selfreg.dll"})
        EXPECT_FALSE(FileExists(folder + file)) << file << "\n" << own;
    EXPECT_EQ(SharedCount(shared), 1u) << own;
    clean();
    RemoveTree(folder);
    SetSharedCount(shared, 0);
    DeleteFileA(shared.c_str());
}

}  // namespace
