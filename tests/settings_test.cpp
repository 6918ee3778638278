// Settings access over a real INI file with the Windows profile functions,
// the numbered-list keys and the rule for script paths.
#include <gtest/gtest.h>
#include "driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "startup/text.h"

using namespace driver;

namespace {

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = MakeTempFolder("set");
        std::string path = folder_ + "\\_SFX.DLG";
        std::string longText(400, 'x');
        WriteFileBytes(path,
                       "[DLG]\r\nC2=Welcome to %APP%\r\nC9=" + longText +
                           "\r\nZ3=7\r\nZ4=12abc\r\nTF1=\r\n"
                           "[ACT]\r\nNdx=2\r\n+1a=first\r\n+2a=second\r\n+2z=B\r\n+12ip1=twelve\r\n"
                           "[VARIABLES]\r\n#=3\r\nNdx=9\r\n"
                           "[ODBC]\r\n#=4\r\n");
        CopyText(g_scriptPath, path.c_str(), sizeof g_scriptPath);
        saved_ = g_support;
    }
    void TearDown() override { g_support = saved_; }
    std::string folder_;
    SupportLibrary saved_;
};

int SUPPORT_CALL FakeConvertMacro(char *buffer, int mode) {
    // Replaces a leading "%WINDIR%" by a long folder, as the library would.
    if (mode != 3 || lstrcmpA(buffer, "%WINDIR%\\win.ini") != 0) return 0;
    std::string folder(200, 'w');
    CopyText(buffer, (folder + "\\win.ini").c_str(), CONVERT_BUFFER_SIZE);
    return 0;
}

}  // namespace

TEST_F(SettingsTest, ValuesAreCutToTheirBuffersAndDefaultsApply) {
    char text[255];
    ReadDlgText("C2", text, sizeof text);
    EXPECT_STREQ(text, "Welcome to %APP%");
    ReadDlgText("C9", text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(254, 'x'));

    char small[6 + 2];
    small[6] = 'G';
    small[7] = 'G';
    ReadSetting("DLG", "C2", small, 6);
    EXPECT_STREQ(small, "Welco");
    EXPECT_EQ(small[6], 'G');  // nothing written behind the buffer

    ReadDlgText("missing", text, sizeof text);
    EXPECT_STREQ(text, "");
    ReadDlgText("TF2", text, sizeof text);  // absent: the font default
    EXPECT_STREQ(text, "Arial");
    ReadSetting("CMP", "TF2", text, sizeof text);  // only in [DLG]
    EXPECT_STREQ(text, "");

    // Integers take the leading digits or the default.
    EXPECT_EQ(ReadDlgInt("Z3", 0), 7);
    EXPECT_EQ(ReadDlgInt("Z4", 0), 12);
    EXPECT_EQ(ReadDlgInt("Z5", 0), 0);
    EXPECT_EQ(ReadDlgInt("IX", 2), 2);
    WriteSetting("DLG", "Z5", "3");
    EXPECT_EQ(ReadDlgInt("Z5", 0), 3);

    // Lists: their count key and item keys.
    EXPECT_EQ(ListCount("ACT"), 2);
    EXPECT_EQ(ListCount("VARIABLES"), 3);  // "#", not "Ndx"
    EXPECT_EQ(ListCount("ODBC"), 4);
    EXPECT_EQ(ListCount("GRP"), 0);
    char value[20];
    ReadListField("ACT", 2, "a", value, sizeof value);
    EXPECT_STREQ(value, "second");
    ReadListField("ACT", 12, "ip1", value, sizeof value);
    EXPECT_STREQ(value, "twelve");
}

// Script paths below the installation folder or expanded, and texts copied
// or appended, stay inside their buffers.
TEST_F(SettingsTest, ScriptPathsAndTextsStayInsideTheirBuffers) {
    char path[127];
    ResolveScriptPath("bin\\tool.exe", "C:\\Program Files\\App", path, sizeof path);
    EXPECT_STREQ(path, "C:\\Program Files\\App\\bin\\tool.exe");
    ResolveScriptPath("tool.exe", "C:\\", path, sizeof path);
    EXPECT_STREQ(path, "C:\\tool.exe");

    g_support.CONVERTMACRO = FakeConvertMacro;
    ResolveScriptPath("%WINDIR%\\win.ini", "C:\\App", path, sizeof path);
    EXPECT_EQ(std::string(path), std::string(126, 'w'));  // cut to the buffer

    std::string deep(300, 'd');
    char guarded[127 + 1];
    guarded[127] = 'G';
    ResolveScriptPath("file.txt", deep.c_str(), guarded, 127);
    EXPECT_EQ(TextLength(guarded), 126);
    EXPECT_EQ(guarded[127], 'G');

    char buffer[8];
    CopyText(buffer, "abcdefghijk", sizeof buffer);
    EXPECT_STREQ(buffer, "abcdefg");
    CopyText(buffer, "ab", sizeof buffer);
    AppendText(buffer, "cdefghij", sizeof buffer);
    EXPECT_STREQ(buffer, "abcdefg");
    CopyText(buffer, "ab", 1);
    EXPECT_STREQ(buffer, "");
}
