// The main script and the text blocks over real files: the variable store,
// the exports a plug-in library uses (through the stand-in vtdllx.dll) and
// the support library's expansion of the same variables; settings read with
// the profile functions and the rule for script paths; text blocks scanned
// from a real "_DLG.SCR" into the text buffer, a dialog item or the block
// output file, with cut lines, cut texts and missing blocks.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/text_blocks.h"
#include "script/variables.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "base/text.h"
#include "wizard/page_framework.h"

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
    for (int i = 1; i <= 900; i++)
        big += std::to_string(i) + "=%V" + std::to_string(i) + "%\r\n%V" + std::to_string(i) + "%=value number " +
               std::to_string(i) + " of a long list\r\n";
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

int SUPPORT_CALL LongFolderMacro(char *buffer, int mode) {
    // Replaces a leading "%WINDIR%" by a long folder, as the library would.
    if (mode != 3 || lstrcmpA(buffer, "%WINDIR%\\win.ini") != 0) return 0;
    CopyText(buffer, (std::string(200, 'w') + "\\win.ini").c_str(), CONVERT_BUFFER_SIZE);
    return 0;
}

// Settings: values cut to their buffers, defaults and numbers; script paths
// below the installation folder or expanded stay inside their buffers.
TEST_F(VariablesTest, SettingsAndScriptPathsStayInsideTheirBuffers) {
    WriteScript("[DLG]\r\nC2=Welcome to %APP%\r\nC9=" + std::string(400, 'x') + "\r\nZ4=12abc\r\nTF1=\r\n");
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

    ResolveScriptPath("tool.exe", "C:\\", text, sizeof text);
    EXPECT_STREQ(text, "C:\\tool.exe");
    g_support.CONVERTMACRO = LongFolderMacro;
    char guarded[127 + 1];
    guarded[127] = 'G';
    ResolveScriptPath("%WINDIR%\\win.ini", "C:\\App", guarded, 127);
    EXPECT_EQ(std::string(guarded), std::string(126, 'w'));  // cut to the buffer
    ResolveScriptPath("file.txt", std::string(300, 'd').c_str(), guarded, 127);
    EXPECT_EQ(TextLength(guarded), 126);
    EXPECT_EQ(guarded[127], 'G');
}

int s_convertCalls;
int SUPPORT_CALL MarkingConvertMacro(char *buffer, int mode) {
    s_convertCalls++;
    if (mode == 5 && buffer[0] == '%') buffer[0] = '#';
    return 0;
}

class TextBlocksTest : public VariablesTest {
  protected:
    void SetUp() override {
        VariablesTest::SetUp();
        g_support.CONVERTMACRO = MarkingConvertMacro;
        s_convertCalls = 0;
        g_textBuffer = (char *)LocalAlloc(LMEM_FIXED, TEXT_BUFFER_SIZE + 8);
        FillMemory(g_textBuffer, TEXT_BUFFER_SIZE + 8, 'G');
        g_textBuffer[0] = 0;
    }
    void TearDown() override {
        FreeTextBlockFile();
        EXPECT_EQ(std::string(g_textBuffer + TEXT_BUFFER_SIZE, 8), std::string(8, 'G')) << "text buffer overrun";
        LocalFree(g_textBuffer);
        g_textBuffer = 0;
        VariablesTest::TearDown();
    }
    void Load(const std::string &text) {
        std::string path = folder_ + "\\_DLG.SCR";
        ASSERT_TRUE(WriteFileBytes(path, text));
        ASSERT_EQ(LoadTextBlockFile(path.c_str()), 1);
    }
    // The block of the text between "[STR name]" and "[END name]".
    std::string Extract(const std::string &text, const char *name, int style = 1) {
        std::string start = std::string("[STR ") + name + "]", end = std::string("[END ") + name + "]";
        g_textBuffer[0] = 0;
        int found = ExtractTextBlockFrom(text.data(), (int)text.size(), start.c_str(), end.c_str(), 0, 0, style, 0);
        return found ? g_textBuffer : "<missing>";
    }
};

