// The "PBar" progress bar and the background window's gradient, painted by
// the real window procedures on the test display and read back pixel by
// pixel from the windows' device contexts; the bitmap-file loader against
// every form a product may carry (1 to 32 bits, RLE8, RLE4, bit fields,
// top-down rows) and against damaged files, whose reads stay inside the file.
#include <gtest/gtest.h>
#include <algorithm>
#include <stdlib.h>
#include <string>
#include <vector>
#include "display/background.h"
#include "display/pictures.h"
#include "display/progress_bar.h"
#include "payload/extract.h"
#include "script/settings.h"
#include "base/settings.h"
#include "driver.h"
#include "screenshot.h"

using namespace driver;

namespace {

const COLORREF kBar = RGB(200, 0, 0), kBack = RGB(0, 160, 0), kWhite = RGB(255, 255, 255);

// The pixels of a window's client area (or a part of it) as COLORREFs.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> data;
    COLORREF at(int x, int y) const { return data[y * width + x]; }
};

Pixels Capture(HWND window, int left = 0, int width = 0) {
    RECT client;
    GetClientRect(window, &client);
    Pixels p = {width ? width : client.right - left, client.bottom};
    for (DWORD v : CapturePixels(window, left, 0, p.width, p.height))
        p.data.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
    return p;
}

void Repaint(HWND window) {
    InvalidateRect(window, 0, TRUE);
    UpdateWindow(window);
}

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegisterProgressBarClass(GetModuleHandleA(0)), 1);
        WNDCLASSA wc = {0, DefWindowProcA, 0, 0, GetModuleHandleA(0), 0, 0, (HBRUSH)GetStockObject(BLACK_BRUSH),
                        0, "PBarTestHost"};
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, "PBarTestHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, 0, 0,
                                GetModuleHandleA(0), 0);
        ASSERT_TRUE(host_);
        UpdateWindow(host_);
    }
    void TearDown() override { DestroyWindow(host_); }

    // Where the text's ink lies when drawn black on white with the font,
    // centred inside a one-pixel frame in an area of the given size (drawn
    // on the host below the bars): 0 no ink, 2 full ink, 1 the blended edge
    // of a smoothed glyph.
    std::vector<char> TextInk(const char *text, HFONT font, int width, int height) {
        HDC dc = GetDC(host_);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size = {};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        RECT all = {0, 100, width, 100 + height};
        ExtTextOutA(dc, 1 + (width - 2 - size.cx) / 2, 101 + (height - 2 - size.cy) / 2, ETO_OPAQUE, &all, text,
                    lstrlenA(text), 0);
        SelectObject(dc, old);
        ReleaseDC(host_, dc);
        std::vector<char> ink;
        for (DWORD v : CapturePixels(host_, 0, 100, width, height))
            ink.push_back((v & 0xFFFFFF) == 0 ? 2 : (v & 0xFFFFFF) != 0xFFFFFF);
        return ink;
    }

    // A bar as the wizard's dialogs create it, in the test's colours unless
    // it keeps its own.
    HWND Bar(int x, int y, int width, int height, bool coloured = true, DWORD style = 0) {
        HWND bar = CreateWindowExA(0, PBAR_CLASS, "", WS_CHILD | WS_VISIBLE | 7 | style, x, y, width, height, host_,
                                   0, GetModuleHandleA(0), 0);
        EXPECT_TRUE(bar);
        if (coloured) {
            SendMessageA(bar, PBM_SETBARCOLOUR, 0, kBar);
            SendMessageA(bar, PBM_SETBACKCOLOUR, 0, kBack);
            Repaint(bar);
        }
        return bar;
    }
    HWND host_ = 0;
};

