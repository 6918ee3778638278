// The steps after the copy as the copy page runs them, over the in-process
// library: templates through the stand-in environment (started by the step,
// spoken to over DDE, closed again) and through one that never answers, and
// items that cannot be carried out.
#include "install_fixture.h"
#include "install/later_steps.h"

using namespace driver;

namespace {

class FinishingTest : public InstallFixture {
  protected:
    void SetUp() override {
        InstallFixture::SetUp();
        g_summaryBuffer = (char *)LocalAlloc(LPTR, SUMMARY_BUFFER_SIZE);
        commands_ = ProgramFolder() + "\\clarion_commands.txt";
        DeleteFileA(commands_.c_str());
    }
    void TearDown() override {
        LocalFree(g_summaryBuffer);
        g_summaryBuffer = 0;
        g_clarionProgram[0] = 0;
        g_clarionVersion = 0;
        InstallFixture::TearDown();
    }
    // Runs the copy of an empty payload with the templates of the script
    // and the other sections given; the log.
    std::string InstallTemplates(const char *environment, const std::string &sections = "") {
        CopyText(g_clarionProgram, (ProgramFolder() + "\\" + environment).c_str(), sizeof g_clarionProgram);
        g_clarionVersion = 16;
        Prepare({}, "", "[TPL]\r\nNdx=3\r\n+1a=\\tpl\\one.tpw\r\n+2a=\\tpl\\two.tpw\r\n+3a=\\tpl\\other.tpw\r\n"
                        "+3z=Q\r\nE1=Not registered: \r\n" + sections);
        RunCopy();
        // The environment writes "closed" when its window is asked to close;
        // on a loaded machine that can take seconds, and the next install
        // would otherwise find this environment still answering.
        for (int i = 0; i < 1200 && ReadFileBytes(commands_).find("closed") == std::string::npos; i++) Sleep(50);
        return ReadFileBytes(app_ + "\\install.log");
    }
    std::string commands_;
};

// Templates go to the environment over DDE; those it does not take are
// listed with E1. In the same run, a read-only INI file, ODBC items without
// the setup library, a shortcut without its shell folder and a folder name
// over its buffer: each is recorded as passed over, none as done.
TEST_F(FinishingTest, TemplatesOverDdeAndItemsThatCannotBeDone) {
    CreateDirectoryA(app_.c_str(), 0);
    std::string ini = app_ + "\\locked.ini";
    ASSERT_TRUE(WriteFileBytes(ini, "[S]\r\nK=old\r\n"));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    OdbcLibrary savedOdbc = g_odbc;
    ZeroMemory(&g_odbc, sizeof g_odbc);
    std::string log = InstallTemplates(
        "clarion_env.exe", "[INI]\r\nNdx=1\r\n+1a=%INSTDIR%\\locked.ini\r\n+1b=S\r\n+1c=K\r\n+1d=new\r\n[ODBC]\r\n#=1\r\n"
                           "+1a=Driver\r\n[GRP]\r\nNdx=1\r\n+1a=2\r\n+1b=Software\\None\r\n+1c=None\r\n+1f=tool.lnk\r\n"
                           "[DIR]\r\nNdx=1\r\n+1a=" + std::string(130, 'd') + "\r\n");
    g_odbc = savedOdbc;
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::string one = app_ + "\\tpl\\one.tpw,0", two = app_ + "\\tpl\\two.tpw,0";
    EXPECT_EQ(ReadFileBytes(commands_), "[RegisterTemplateChain(" + one + ")]\r\n[RegisterTemplateChain(" + two +
                                            ")]\r\nclosed\r\n");
    size_t launched = log.find("Clarion: " + ProgramFolder() + "\\clarion_env.exe\r\n");
    size_t first = log.find("CTplReg: " + one + "\r\n"), second = log.find("CTplReg: " + two + "\r\n");
    ASSERT_NE(launched, std::string::npos) << log;
    EXPECT_LT(launched, first);
    EXPECT_LT(first, second);
    EXPECT_LT(second, log.find("CID    : Clarion 5.5\r\n"));
    EXPECT_NE(log.find("CID    : Clarion 5.5\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("other.tpw"), std::string::npos);
    EXPECT_STREQ(g_summaryBuffer, "");
    char value[16];
    GetPrivateProfileStringA("S", "K", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "old");
    for (const char *record : {"Error  : INI file not written: ", "Error  : ODBC items passed over",
                               "Error  : no shell folder for shortcut: tool.lnk", "Error  : folder name too long: "})
        EXPECT_NE(log.find(std::string("\r\n") + record), std::string::npos) << record << "\n" << log;
    for (const char *tag : {"INIFile:", "ODBC   :", "SLink  :"}) EXPECT_EQ(log.find(tag), std::string::npos) << log;

    // An environment that takes no template: each is listed with E1.
    DeleteFileA(commands_.c_str());
    DeleteFileA((app_ + "\\install.log").c_str());
    log = InstallTemplates("clarion_env_mute.exe");
    EXPECT_EQ(ReadFileBytes(commands_), "closed\r\n");
    EXPECT_EQ(log.find("CTplReg:"), std::string::npos) << log;
    EXPECT_NE(log.find("CID    : Clarion 5.5\r\n"), std::string::npos) << log;
    EXPECT_STREQ(g_summaryBuffer, "Not registered:\\tpl\\one.tpw\r\nNot registered:\\tpl\\two.tpw\r\n");
}

}  // namespace