// Paragraph styles, markers in any case, the first block only, the edges of
// the file, and lines and texts longer than their buffers.
TEST_F(TextBlocksTest, ScanFindsTheFirstBlockAndCutsLongText) {
    std::string text = "intro\r\n[str wel] rest ignored\r\none\r\ntwo\r\n\r\nthree\r\n[END WEL]\r\n"
                       "[STR WEL]\r\nsecond\r\n[END WEL]\r\n";
    EXPECT_EQ(Extract(text, "WEL", 1), "one\r\ntwo\n\nthree");
    EXPECT_EQ(Extract(text, "WEL", 0), "one\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(Extract(text, "LIC"), "<missing>");
    // The last end marker without CR LF; the scan stops at the end of the copy.
    EXPECT_EQ(Extract("[STR A]\r\nlast\r\n[END A]", "A"), "last");
    // Bare LF line ends lose the first character of the next line: "END B]"
    // is no marker.
    EXPECT_EQ(Extract("[STR B]\nxline\n[END B]\n", "B"), "<missing>");
    // An end marker before any start marker delivers what the buffer holds.
    lstrcpyA(g_textBuffer, "before");
    EXPECT_EQ(ExtractTextBlockFrom("[END C]\r\n", 9, "[STR C]", "[END C]", 0, 0, 1, 0), 1);
    EXPECT_STREQ(g_textBuffer, "before");
    std::string empty = folder_ + "\\empty.scr";
    WriteFileBytes(empty, "");
    EXPECT_EQ(LoadTextBlockFile(empty.c_str()), 0);
    EXPECT_EQ(LoadTextBlockFile((folder_ + "\\absent.scr").c_str()), 0);

    // Long lines and long texts are cut.
    EXPECT_EQ(Extract("[STR L]\r\n" + std::string(6000, 'L') + "\r\nnext\r\n[END L]\r\n", "L"),
              std::string(TEXT_LINE_SIZE - 1, 'L') + "\r\nnext");
    std::string big, line(99, 'x');
    for (int i = 0; i < 400; i++) big += line + "\r\n";  // about 40 000 bytes
    std::string got = Extract("[STR BIG]\r\n" + big + "[END BIG]\r\nafter\r\n", "BIG");
    EXPECT_EQ(got.size(), (size_t)TEXT_BUFFER_SIZE - 1);
    EXPECT_EQ(got.substr(0, 103), line + "\r\n" + line.substr(0, 2));
}

TEST_F(TextBlocksTest, DeliveryToADialogItemOrTheOutputFile) {
    Load("[STR FIN]\r\n%APP% done\r\n[END FIN]\r\n[STR LIC]\r\nterms\r\n\r\nmore\r\n[END LIC]\r\n");
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_TRUE(CreateWindowA("EDIT", "resource text", WS_CHILD, 0, 0, 10, 10, parent, (HMENU)77, 0, 0));
    EXPECT_EQ(ExtractTextBlock("[STR FIN]", "[END FIN]", parent, 77, 1, 0), 1);
    EXPECT_EQ(ItemText(parent, 77), "#APP% done");
    EXPECT_EQ(s_convertCalls, 1);
    // A missing block leaves the item as the resource made it.
    SetDlgItemTextA(parent, 77, "resource text");
    EXPECT_EQ(ExtractTextBlock("[STR NONE]", "[END NONE]", parent, 77, 1, 0), 0);
    EXPECT_EQ(ItemText(parent, 77), "resource text");
    DestroyWindow(parent);

    // The block output file is written and closed, also when the block is
    // missing.
    std::string out = folder_ + "\\lic.tmp";
    g_blockOutputFile = _lcreat(out.c_str(), 0);
    ASSERT_NE(g_blockOutputFile, HFILE_ERROR);
    EXPECT_EQ(ExtractTextBlock("[STR LIC]", "[END LIC]", 0, 0, 0, 0), 1);
    EXPECT_EQ(g_blockOutputFile, 0);
    EXPECT_EQ(ReadFileBytes(out), "terms\r\n\r\nmore");
    EXPECT_TRUE(DeleteFileA(out.c_str()));  // closed: no handle keeps it

    g_blockOutputFile = _lcreat(out.c_str(), 0);
    EXPECT_EQ(ExtractTextBlock("[STR REA]", "[END REA]", 0, 0, 0, 0), 0);
    EXPECT_EQ(g_blockOutputFile, 0);
    EXPECT_EQ(ReadFileBytes(out), "");
    EXPECT_TRUE(DeleteFileA(out.c_str()));

    // A missing rich-text block on a page: no handle left behind that
    // later code would take for an open file, no temp file.
    std::string temp = MakeTempFolder("txr");
    char saved[MAX_PATH];
    GetEnvironmentVariableA("TMP", saved, sizeof saved);
    SetEnvironmentVariableA("TMP", temp.c_str());
    LoadBlockIntoRichEdit(0, 541, "[STR NONE]", "[END NONE]", 1);
    SetEnvironmentVariableA("TMP", saved);
    EXPECT_EQ(g_blockOutputFile, 0);
    EXPECT_TRUE(FilesIn(temp, "VTB*").empty());
}

}  // namespace
