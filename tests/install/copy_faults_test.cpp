// Files the target holds open, and input that does not fit: scripts out of
// step with the payload, records that name other files, paths too long,
// writes that fail half way.
#include "install_fixture.h"
#include "install/file_copy.h"

using namespace driver;

namespace {

class LockedFileTest : public InstallFixture {};

// The NT family's rename at the next start is met by the end-to-end test of
// a held file; the 95 family's goes to WININIT.INI.
TEST_F(LockedFileTest, WindowsNinetyFiveFamilyUsesWininit) {
    Prepare({{"held95.dll", "", "old"}});
    RunCopy();
    std::string target = app_ + "\\held95.dll";
    Program holder;
    ASSERT_TRUE(HoldFile(holder, target));
    g_platform = 1;
    Prepare({{"held95.dll", "", "new"}}, "BU=0\r\n");
    RunCopy();
    g_platform = 2;
    EXPECT_EQ(1, g_restartNeeded);
    char source[MAX_PATH] = "";
    GetPrivateProfileStringA("rename", target.c_str(), "", source, sizeof source, "wininit.ini");
    ASSERT_TRUE(source[0]);
    EXPECT_EQ("new", ReadFileBytes(source));
    WritePrivateProfileStringA("rename", target.c_str(), 0, "wininit.ini");
}

// A held file stopping the detection page is met by the end-to-end test;
// here the walk reads no further than the file script when [FLE] "Ndx"
// promises more records.
class DetectionTest : public InstallFixture {};

TEST_F(DetectionTest, EndsWithAScriptShorterThanItsCount) {
    Prepare({{"free.txt"}}, "", "[FLE]\r\nNdx=50\r\n");
    StartDetection(0);
    int ticks = 1;
    while (!DetectionTick(0) && ticks < 100) ticks++;
    EndDetection();
    EXPECT_LE(ticks, 2);
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_TRUE(fake::calls.empty());
}

class FaultTest : public InstallFixture {
  protected:
    std::vector<FileSpec> Three() {
        return {{"a.txt", "", Bytes("a.txt", 3000)}, {"b.txt", "", Bytes("b.txt", 3000)},
                {"c.txt", "", Bytes("c.txt", 3000)}};
    }
};

// Scripts out of step with the payload, a path too long and a folder that
// cannot be made: the run aborts with its reason logged, makes no finishing
// changes, and what it wrote before the fault is rolled back.
TEST_F(FaultTest, ScriptsOutOfStepAndUnwritableTargetsAbort) {
    std::vector<FileSpec> files = Three();
    FileSpec billboard = {"bill1.img", "%BILLBOARD%\\"};
    std::string a = Record(files[0]) + "\r\n", b = Record(files[1]) + "\r\n", c = Record(files[2]) + "\r\n";
    struct Case {
        const char *aborted;
        std::string script;
        int dropEntries;  // entries taken from the payload's end
        const char *folderOfB;
    } cases[] = {{"no file record for c.txt", a + b, 0, ""},
                 {"no payload entry for c.txt", a + b + Record(billboard) + "\r\n" + c, 1, ""},
                 {"target path too long: b.txt", a + b + c, 0, "long"},
                 {"unpack failed: b.txt", a + b + c, 0, "blocked\\"}};
    for (const Case &k : cases) {
        SCOPED_TRACE(k.aborted);
        RemoveTree(app_);
        files[1].folder = std::string(k.folderOfB) == "long" ? std::string(230, 'f') + "\\" : k.folderOfB;
        Prepare(files);
        WriteFileScript(k.script);
        fake::entries.resize(fake::entries.size() - k.dropEntries);
        CreateDirectoryA(app_.c_str(), 0);
        WriteFileBytes(app_ + "\\blocked", "in the way");
        RunCopy();
        EXPECT_EQ(2, g_setupStatus);
        EXPECT_TRUE(Logged(std::string("Aborted ") + k.aborted));
        EXPECT_TRUE(Logged("Copy   : " + app_ + "\\a.txt"));
        for (const char *name : {"a.txt", "b.txt", "c.txt"}) EXPECT_FALSE(FileExists(app_ + "\\" + name)) << name;
        EXPECT_TRUE(fake::writeRegCalls.empty());  // no finishing changes
        EXPECT_EQ("in the way", Installed("blocked"));
        EXPECT_TRUE(FilesIn(app_, "ff*").empty());  // nothing under a cut path
    }
    // A short record without name fields still pairs with its entry; its
    // missing fields read as empty and 0 (mode 0: a plain copy).
    Prepare({files[0]});
    WriteFileScript("|just a description|\r\n");
    RunCopy();
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_EQ(files[0].bytes, Installed("a.txt"));
}

// A library that answers 1 instead of -1 once no entry is left: the walk
// ends there rather than asking for ever. A billboard's entry between the
// files, with its record after theirs, is no missing file and no step of
// the bar.
TEST_F(FaultTest, AnyNonZeroNextLoopAnswerEndsTheWalk) {
    std::vector<FileSpec> files = Three();
    Prepare(files);
    FileSpec billboard = {"bill1.img", "%BILLBOARD%\\"};
    WriteFileScript(Record(files[0]) + "\r\n" + Record(files[1]) + "\r\n" + Record(files[2]) + "\r\n" +
                    Record(billboard) + "\r\n");
    fake::entries.insert(fake::entries.begin() + 1, {billboard.name, billboard.folder});
    fake::endAnswer = 1;
    EXPECT_LT(RunCopy(), 10);
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_EQ(3u, g_progressCounter);
    EXPECT_EQ(files[2].bytes, Installed("c.txt"));
}

// Names and folder texts that lead out of the installation folder, one of
// them through a "%" in the middle of the text: refused before anything is
// touched (no backup, no attribute change, no in-use test), logged, and the
// setup ends as after a failed unpack. A variable at the start may lead
// elsewhere, but not climb out of its own folder.
TEST_F(FaultTest, TargetsOutsideTheirFolderTouchNothing) {
    std::string outside = root_ + "\\vt_escape.txt";
    struct Case {
        const char *name, *folder;
    } cases[] = {{"..\\vt_escape.txt", ""},      {"vt_escape.txt", "\\..\\EscA%Q%\\..\\"},
                 {"vt_escape.txt", "%INSTDIR%\\..\\"}, {"vt_escape.txt", "sub\\..\\..\\"},
                 {"AUX.txt", ""},                  {"vt_escape.txt.", "\\..\\"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.folder) + c.name);
        SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteFileBytes(outside, "outside"));
        SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_READONLY);
        Prepare({{c.name, c.folder, "product"}}, "", "[VARIABLES]\r\n#=1\r\n1=%INSTDIR%\r\n");
        RunCopy();
        EXPECT_EQ(2, g_setupStatus);
        EXPECT_TRUE(Logged(std::string("Aborted target outside its folder: ") + c.name));
        EXPECT_EQ("outside", ReadFileBytes(outside));
        EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY, GetFileAttributesA(outside.c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_FALSE(FileExists(app_ + "\\_BACKUP_"));
        EXPECT_TRUE(FilesIn(root_, "vt_escape.0*").empty());
        EXPECT_FALSE(FileExists(root_ + "\\EscA%Q%"));
    }
    SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_NORMAL);
    // The installation folder's own variable leads to it: installed.
    Prepare({{"in.txt", "%INSTDIR%\\sub\\", "inside"}}, "", "[VARIABLES]\r\n#=1\r\n1=%INSTDIR%\r\n");
    RunCopy();
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_EQ("inside", Installed("sub\\in.txt"));
}

