// The file copy engine over real files: the file script's records, the
// version and date rules, backup and temporary names, and the record fields
// that decide whether a file is written at all. Whole installations, the
// overwrite modes and the log's layout: the end-to-end tests.
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
    _lclose(script);  // the rewind for the copy after the detection: the e2e detection product

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

// The e2e tests meet whole versions and dates far apart through the real
// library; here parts left out, commas, a leading blank, a file without a
// version resource, and a record's date and time compared apart.
TEST_F(FileChecksTest, VersionAndDateRules) {
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

    SYSTEMTIME written = {1999, 5, 0, 1, 12};  // 1 May 1999, 12:00 local time
    FILETIME local, utc;
    SystemTimeToFileTime(&written, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileA(plain.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    SetFileTime(h, 0, 0, &utc);
    CloseHandle(h);
    const char *path = plain.c_str();
    EXPECT_FALSE(DateSaysReplace(path, 20000101, 110000, RULE_NOT_OLDER));  // later date, lower time: kept
    EXPECT_TRUE(DateSaysReplace(path, 20000101, 120000, RULE_NOT_OLDER));
    EXPECT_FALSE(DateSaysReplace(path, 20000101, 120000, RULE_NEWER));
    EXPECT_TRUE(DateSaysReplace(path, 19990501, 120002, RULE_NEWER));
    EXPECT_FALSE(DateSaysReplace(path, 19990430, 235959, RULE_NOT_OLDER));
    EXPECT_FALSE(DateSaysReplace((folder_ + "\\absent").c_str(), 29991231, 235959, RULE_NOT_OLDER));
}

// The numbering of .001 and .002 in one folder is met end to end; here
// names that share a stem, a dot in a folder name, a temporary name taken,
// a full self-registration queue and a long path shortened on screen.
TEST_F(FileChecksTest, NamesQueueAndDisplayPath) {
    char name[MAX_PATH];
    WriteFileBytes(folder_ + "\\app.001", "x");
    ASSERT_TRUE(NumberedBackupName((folder_ + "/app.exe").c_str(), name, sizeof name));
    EXPECT_EQ(folder_ + "\\app.002", name);
    ASSERT_TRUE(NumberedBackupName((folder_ + "\\v1.2\\readme").c_str(), name, sizeof name));
    EXPECT_EQ(folder_ + "\\v1.2\\readme.001", name);
    char temp[20], second[20];
    ASSERT_TRUE(TemporaryName(folder_.c_str(), temp, sizeof temp));
    WriteFileBytes(folder_ + "\\" + temp, "taken");
    ASSERT_TRUE(TemporaryName(folder_.c_str(), second, sizeof second));
    EXPECT_STRNE(temp, second);

    EmptySelfRegistrationQueue();
    for (int i = 0; i < SELF_REG_QUEUE_SIZE; i++) ASSERT_TRUE(QueueSelfRegistration(1, "C:\\x.dll"));
    EXPECT_FALSE(QueueSelfRegistration(3, "C:\\y.tlb"));
    EXPECT_EQ(SELF_REG_QUEUE_SIZE, SelfRegistrationCount());
    EmptySelfRegistrationQueue();

    CopyText(g_installFolder, folder_.c_str(), sizeof g_installFolder);
    std::string longFolder(120, 'd'), target = folder_ + "\\" + longFolder + "\\x.txt";
    BuildDisplayPath(target.c_str(), "x.txt", (longFolder + "\\").c_str(), name, sizeof name);
    EXPECT_EQ(folder_ + "\\....\\x.txt", name);
    BuildDisplayPath(target.c_str(), "x.txt", "%INSTDIR%\\", name, sizeof name);
    EXPECT_STREQ("....\\x.txt", name);
}

class CopyTest : public InstallFixture {};

// The overwrite modes, versions, dates, backups and their numbering are
// met through the real library by the end-to-end tests; here the variables
// the copy sets, the record fields that decide whether a file is written at
// all, the records of a variant file, read-only targets (not taken for
// files in use: those are the end-to-end tests' and the 95 family's) and
// the unique uninstaller's next free name.
TEST_F(CopyTest, SecondRunFollowsTheRecordFieldsAndReadOnlyRules) {
    const std::string unique = "[UNINST]\r\nUnique=1\r\n";
    Prepare({{"plain.txt", "", "old plain", {{5, "0"}}}, {"variant.txt", "", "old variant"}, {"ro.txt", "", "old"},
             {"ro2.txt", "", "old"}, {"uninstx.exe", "", "u0"}}, "", unique);
    RunCopy();
    ASSERT_EQ(0, g_setupStatus);
    char stamp[32], variable[64];
    FormatTimeStamp(stamp, sizeof stamp);
    GetPrivateProfileStringA("VARIABLES", "%INSTDATE%", "", variable, sizeof variable, g_scriptPath);
    EXPECT_STREQ(stamp, variable);
    GetPrivateProfileStringA("VARIABLES", "%SOURCEDRV%", "", variable, sizeof variable, g_scriptPath);
    EXPECT_STREQ("C:", variable);
    EXPECT_EQ(std::vector<std::string>{"A"}, fake::writeRegCalls);
    SetFileAttributesA((app_ + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((app_ + "\\ro2.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteFileBytes(app_ + "\\uninstx1.exe", "u1");
    Prepare({
        {"plain.txt", "", "new plain", {{5, "0"}}},
        {"variant.txt", "", "new variant", {{14, "1"}}},
        {"ro.txt", "", "new"},                      // the attribute is cleared first
        {"only.txt", "", "never", {{18, "1"}}},      // only if present
        {"optional.txt", "", "never", {{20, "C"}}},  // component not chosen
        {"nt.txt", "", "never", {{15, "1"}}},        // 95 family only
        {"uninstx.exe", "", "u2"},
    }, "", unique + "[VARIABLES]\r\n#=1\r\n1=%UNINSTNAME%\r\n");
    RunCopy();
    ASSERT_EQ(0, g_setupStatus);
    EXPECT_EQ("new plain", Installed("plain.txt"));
    EXPECT_EQ("new variant", Installed("variant.txt"));
    EXPECT_EQ("new", Installed("ro.txt"));
    for (const char *name : {"only.txt", "optional.txt", "nt.txt"}) EXPECT_FALSE(FileExists(app_ + "\\" + name));
    EXPECT_EQ("u0", Installed("uninstx.exe"));
    EXPECT_EQ("u1", Installed("uninstx1.exe"));
    EXPECT_EQ("u2", Installed("uninstx2.exe"));
    GetPrivateProfileStringA("VARIABLES", "%UNINSTNAME%", "", variable, sizeof variable, g_scriptPath);
    EXPECT_STREQ("uninstx2.exe", variable);
    std::string b = app_ + "\\_BACKUP_\\";
    EXPECT_EQ("old variant", ReadFileBytes(b + "variant.001"));
    EXPECT_FALSE(FileExists(b + "plain.001"));  // mode 0: no backup
    // The backup keeps the attribute the copy cleared on the old file.
    EXPECT_TRUE(GetFileAttributesA((b + "ro.001").c_str()) & FILE_ATTRIBUTE_READONLY);
    std::vector<std::string> expected = {
        "Copy   : " + app_ + "\\plain.txt",    "Existed: " + app_ + "\\plain.txt",  // written over
        "Create : " + app_ + "\\_BACKUP_",
        "Replace; " + app_ + "\\variant.txt",  "Backup ; " + b + "variant.001",
        "Replace: " + app_ + "\\ro.txt",       "Backup : " + b + "ro.001",
        "Skipped: " + app_ + "\\only.txt",     "Skipped: " + app_ + "\\optional.txt",
        "Skipped: " + app_ + "\\nt.txt",       "Copy   : " + app_ + "\\uninstx2.exe",
    };
    EXPECT_EQ(expected, LastRecords());
    // Skipped entries are consumed without being written.
    for (const fake::UnpackCall &c : fake::calls)
        if (c.name == "only.txt") EXPECT_TRUE(c.options & UNPACK_CONSUME_ONLY);
    // [DLG] "NR": read-only files are kept.
    g_noReadOnlyFlag = 1;
    Prepare({{"ro2.txt", "", "new"}});
    RunCopy();
    EXPECT_EQ("old", Installed("ro2.txt"));
    EXPECT_TRUE(GetFileAttributesA((app_ + "\\ro2.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::vector<std::string>{"Skipped: " + app_ + "\\ro2.txt"}, LastRecords());
}

TEST_F(CopyTest, TestModeChangesNothing) {
    g_testMode = 1;
    Prepare({{"a.txt", "sub\\deep\\", "a"}, {"b.txt", "", "b"}});
    RunCopy();
    g_testMode = 0;
    EXPECT_EQ(0, g_setupStatus);
    EXPECT_FALSE(FileExists(app_));
    EXPECT_TRUE(fake::writeRegCalls.empty());
    for (const fake::UnpackCall &c : fake::calls) ASSERT_TRUE(c.options & UNPACK_CONSUME_ONLY);
}

}  // namespace
