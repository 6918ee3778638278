// The variable store over a real script file, the exports a plug-in library
// uses (through the stand-in vtdllx.dll) and the support library's expansion
// of the same variables.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "startup/globals.h"
#include "startup/text.h"

using namespace driver;

namespace {

class VariablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = MakeTempFolder("var");
        script_ = folder_ + "\\_SFX.DLG";
        saved_ = g_support;
    }
    void TearDown() override {
        g_support = saved_;
        if (support_) FreeLibrary(support_);
    }
    void WriteScript(const std::string &text) {
        ASSERT_TRUE(WriteFileBytes(script_, text));
        CopyText(g_scriptPath, script_.c_str(), sizeof g_scriptPath);
    }
    std::string Key(const char *key) {
        char value[256];
        GetPrivateProfileStringA("VARIABLES", key, "<none>", value, sizeof value, script_.c_str());
        return value;
    }
    // The real support library, told the script path as at start-up.
    void LoadSupportLibrary() {
        support_ = LoadLibraryA((ProgramFolder() + "\\supportlib.dll").c_str());
        ASSERT_TRUE(support_);
        ASSERT_TRUE(BindSupportLibrary(support_));
        g_support.INITMAK(g_scriptPath, 2, 32, 0, 0);
    }
    std::string Expand(const std::string &text, int mode = 3) {
        char buffer[CONVERT_BUFFER_SIZE + 8];
        FillMemory(buffer, sizeof buffer, 'G');
        CopyText(buffer, text.c_str(), CONVERT_BUFFER_SIZE);
        g_support.CONVERTMACRO(buffer, mode);
        EXPECT_EQ(std::string(buffer + CONVERT_BUFFER_SIZE, 8), std::string(8, 'G')) << "written past the buffer";
        return buffer;
    }
    std::string folder_, script_;
    SupportLibrary saved_;
    HMODULE support_ = 0;
};

TEST_F(VariablesTest, AddListsEveryNameAndSetOnlyStoresTheValue) {
    WriteScript("[DLG]\r\nTI=x\r\n");
    AddVariable("%INSTDIR%", "C:\\Prog");
    EXPECT_EQ(Key("%INSTDIR%"), "C:\\Prog");

    AddVariable("%INSTDIR%", "D:\\Other");  // listed twice, last value kept
    EXPECT_EQ(Key("2"), "%INSTDIR%");
    EXPECT_EQ(Key("%INSTDIR%"), "D:\\Other");

    char buffer[VARIABLE_TEXT] = "junk";
    EXPECT_EQ(SetVariable("%NEW%", "x"), 0);
    EXPECT_EQ(Key("#"), "2");
    EXPECT_EQ(GetVariable("%ABSENT%", buffer), 1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetVariable("%new%", buffer), 0);  // INI keys ignore case
    EXPECT_STREQ(buffer, "x");

    // Values are read with 255 bytes: longer ones arrive cut.
    SetVariable("%LONG%", std::string(400, 'v').c_str());
    char big[VARIABLE_TEXT + 8];
    FillMemory(big, sizeof big, 'G');
    EXPECT_EQ(GetVariable("%LONG%", big), 0);
    EXPECT_EQ(std::string(big), std::string(254, 'v'));
    EXPECT_EQ(std::string(big + VARIABLE_TEXT, 8), std::string(8, 'G'));

    // The script's own variables stay in front of added ones.
    WriteScript("[VARIABLES]\r\n#=2\r\n1=%A%\r\n2=%B%\r\n%A%=a\r\n%B%=b\r\n");
    AddVariable("%C%", "c");
    EXPECT_EQ(Key("#"), "3");
    EXPECT_EQ(Key("3"), "%C%");
}

// A plug-in reads the system values (numbers as the result, the letters of
// the components as text, 0 for an unknown number) and changes variables
// that the expansion and the engine then see.
TEST_F(VariablesTest, PluginChangesAreSeenByExpansionAndByTheEngine) {
    std::string report = folder_ + "\\plugin.txt";
    WriteScript("[VARIABLES]\r\n#=4\r\n1=%PLUGINREPORT%\r\n2=%INSTDIR%\r\n3=%PRODUCT%\r\n4=%SELF%\r\n"
                "%PLUGINREPORT%=" + report + "\r\n%INSTDIR%=C:\\Target\r\n%PRODUCT%=before\r\n");
    LoadSupportLibrary();
    g_windowsFamily = 32;
    g_isAdministrator = 1;
    CopyText(g_componentLetters, "AC", sizeof g_componentLetters);
    EXPECT_EQ(Expand("Product %PRODUCT%"), "Product before");
    g_servicePack = 3;
    g_clarionVersion = 16;
    g_freeSpaceKB = 123456;
    char kept[VARIABLE_TEXT] = "keep";
    const int values[][2] = {{0, 0}, {200, 3}, {300, 16}, {600, 123456}};
    for (const auto &v : values) EXPECT_EQ(GetSystemVariable(v[0], kept), v[1]) << v[0];
    EXPECT_STREQ(kept, "keep");

    HMODULE plugin = LoadLibraryA((ProgramFolder() + "\\vtdllx.dll").c_str());
    ASSERT_TRUE(plugin);
    ASSERT_TRUE(BindPluginLibrary(plugin));
    g_plugin.present = 1;
    EXPECT_EQ(CallPlugin(2000), 0);
    EXPECT_EQ(ReadFileBytes(report),
              "code=2000 instdir=C:\\Target empty=0 family=32 admin=1 letters=AC/0 other=0\r\n");

    char value[VARIABLE_TEXT];
    EXPECT_EQ(GetVariable("%PRODUCT%", value), 0);
    EXPECT_STREQ(value, "set by plug-in at 2000");
    EXPECT_EQ(Expand("Product %PRODUCT% in %INSTDIR%"), "Product set by plug-in at 2000 in C:\\Target");
    // A value that names its own variable is put in once, not expanded again.
    EXPECT_EQ(Expand("%SELF%%SELF%"), "[%SELF%][%SELF%]");
    FreeLibrary(plugin);
    g_plugin = PluginLibrary();
}