TEST_F(FaultTest, FailedWriteLeavesNoHalfFileAndRestoresTheOld) {
    std::vector<FileSpec> files = Three();
    Prepare(files);
    RunCopy();
    ASSERT_EQ(0, g_setupStatus);

    // A new file that fails half way, and one the library reports written
    // without writing it: neither is left behind or logged as copied.
    for (bool lie : {false, true}) {
        Prepare({{"fresh.txt", "", Bytes("fresh", 4000)}});
        (lie ? fake::entries[0].lie : fake::entries[0].fail) = true;
        RunCopy();
        EXPECT_EQ(2, g_setupStatus);
        EXPECT_FALSE(FileExists(app_ + "\\fresh.txt"));
        EXPECT_TRUE(Logged(lie ? "Aborted file not written: fresh.txt" : "Aborted unpack failed: fresh.txt"));
        EXPECT_FALSE(Logged("Copy   : " + app_ + "\\fresh.txt"));
    }

    // A replaced file whose new copy fails: the old one is back.
    files[1].bytes = Bytes("newer b", 4000);
    Prepare({files[1]});
    fake::entries[0].fail = true;
    RunCopy();
    EXPECT_EQ(2, g_setupStatus);
    EXPECT_EQ(Bytes("b.txt", 3000), Installed("b.txt"));
    EXPECT_FALSE(FileExists(app_ + "\\_BACKUP_\\b.001"));
    EXPECT_FALSE(Logged("Replace: " + app_ + "\\b.txt"));
}

// No backup name left (999 backups): the old file is kept, not replaced
// without a copy.
TEST_F(FaultTest, NoBackupNameLeftKeepsTheOldFile) {
    Prepare({{"kept.txt", "", "old"}});
    RunCopy();
    std::string backups = app_ + "\\_BACKUP_";
    CreateDirectoryA(backups.c_str(), 0);
    for (int i = 1; i <= 999; i++) {
        char name[16];
        wsprintfA(name, "\\kept.%03i", i);
        ASSERT_TRUE(WriteFileBytes(backups + name, "older"));
    }
    Prepare({{"kept.txt", "", "new"}});
    RunCopy();
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_EQ("old", Installed("kept.txt"));
    EXPECT_EQ(std::vector<std::string>{"Skipped: " + app_ + "\\kept.txt"}, LastRecords());
}

}  // namespace