// Only the low 16 bits of wParam count, steps wrap in 16 bits, 1030 sets
// what 1033 answers and 1032 what 1031 answers, WM_SETFONT 0 is the system
// font again.
TEST_F(ProgressBarTest, MessagesKeepSixteenBitFieldsAndAnswerCrossedColours) {
    HWND bar = Bar(10, 10, 200, 24, false);
    SendMessageA(bar, PBM_SETPOS16, 42, 0);
    Pixels p = Capture(bar);  // dark blue on white in a white frame; 42 of 198 columns: 83
    EXPECT_EQ(p.at(0, 1), kWhite);
    EXPECT_EQ(p.at(83, 0), kWhite);
    EXPECT_EQ(p.at(83, 1), RGB(0, 0, 192));
    EXPECT_EQ(p.at(84, 22), kWhite);
    SendMessageA(bar, PBM_SETBARCOLOUR, 0, RGB(1, 2, 3));
    SendMessageA(bar, PBM_SETBACKCOLOUR, 0, RGB(4, 5, 6));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBARCOLOUR, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBACKCOLOUR, 0, 0), RGB(4, 5, 6));
    struct Case {
        UINT set, get;
        WPARAM value;
        LRESULT answer;
    } cases[] = {{PBM_SETRANGE16, PBM_GETRANGE16, 0x12345, 0x2345}, {PBM_SETPOS16, PBM_GETPOS16, 0x10007, 7},
                 {PBM_SETBEVEL, PBM_GETBEVEL, 0x10004, 4},          {PBM_SETPOS16, PBM_GETPOS16, 95, 95},
                 {PBM_STEP16, PBM_GETPOS16, 10, 105},               {PBM_SETPOS16, PBM_GETPOS16, 65530, 65530},
                 {PBM_STEP16, PBM_GETPOS16, 10, 4},                 {PBM_STEP16, PBM_GETPOS16, (WPARAM)-6, 65534}};
    for (const Case &c : cases) {
        SendMessageA(bar, c.set, c.value, 0);
        EXPECT_EQ(SendMessageA(bar, c.get, 0, 0), c.answer) << c.set << " " << c.value;
    }
    HFONT font = CreateFontA(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SendMessageA(bar, WM_SETFONT, (WPARAM)font, 1);
    EXPECT_EQ((HFONT)SendMessageA(bar, WM_GETFONT, 0, 0), font);
    SendMessageA(bar, WM_SETFONT, 0, 0);
    EXPECT_EQ((HGDIOBJ)SendMessageA(bar, WM_GETFONT, 0, 0), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

// The done part for range, position and orientation, repainted by the
// messages alone: the edge rows (or columns) lie clear of the text. The
// 3-D style bit paints flat on displays of more than 8 bits per pixel. The
// percentage, in the system font or a font of the bar's own (WM_SETFONT),
// is centred and inverted over the done part.
TEST_F(ProgressBarTest, FillAndPercentageFollowPositionRangeAndOrientation) {
    HDC info = CreateICA("DISPLAY", 0, 0, 0);
    bool colourTable = GetDeviceCaps(info, NUMCOLORS) >= 8;
    DeleteDC(info);
    HFONT arial = CreateFontA(-16, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    struct Case {
        int range, position, orientation, done;  // done: inner columns, or rows when vertical
        bool tall, threeD;
        const char *text;  // the percentage, checked pixel by pixel
        HFONT font;
    } cases[] = {{100, 0, 0, 0, false, false, "  0%"},      {100, 42, 0, 83, false, false, " 42%"},
                 {100, 50, 0, 99, false, false, " 50%"},     {100, 150, 0, 198, false, false, "100%"},
                 {100, 100, 0, 198, false, false, "100%", arial},
                 {100, 1, 0, 1},     {100, 99, 0, 196},    {100, 3, 0, 5},     {100, 65535, 0, 198},
                 {0, 0, 0, 0},       {0, 1, 0, 198},       {65535, 65534, 0, 197}, {65535, 330, 0, 0},
                 {65535, 331, 0, 1}, {100, 25, 1, 49},     {100, 30, 2, 60, true}, {100, 30, 3, 60, true},
                 {100, 50, 0, 99, false, true}};
    for (const Case &c : cases) {
        if (c.threeD && colourTable) continue;
        SCOPED_TRACE(testing::Message() << c.range << "/" << c.position << "/" << c.orientation);
        int width = c.tall ? 40 : 200, height = c.tall ? 202 : 24;
        HWND bar = Bar(10, 10, width, height, true, c.threeD ? PBS_3D : 0);
        if (c.threeD) SendMessageA(bar, PBM_SETBEVEL, 7, 0);
        if (c.font) SendMessageA(bar, WM_SETFONT, (WPARAM)c.font, 1);
        SendMessageA(bar, PBM_SETRANGE16, c.range, 0);
        SendMessageA(bar, PBM_SETORIENT, c.orientation, 0);
        SendMessageA(bar, PBM_SETPOS16, c.position, 0);
        Pixels p = Capture(bar);
        DestroyWindow(bar);
        int inner = c.tall ? height - 2 : width - 2;
        for (int i = 1; i <= inner; i++) {
            bool done = c.orientation == 1 || c.orientation == 2 ? i > inner - c.done : i <= c.done;
            for (int edge : {1, (c.tall ? width : height) - 2})
                ASSERT_EQ(c.tall ? p.at(edge, i) : p.at(i, edge), done ? kBar : kBack) << i << " at " << edge;
        }
        if (!c.text) continue;
        std::vector<char> ink = TextInk(c.text, c.font ? c.font : (HFONT)GetStockObject(SYSTEM_FONT), width, height);
        int inkCount = 0, left = width, right = -1;
        for (int y = 1; y < height - 1; y++)
            for (int x = 1; x < width - 1; x++) {
                COLORREF fill = x <= c.done ? kBar : kBack, other = x <= c.done ? kBack : kBar;
                int isInk = ink[y * width + x];
                ASSERT_TRUE(isInk == 0 ? p.at(x, y) == fill : isInk == 2 ? p.at(x, y) == other : p.at(x, y) != fill)
                    << x << "," << y;
                if (p.at(x, y) == other) inkCount++, left = std::min(left, x), right = std::max(right, x);
            }
        EXPECT_GT(inkCount, 10);
        // No leading blanks: the ink itself sits in the middle.
        if (c.text[0] != ' ') EXPECT_LE(abs((left - 1) - (width - 2 - right)), 3);
    }
    DeleteObject(arial);
    // 70000 pixels wide, only the part around the split on the host: 65000
    // of 65535 is 69426.9 of the 69998 inner columns.
    const int shown = 69300;
    HWND bar = Bar(-shown, 10, 70000, 24);
    SendMessageA(bar, PBM_SETRANGE16, 65535, 0);
    SendMessageA(bar, PBM_SETPOS16, 65000, 0);
    Pixels p = Capture(bar, shown, 400);
    for (int x = 0; x < 400; x++) ASSERT_EQ(p.at(x, 1), shown + x <= 69426 ? kBar : kBack) << shown + x;
}

// The background window: maximised, blue bands darkening downwards (60 rows
// of 1 pixel falling by 3 to blue 78; 700 rows in 175 bands of 4 falling by
// 1 to blue 81), or a solid colour.
TEST(BackgroundWindow, GradientRunsFromPureBlueDownInBands) {
    lstrcpyA(g_scriptPath, "C:\\no such folder\\_SFX.DLG");  // every setting takes its default
    g_picturePath[1][0] = 0;
    g_backgroundStyle = 0;
    HWND window = CreateBackgroundWindow(GetModuleHandleA(0), 1, 0, 0);
    ASSERT_TRUE(window);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_GT(client.bottom, 300);
    ShowWindow(window, SW_RESTORE);
    struct Row {
        int height, y, blue;
    } rows[] = {{60, 0, 255}, {60, 1, 252}, {60, 59, 78}, {700, 3, 255}, {700, 4, 254}, {700, 695, 82}, {700, 696, 81}};
    for (const Row &r : rows) {
        RECT frame = {0, 0, 300, r.height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(window, 0, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
        Repaint(window);
        Pixels p = Capture(window);
        ASSERT_EQ(p.height, r.height);
        EXPECT_EQ(p.at(10, r.y), RGB(0, 0, r.blue)) << r.height << " " << r.y;
    }
    g_backgroundStyle = 1;
    g_backgroundColour = RGB(255, 0, 0);
    Repaint(window);
    EXPECT_EQ(Capture(window).at(299, 699), RGB(255, 0, 0));
    g_backgroundStyle = 0;
    DestroyWindow(window);
}

// A 4 x 2 picture file; rows bottom-up unless the height is negative.
std::string Bitmap(int height, int bits, DWORD compression, const std::vector<DWORD> &table, const std::string &pixels) {
    std::string h(54, '\0');
    auto put = [&](size_t at, DWORD v, int n) {
        for (int i = 0; i < n; i++) h[at + i] = (char)(v >> (8 * i));
    };
    bool masks = compression == BI_BITFIELDS;
    DWORD offset = 54 + 4 * (DWORD)table.size();
    h[0] = 'B', h[1] = 'M';
    put(2, offset + (DWORD)pixels.size(), 4);
    put(10, offset, 4);
    put(14, 40, 4), put(18, 4, 4), put(22, (DWORD)height, 4), put(26, 1, 2), put(28, bits, 2);
    put(30, compression, 4), put(34, (DWORD)pixels.size(), 4), put(46, masks ? 0 : (DWORD)table.size(), 4);
    for (DWORD c : table) h += std::string((const char *)&c, 4);
    return h + pixels;
}

std::string Bytes(std::initializer_list<int> b) { return std::string(b.begin(), b.end()); }

std::string Repeat(const std::string &unit, int n) { return n ? unit + Repeat(unit, n - 1) : ""; }

const DWORD kBlue = 0x0000FF, kRed = 0xFF0000;  // RGBQUAD order in a DWORD

// Loads the file and reads back its top-left and bottom-right pixels;
// false when the loader gave no bitmap.
bool Load(const std::string &bytes, COLORREF *topLeft, COLORREF *bottomRight) {
    std::string path = MakeTempFolder("pic") + "\\p.bmp";
    WriteFileBytes(path, bytes);
    HPALETTE palette;
    HBITMAP bitmap = LoadPicture(0, path.c_str(), &palette, 0);
    if (!bitmap) return false;
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    *topLeft = GetPixel(dc, 0, 0);
    *bottomRight = GetPixel(dc, 3, 1);
    SelectObject(dc, old);
    DeleteDC(dc);
    FreePicture(bitmap, palette);
    return true;
}

bool IsRed(COLORREF c) { return GetRValue(c) > 0xF0 && GetGValue(c) < 0x10 && GetBValue(c) < 0x10; }
bool IsBlue(COLORREF c) { return GetBValue(c) > 0xF0 && GetRValue(c) < 0x10 && GetGValue(c) < 0x10; }


// Each form holds a red top row over a blue bottom row.
TEST(LoadPictureTest, EveryBitmapForm) {
    const std::vector<DWORD> palette = {kBlue, kRed};
    struct Form {
        const char *name;
        std::string file;
    } forms[] = {
        {"1 bit", Bitmap(2, 1, BI_RGB, palette, Bytes({0x00, 0, 0, 0, 0xF0, 0, 0, 0}))},
        {"4 bits", Bitmap(2, 4, BI_RGB, palette, Bytes({0x00, 0x00, 0, 0, 0x11, 0x11, 0, 0}))},
        {"8 bits", Bitmap(2, 8, BI_RGB, palette, Bytes({0, 0, 0, 0, 1, 1, 1, 1}))},
        {"16 bits", Bitmap(2, 16, BI_RGB, {}, Repeat(Bytes({0x1F, 0x00}), 4) + Repeat(Bytes({0x00, 0x7C}), 4))},
        {"24 bits", Bitmap(2, 24, BI_RGB, {}, Repeat(Bytes({0xFF, 0, 0}), 4) + Repeat(Bytes({0, 0, 0xFF}), 4))},
        {"24 bits top-down", Bitmap(-2, 24, BI_RGB, {}, Repeat(Bytes({0, 0, 0xFF}), 4) + Repeat(Bytes({0xFF, 0, 0}), 4))},
        {"32 bits", Bitmap(2, 32, BI_RGB, {}, Repeat(Bytes({0xFF, 0, 0, 0}), 4) + Repeat(Bytes({0, 0, 0xFF, 0}), 4))},
        {"16 bits 5-6-5", Bitmap(2, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F},
                                 Repeat(Bytes({0x1F, 0x00}), 4) + Repeat(Bytes({0x00, 0xF8}), 4))},
        {"32 bit fields", Bitmap(2, 32, BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF},
                                 Repeat(Bytes({0xFF, 0, 0, 0}), 4) + Repeat(Bytes({0, 0, 0xFF, 0}), 4))},
        {"RLE8 runs", Bitmap(2, 8, BI_RLE8, palette, Bytes({4, 0, 0, 0, 4, 1, 0, 1}))},
        {"RLE8 literal", Bitmap(2, 8, BI_RLE8, palette, Bytes({0, 4, 0, 0, 0, 0, 0, 0, 0, 4, 1, 1, 1, 1, 0, 1}))},
        {"RLE4 runs", Bitmap(2, 4, BI_RLE4, palette, Bytes({4, 0x00, 0, 0, 4, 0x11, 0, 1}))},
        {"RLE4 literal", Bitmap(2, 4, BI_RLE4, palette, Bytes({4, 0x00, 0, 0, 0, 4, 0x11, 0x11, 0, 1}))},
    };
    for (const Form &f : forms) {
        SCOPED_TRACE(f.name);
        COLORREF top = 0, bottom = 0;
        ASSERT_TRUE(Load(f.file, &top, &bottom));
        EXPECT_TRUE(IsRed(top)) << std::hex << top;
        EXPECT_TRUE(IsBlue(bottom)) << std::hex << bottom;
    }
}

// Damaged files: what is missing stays colour 0, runs and jumps that point
// past the picture or the file are cut, headers that lie give no bitmap.
TEST(LoadPictureTest, DamagedFilesStayInsideTheirBytes) {
    const std::vector<DWORD> palette = {kBlue, kRed};
    COLORREF top = 0, bottom = 0;
    ASSERT_TRUE(Load(Bitmap(2, 8, BI_RLE8, palette, Bytes({4, 0, 0, 0})), &top, &bottom));
    EXPECT_TRUE(IsBlue(top));
    ASSERT_TRUE(Load(Bitmap(2, 8, BI_RLE8, palette, Bytes({0, 2, 200, 200, 255, 1, 0, 200, 1})), &top, &bottom));
    ASSERT_TRUE(Load(Bitmap(2, 4, BI_RLE4, palette, Bytes({255, 0x11, 0, 0, 0, 255, 0x11})), &top, &bottom));
    ASSERT_TRUE(Load(Bitmap(2, 24, BI_RGB, {}, Repeat(Bytes({0xFF, 0, 0}), 4)), &top, &bottom));
    EXPECT_TRUE(IsBlue(bottom));

    std::string huge = Bitmap(2, 24, BI_RGB, {}, "");
    huge[18] = 0, huge[19] = 0, huge[20] = 1;  // 65536 wide
    std::string cut = Bitmap(2, 8, BI_RGB, palette, "").substr(0, 40);
    std::string rleTopDown = Bitmap(-2, 8, BI_RLE8, palette, Bytes({4, 0, 0, 1}));
    std::string wrongDepth = Bitmap(2, 24, BI_RLE8, {}, Bytes({4, 0, 0, 1}));
    std::string shortTable = Bitmap(2, 8, BI_RGB, palette, "").substr(0, 58);
    for (const std::string &bad : {huge, cut, rleTopDown, wrongDepth, shortTable, std::string("not a picture at all")})
        EXPECT_FALSE(Load(bad, &top, &bottom));
}

}  // namespace
