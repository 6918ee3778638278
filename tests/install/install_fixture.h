// A product folder, a main script and a file script on disk, the fake
// support library, and helpers that run the copy page's walk without a
// window and read back the install log.
#pragma once
#include <gtest/gtest.h>
#include "driver.h"
#include "fake_library.h"
#include "install/file_record.h"
#include "install/install_driver.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"
#include <map>
#include <sstream>

// A file to install: {name, folder text, content, record fields by number
// (overwrite mode 1 unless field 5 says otherwise)}.
struct FileSpec {
    std::string name, folder, bytes;
    std::map<int, std::string> fields;
};

class InstallFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = g_support;
        root_ = driver::MakeTempFolder("ins");
        app_ = root_ + "\\App";
        fake::Install();
        CopyText(g_installFolder, app_.c_str(), sizeof g_installFolder);
        CopyText(g_componentLetters, "A", sizeof g_componentLetters);
        CopyText(g_ownPath, "C:\\media\\setup.exe", sizeof g_ownPath);
        g_platform = 2;
        g_windowsFamily = 16;
        g_clarionVersion = 0;
        g_testMode = 0;
        g_silentMode = 1;
        g_setupStatus = 0;
        g_restartNeeded = 0;
        g_installLog = 0;
        g_noReadOnlyFlag = g_noLogFlag = 0;
        g_recordsPerTick = 0;
        g_progressCounter = 0;
        GetLocalTime(&g_startTime);
        dlg_ = "LO=install.log\r\nBU=1\r\nOW=1\r\nC2=Cancel\r\nP1=Copying\r\nP2=Settings\r\n";
    }
    void TearDown() override {
        CloseLog();
        CloseFileScript();
        g_fileScript = 0;
        g_support = saved_;
    }

    static std::string Record(const FileSpec &f) {
        std::map<int, std::string> v = f.fields;
        if (v[1].empty()) v[1] = "file " + f.name;
        if (v[5].empty()) v[5] = "1";
        v[22] = f.name;
        v[23] = f.folder;
        std::string r = "|";
        for (int n = 1; n <= 23; n++) r += v[n] + "|";
        return r;
    }

    // Writes the scripts for files (records paired with the entries) and
    // hands the entries to the fake library.
    void Prepare(const std::vector<FileSpec> &files, const std::string &extraDlg = "",
                 const std::string &otherSections = "") {
        std::string script = "[DLG]\r\n" + dlg_ + extraDlg + otherSections;
        std::string path = root_ + "\\_SFX.DLG";
        ASSERT_TRUE(driver::WriteFileBytes(path, script));
        CopyText(g_scriptPath, path.c_str(), sizeof g_scriptPath);
        std::string records;
        for (const FileSpec &f : files) records += Record(f) + "\r\n";
        WriteFileScript(records);
        fake::entries.clear();
        for (const FileSpec &f : files) fake::entries.push_back({f.name, f.folder, f.bytes});
        fake::nextIndex = 0;
        fake::calls.clear();
    }
    void WriteFileScript(const std::string &records) {
        CloseFileScript();
        std::string path = root_ + "\\_FILE1.SCR";
        ASSERT_TRUE(driver::WriteFileBytes(path, records));
        OpenFileScript(path.c_str());
    }

    // Runs the copy page's start and its ticks to the end; the number of
    // ticks it took.
    int RunCopy() {
        g_setupStatus = 0;
        g_progressCounter = 0;
        StartCopy(0);
        int ticks = 1;
        while (!CopyTick(0) && ticks < 100000) ticks++;
        CloseLog();
        return ticks;
    }
    void CloseLog() {
        if (g_installLog && g_installLog != HFILE_ERROR) _lclose(g_installLog);
        g_installLog = 0;
    }

    std::vector<std::string> LogLines() { return driver::Lines(driver::ReadFileBytes(app_ + "\\install.log")); }
    // The records of the last installation (behind its last "Module :"),
    // header excluded.
    std::vector<std::string> LastRecords() {
        std::vector<std::string> lines = LogLines(), out;
        size_t module = 0;
        for (size_t i = 0; i < lines.size(); i++)
            if (lines[i].rfind("Module : ", 0) == 0) module = i;
        for (size_t i = module + 4; i < lines.size(); i++) out.push_back(lines[i]);
        return out;
    }
    bool Logged(const std::string &start) {
        for (const std::string &l : LogLines())
            if (l.rfind(start, 0) == 0) return true;
        return false;
    }
    std::string Installed(const std::string &relative) { return driver::ReadFileBytes(app_ + "\\" + relative); }

    std::string root_, app_, dlg_;
    SupportLibrary saved_;
};

// Content of the given size that differs by its seed.
inline std::string Bytes(const std::string &seed, size_t size) {
    std::string s;
    while (s.size() < size) s += seed + std::to_string(s.size());
    return s.substr(0, size);
}
