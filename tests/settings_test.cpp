// Settings access over a real INI file with the Windows profile functions,
// the numbered-list keys and the rule for script paths.
#include <gtest/gtest.h>
#include "driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "startup/text.h"

using namespace driver;

namespace {

int SUPPORT_CALL FakeConvertMacro(char *buffer, int mode) {
    // Replaces a leading "%WINDIR%" by a long folder, as the library would.
    if (mode != 3 || lstrcmpA(buffer, "%WINDIR%\\win.ini") != 0) return 0;
    CopyText(buffer, (std::string(200, 'w') + "\\win.ini").c_str(), CONVERT_BUFFER_SIZE);
    return 0;
}

}  // namespace

// Values cut to their buffers, defaults, numbers, list keys; script paths
// below the installation folder or expanded stay inside their buffers.
TEST(SettingsTest, ValuesAndScriptPathsStayInsideTheirBuffers) {
    std::string path = MakeTempFolder("set") + "\\_SFX.DLG";
    WriteFileBytes(path, "[DLG]\r\nC2=Welcome to %APP%\r\nC9=" + std::string(400, 'x') +
                             "\r\nZ4=12abc\r\nTF1=\r\n"
                             "[ACT]\r\nNdx=2\r\n+1a=first\r\n+12ip1=twelve\r\n[VARIABLES]\r\n#=3\r\nNdx=9\r\n");
    CopyText(g_scriptPath, path.c_str(), sizeof g_scriptPath);
    char text[255];
    ReadDlgText("C9", text, sizeof text);
    EXPECT_EQ(std::string(text), std::string(254, 'x'));
    char small[6 + 2] = "GGGGGGG";
    ReadSetting("DLG", "C2", small, 6);
    EXPECT_STREQ(small, "Welco");
    EXPECT_EQ(small[6], 'G');  // nothing written behind the buffer
    ReadDlgText("TF2", text, sizeof text);  // absent: the font default
    EXPECT_STREQ(text, "Arial");
    ReadSetting("CMP", "TF2", text, sizeof text);  // only in [DLG]
    EXPECT_STREQ(text, "");

    // Integers take the leading digits or the default.
    EXPECT_EQ(ReadDlgInt("Z4", 0), 12);
    EXPECT_EQ(ReadDlgInt("IX", 2), 2);
    WriteSetting("DLG", "Z5", "3");
    EXPECT_EQ(ReadDlgInt("Z5", 0), 3);
    EXPECT_EQ(ListCount("ACT"), 2);
    EXPECT_EQ(ListCount("VARIABLES"), 3);  // "#", not "Ndx"
    ReadListField("ACT", 12, "ip1", text, sizeof text);
    EXPECT_STREQ(text, "twelve");

    ResolveScriptPath("tool.exe", "C:\\", text, sizeof text);
    EXPECT_STREQ(text, "C:\\tool.exe");
    SupportLibrary saved = g_support;
    g_support.CONVERTMACRO = FakeConvertMacro;
    char guarded[127 + 1];
    guarded[127] = 'G';
    ResolveScriptPath("%WINDIR%\\win.ini", "C:\\App", guarded, 127);
    EXPECT_EQ(std::string(guarded), std::string(126, 'w'));  // cut to the buffer
    ResolveScriptPath("file.txt", std::string(300, 'd').c_str(), guarded, 127);
    EXPECT_EQ(TextLength(guarded), 126);
    EXPECT_EQ(guarded[127], 'G');
    g_support = saved;
}
