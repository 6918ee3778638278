// The file copy engine and the install log over real files: record fields,
// the version and date rules, backup and temporary names, a fresh
// installation of a nested product and a second one over it.
#include "install_fixture.h"
#include "install/file_checks.h"
#include "install/file_copy.h"
#include "install/install_log.h"
#include "install/registrations.h"

using namespace driver;

namespace {

TEST(FileRecordTest, FieldsNumbersAndLineEnds) {
    std::string folder = MakeTempFolder("rec");
    std::string path = folder + "\\f.scr";
    // CR LF, a lone LF, a line without its end at the end of the script.
    WriteFileBytes(path, "|one|1|Arial|12|x9|\r\n|two||\n|three|-5|");
    HFILE script = _lopen(path.c_str(), OF_READ);
    char record[FILE_RECORD_SIZE];
    ASSERT_EQ(RECORD_READ, ReadFileRecord(script, record));
    char text[20];
    RecordField(record, 1, text, sizeof text);
    EXPECT_STREQ("one", text);
    EXPECT_EQ(12u, RecordNumber(record, 4));
    EXPECT_EQ(0u, RecordNumber(record, 6));  // behind the last "|"
    RecordField(record, 3, text, 4);
    EXPECT_STREQ("Ari", text);  // cut to the buffer
    ASSERT_EQ(RECORD_READ, ReadFileRecord(script, record));
    EXPECT_STREQ("|two||", record);
    ASSERT_EQ(RECORD_READ, ReadFileRecord(script, record));
    EXPECT_STREQ("|three|-5|", record);
    EXPECT_EQ(RECORD_NONE, ReadFileRecord(script, record));
    EXPECT_STREQ("|three|-5|", record);  // the last record stays
    RewindFileScript(script);
    ASSERT_EQ(RECORD_READ, ReadFileRecord(script, record));
    RecordField(record, 1, text, sizeof text);
    EXPECT_STREQ("one", text);
    _lclose(script);

    // A line that does not end inside 400 bytes is not taken as a record.
    WriteFileBytes(path, "|" + std::string(450, 'a') + "|\r\n");
    script = _lopen(path.c_str(), OF_READ);
    EXPECT_EQ(RECORD_TOO_LONG, ReadFileRecord(script, record));
    _lclose(script);
}

class FileChecksTest : public ::testing::Test {
  protected:
    void SetUp() override { folder_ = MakeTempFolder("chk"); }
    std::string Versioned(const char *version) {
        return ProgramFolder() + "\\versioned_" + version + ".dll";
    }
    std::string folder_;
};

// The e2e tests meet whole versions through the real library; here parts
// left out, commas, a leading blank and a file without a version resource.
TEST_F(FileChecksTest, VersionRules) {
    char text[50];
    ASSERT_TRUE(ReadFileVersionText(Versioned("1500").c_str(), text, sizeof text));
    EXPECT_STREQ("1.5.0.0", text);
    std::string plain = folder_ + "\\plain.dll";
    WriteFileBytes(plain, "no resource here");
    struct Case {
        std::string file;
        const char *version;
        int rule;
        bool replace;
    } cases[] = {{Versioned("1500"), "1.6.0.0", RULE_NOT_OLDER, true}, {Versioned("1500"), "1.5", RULE_NOT_OLDER, true},
                 {Versioned("1500"), "1,4,9,9", RULE_NOT_OLDER, false}, {Versioned("1500"), "1.4.9.9", RULE_NEWER, false},
                 {Versioned("1500"), " 1.5.0.1", RULE_NEWER, true},     {plain, "0.0.0.1", RULE_NOT_OLDER, true},
                 {plain, "0.0.0.0", RULE_NEWER, true}};
    for (const Case &c : cases)
        EXPECT_EQ(c.replace, VersionSaysReplace(c.file.c_str(), c.version, c.rule)) << c.version << " " << c.rule;
}

static void SetWriteTime(const std::string &path, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    SetFileTime(h, 0, 0, &utc);
    CloseHandle(h);
}

TEST_F(FileChecksTest, DateRulesCompareDateAndTimeApart) {
    std::string path = folder_ + "\\dated.txt";
    WriteFileBytes(path, "x");
    SetWriteTime(path, 1999, 5, 1, 12, 0);
    // Later date but lower time: kept.
    EXPECT_FALSE(DateSaysReplace(path.c_str(), 20000101, 110000, RULE_NOT_OLDER));
    EXPECT_TRUE(DateSaysReplace(path.c_str(), 20000101, 120000, RULE_NOT_OLDER));
    EXPECT_FALSE(DateSaysReplace(path.c_str(), 20000101, 120000, RULE_NEWER));
    EXPECT_TRUE(DateSaysReplace(path.c_str(), 19990501, 120002, RULE_NEWER));
    EXPECT_FALSE(DateSaysReplace(path.c_str(), 19990430, 235959, RULE_NOT_OLDER));
    EXPECT_FALSE(DateSaysReplace((folder_ + "\\absent").c_str(), 29991231, 235959, RULE_NOT_OLDER));
}

TEST_F(FileChecksTest, BackupAndTemporaryNames) {
    char name[MAX_PATH];
    std::string dll = folder_ + "/app.dll";
    ASSERT_TRUE(NumberedBackupName(dll.c_str(), name, sizeof name));
    EXPECT_EQ(folder_ + "\\app.001", name);
    WriteFileBytes(folder_ + "\\app.001", "x");
    ASSERT_TRUE(NumberedBackupName((folder_ + "\\app.exe").c_str(), name, sizeof name));
    EXPECT_EQ(folder_ + "\\app.002", name);
    // A dot in a folder name is not an extension.
    ASSERT_TRUE(NumberedBackupName((folder_ + "\\v1.2\\readme").c_str(), name, sizeof name));
    EXPECT_EQ(folder_ + "\\v1.2\\readme.001", name);

    // A second temporary name while the first is taken: the counter moves.
    char temp[20], second[20];
    ASSERT_TRUE(TemporaryName(folder_.c_str(), temp, sizeof temp));
    WriteFileBytes(folder_ + "\\" + temp, "taken");
    ASSERT_TRUE(TemporaryName(folder_.c_str(), second, sizeof second));
    EXPECT_STRNE(temp, second);
}

TEST_F(FileChecksTest, InUseTestSeesOtherHoldersAndKeepsReadOnly) {
    std::string path = folder_ + "\\held.dll";
    WriteFileBytes(path, "x");
    EXPECT_FALSE(FileInUse(path.c_str()));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(FileInUse(path.c_str()));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    EXPECT_TRUE(FileInUse(path.c_str()));
    CloseHandle(h);
}

TEST_F(FileChecksTest, SelfRegistrationQueueHoldsItsSize) {
    EmptySelfRegistrationQueue();
    for (int i = 0; i < SELF_REG_QUEUE_SIZE; i++) ASSERT_TRUE(QueueSelfRegistration(1, "C:\\x.dll"));
    EXPECT_FALSE(QueueSelfRegistration(3, "C:\\y.tlb"));
    EXPECT_EQ(SELF_REG_QUEUE_SIZE, SelfRegistrationCount());
    EmptySelfRegistrationQueue();
    EXPECT_EQ(0, SelfRegistrationCount());
}

class CopyTest : public InstallFixture {};

// A nested product: 220 files in folders three levels deep.
static std::vector<FileSpec> NestedProduct() {
    std::vector<FileSpec> files;
    for (int i = 0; i < 220; i++) {
        FileSpec f;
        f.name = "file" + std::to_string(i) + (i % 3 ? ".dat" : ".txt");
        int a = i % 4, b = (i / 4) % 5;
        f.folder = i % 7 == 0 ? "" : "lvl" + std::to_string(a) + "\\sub" + std::to_string(b) + "\\";
        if (i % 11 == 0 && !f.folder.empty()) f.folder += "deep\\";
        f.bytes = Bytes(f.name, (size_t)(i * 37 % 5000));
        files.push_back(f);
    }
    return files;
}

// The files, the log's header and the [DLG] texts the uninstaller takes
// are the end-to-end tests' part; here: the walk's batches and the
// variables set.
TEST_F(CopyTest, FreshInstallInBatchesSetsTheVariables) {
    std::vector<FileSpec> files = NestedProduct();
    Prepare(files);
    g_recordsPerTick = 220;
    int ticks = RunCopy();
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_LT(ticks, 221);  // a tick handles entries until its time is spent
    EXPECT_EQ(100u, g_overallPercent);
    for (const FileSpec &f : files) ASSERT_EQ(f.bytes, Installed(f.folder + f.name)) << f.folder + f.name;
    EXPECT_EQ(files.size() + 1, LastRecords().size());
    char stamp[32], variable[64];
    FormatTimeStamp(stamp, sizeof stamp);
    GetPrivateProfileStringA("VARIABLES", "%INSTDATE%", "", variable, sizeof variable, g_scriptPath);
    EXPECT_STREQ(stamp, variable);
    GetPrivateProfileStringA("VARIABLES", "%SOURCEDRV%", "", variable, sizeof variable, g_scriptPath);
    EXPECT_STREQ("C:", variable);
    EXPECT_EQ(std::vector<std::string>{"A"}, fake::writeRegCalls);
}

static FileSpec Spec(const std::string &name, int mode, const std::string &bytes,
                     std::map<int, std::string> fields = {}) {
    FileSpec f;
    f.name = name;
    f.bytes = bytes;
    f.fields = fields;
    f.fields[5] = std::to_string(mode);
    return f;
}

// The overwrite modes, versions, dates, backups and their numbering are
// met through the real library by the end-to-end tests; here the record
// fields that decide whether a file is written at all, and the records of
// a variant file.
TEST_F(CopyTest, SecondRunFollowsTheRecordFieldsAndKeepsBackups) {
    Prepare({Spec("plain.txt", 0, "old plain"), Spec("variant.txt", 1, "old variant")});
    RunCopy();
    ASSERT_EQ(0, g_setupStatus);
    std::vector<FileSpec> second = {
        Spec("plain.txt", 0, "new plain"),
        Spec("variant.txt", 1, "new variant", {{14, "1"}}),
        Spec("only.txt", 1, "never", {{18, "1"}}),      // only if present
        Spec("optional.txt", 1, "never", {{20, "C"}}),  // component not chosen
        Spec("nt.txt", 1, "never", {{15, "1"}}),        // 95 family only
    };
    Prepare(second);
    RunCopy();
    ASSERT_EQ(0, g_setupStatus);
    EXPECT_EQ("new plain", Installed("plain.txt"));
    EXPECT_EQ("new variant", Installed("variant.txt"));
    for (const char *name : {"only.txt", "optional.txt", "nt.txt"}) EXPECT_FALSE(FileExists(app_ + "\\" + name));
    std::string b = app_ + "\\_BACKUP_\\";
    EXPECT_EQ("old variant", ReadFileBytes(b + "variant.001"));
    EXPECT_FALSE(FileExists(b + "plain.001"));  // mode 0: no backup
    std::vector<std::string> expected = {
        "Copy   : " + app_ + "\\plain.txt",    "Create : " + app_ + "\\_BACKUP_",
        "Replace; " + app_ + "\\variant.txt",  "Backup ; " + b + "variant.001",
        "Skipped: " + app_ + "\\only.txt",     "Skipped: " + app_ + "\\optional.txt",
        "Skipped: " + app_ + "\\nt.txt",
    };
    EXPECT_EQ(expected, LastRecords());
    // Skipped entries are consumed without being written.
    for (const fake::UnpackCall &c : fake::calls)
        if (c.name == "only.txt") EXPECT_TRUE(c.options & UNPACK_CONSUME_ONLY);
}

TEST_F(CopyTest, ReadOnlyTargetsAndTheNoReadOnlyRule) {
    Prepare({Spec("ro.txt", 1, "old"), Spec("ro2.txt", 1, "old")});
    RunCopy();
    SetFileAttributesA((app_ + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((app_ + "\\ro2.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Prepare({Spec("ro.txt", 1, "new")});
    RunCopy();
    EXPECT_EQ("new", Installed("ro.txt"));  // the attribute is cleared first
    g_noReadOnlyFlag = 1;
    Prepare({Spec("ro2.txt", 1, "new")});
    RunCopy();
    g_noReadOnlyFlag = 0;
    EXPECT_EQ("old", Installed("ro2.txt"));
    EXPECT_EQ(std::vector<std::string>{"Skipped: " + app_ + "\\ro2.txt"}, LastRecords());
}

TEST_F(CopyTest, UniqueUninstallerGetsTheNextFreeName) {
    Prepare({Spec("uninstx.exe", 1, "u0")}, "", "[UNINST]\r\nUnique=1\r\n");
    RunCopy();
    WriteFileBytes(app_ + "\\uninstx1.exe", "u1");
    Prepare({Spec("uninstx.exe", 1, "u2")}, "", "[UNINST]\r\nUnique=1\r\n[VARIABLES]\r\n#=1\r\n1=%UNINSTNAME%\r\n");
    RunCopy();
    EXPECT_EQ("u0", Installed("uninstx.exe"));
    EXPECT_EQ("u1", Installed("uninstx1.exe"));
    EXPECT_EQ("u2", Installed("uninstx2.exe"));
    char value[64];
    GetPrivateProfileStringA("VARIABLES", "%UNINSTNAME%", "", value, sizeof value, g_scriptPath);
    EXPECT_STREQ("uninstx2.exe", value);
    EXPECT_EQ(std::vector<std::string>{"Copy   : " + app_ + "\\uninstx2.exe"}, LastRecords());
    ASSERT_FALSE(fake::calls.empty());
    EXPECT_TRUE(fake::calls.back().options & UNPACK_RENAMED);
}

TEST_F(CopyTest, TestModeChangesNothing) {
    g_testMode = 1;
    Prepare(NestedProduct());
    RunCopy();
    g_testMode = 0;
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_FALSE(FileExists(app_));
    EXPECT_TRUE(fake::writeRegCalls.empty());
    for (const fake::UnpackCall &c : fake::calls) ASSERT_TRUE(c.options & UNPACK_CONSUME_ONLY);
}

TEST_F(CopyTest, VariableFoldersAndLongPathsOnScreen) {
    std::string other = root_ + "\\Other";
    fake::installFolder = other;  // %INSTDIR% expands elsewhere on purpose
    FileSpec f = Spec("var.txt", 1, "var");
    f.folder = "%INSTDIR%\\cfg\\";
    Prepare({f}, "", "[VARIABLES]\r\n#=1\r\n1=%INSTDIR%\r\n");  // listed, as start-up lists it
    RunCopy();
    EXPECT_EQ("var", ReadFileBytes(other + "\\cfg\\var.txt"));
    ASSERT_EQ(1u, fake::calls.size());
    EXPECT_FALSE(fake::calls[0].options & UNPACK_ADD_FOLDER);  // the expanded folder is the target
    EXPECT_EQ(other + "\\cfg\\", fake::calls[0].target);

    char display[256];
    std::string longFolder(120, 'd');
    std::string target = app_ + "\\" + longFolder + "\\x.txt";
    BuildDisplayPath(target.c_str(), "x.txt", (longFolder + "\\").c_str(), display, sizeof display);
    EXPECT_EQ(app_ + "\\....\\x.txt", display);
    BuildDisplayPath(target.c_str(), "x.txt", "%INSTDIR%\\", display, sizeof display);
    EXPECT_STREQ("....\\x.txt", display);
}

}  // namespace
