// Text blocks scanned from a real "_DLG.SCR" into the text buffer, a dialog
// item or the block output file, with cut lines, cut texts and missing blocks.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"
#include "payload/binding.h"
#include "script/text_blocks.h"
#include "startup/globals.h"
#include "wizard/page_framework.h"

using namespace driver;

namespace {

int s_convertCalls;
int SUPPORT_CALL FakeConvertMacro(char *buffer, int mode) {
    s_convertCalls++;
    if (mode == 5 && buffer[0] == '%') buffer[0] = '#';
    return 0;
}

class TextBlocksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = MakeTempFolder("txb");
        saved_ = g_support;
        g_support.CONVERTMACRO = FakeConvertMacro;
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
        g_support = saved_;
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
    std::string folder_;
    SupportLibrary saved_;
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