// The expansion reads the section at once; it must see what the profile
// functions see key by key: keys without regard to case, blanks and one pair
// of quotes around values dropped, the first of two equal keys, comments and
// lines without "=" passed over, and a section larger than any buffer.
TEST_F(VariablesTest, ExpansionSeesTheValuesTheProfileFunctionsGive) {
    WriteScript(
        "[DLG]\r\nTI=x\r\n[VARIABLES]\r\n#= 5\r\n1=%A%\r\n2 = %B%\r\n3=%C%\r\n; a comment\r\nno value here\r\n"
        "4=%D%\r\n5=%E%\r\n%a%=alpha\r\n%B% =  \"beta gamma\"  \r\n%C%='quoted'\r\n%C%=second\r\n"
        "%D%=\"half\r\n%E%=\r\n[OTHER]\r\n%E%=not this\r\n");
    LoadSupportLibrary();
    EXPECT_EQ(Expand("[%A%|%B%|%C%|%D%|%E%]"), "[alpha|beta gamma|quoted|\"half|]");

    // Over 40 KB of variables: past the section buffer, still all expanded.
    std::string big = "[VARIABLES]\r\n#=900\r\n";
    for (int i = 1; i <= 900; i++) {
        char line[80];
        wsprintfA(line, "%d=%%V%d%%\r\n%%V%d%%=value number %d of a long list\r\n", i, i, i, i);
        big += line;
    }
    ASSERT_GT(big.size(), 40000u);
    WriteScript(big);
    EXPECT_EQ(Expand("<%V1%|%V899%|%V900%>"),
              "<value number 1 of a long list|value number 899 of a long list|value number 900 of a long list>");

    // The expansion is cut at the buffer of its mode.
    std::string longValue(200, 'x');
    WriteScript("[VARIABLES]\r\n#=1\r\n1=%L%\r\n%L%=" + longValue + "\r\n");
    EXPECT_EQ(Expand("a%L%b%L%c", 1), ("a" + longValue + "b" + longValue).substr(0, CONVERT_BUFFER_SIZE - 1));

    // Mode 5 works in the text buffer's size.
    std::string block(CONVERT_BLOCK_SIZE + 8, 'G'), many;
    for (int i = 0; i < 120; i++) many += "%L%";
    CopyText(&block[0], many.c_str(), CONVERT_BLOCK_SIZE);
    g_support.CONVERTMACRO(&block[0], 5);
    EXPECT_EQ(lstrlenA(block.c_str()), CONVERT_BLOCK_SIZE - 1);
    EXPECT_EQ(block.substr(CONVERT_BLOCK_SIZE, 8), std::string(8, 'G'));
}

TEST_F(VariablesTest, ConditionsFollowTheLettersSelectedNow) {
    WriteScript("[ACT]\r\nNdx=4\r\n+1z=B\r\n+2z=A\r\n+4z=D\r\n");
    LoadSupportLibrary();
    CopyText(g_componentLetters, "", sizeof g_componentLetters);  // before the components page
    EXPECT_EQ(g_support.CHECKCONDITION(1, "ACT"), 1);
    EXPECT_EQ(g_support.CHECKCONDITION(2, "ACT"), 0);  // main component
    EXPECT_EQ(g_support.CHECKCONDITION(3, "ACT"), 0);  // no letter
    CopyText(g_componentLetters, "AB", sizeof g_componentLetters);  // chosen, WRITEREG not yet called
    EXPECT_EQ(g_support.CHECKCONDITION(1, "ACT"), 0);
    EXPECT_EQ(g_support.CHECKCONDITION(4, "ACT"), 1);
    EXPECT_FALSE(ListItemApplies("ACT", 4));
}

}  // namespace
