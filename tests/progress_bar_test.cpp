// The "PBar" progress bar and the background window's gradient, painted by
// the real window procedures on the test display and read back pixel by
// pixel from the windows' device contexts.
#include <gtest/gtest.h>
#include <vector>
#include "display/background.h"
#include "display/progress_bar.h"
#include "payload/extract.h"
#include "script/settings.h"
#include "startup/globals.h"
#include "screenshot.h"

namespace {

const COLORREF kBar = RGB(200, 0, 0);
const COLORREF kBack = RGB(0, 160, 0);

// The pixels of a window's client area (or a part of it) as COLORREFs.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> data;
    COLORREF at(int x, int y) const { return data[y * width + x]; }
};

// A top-down 32-bit bitmap whose pixels the test reads.
HBITMAP Dib(HDC dc, int width, int height, void **bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, 0, 0);
}

Pixels Capture(HWND window, int left = 0, int top = 0, int width = 0, int height = 0) {
    RECT client;
    GetClientRect(window, &client);
    Pixels p;
    p.width = width ? width : client.right - left;
    p.height = height ? height : client.bottom - top;
    for (DWORD v : driver::CapturePixels(window, left, top, p.width, p.height))
        p.data.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
    return p;
}

void Repaint(HWND window) {
    InvalidateRect(window, 0, TRUE);
    UpdateWindow(window);
}

// Where the percentage text's ink lies, drawn black on white into a
// separate bitmap with the given font at (x, y): 0 no ink, 2 full ink, 1 the
// blended edge of a smoothed glyph.
std::vector<char> TextInk(const char *text, HFONT font, int width, int height, int x, int y) {
    void *bits = 0;
    HDC memory = CreateCompatibleDC(0);
    HBITMAP dib = Dib(memory, width, height, &bits);
    HGDIOBJ oldBitmap = SelectObject(memory, dib);
    HGDIOBJ oldFont = SelectObject(memory, font);
    RECT all = {0, 0, width, height};
    SetBkColor(memory, RGB(255, 255, 255));
    SetTextColor(memory, RGB(0, 0, 0));
    ExtTextOutA(memory, x, y, ETO_OPAQUE, &all, text, lstrlenA(text), 0);
    GdiFlush();
    std::vector<char> ink(width * height);
    for (int i = 0; i < width * height; i++) {
        DWORD v = ((const DWORD *)bits)[i] & 0xFFFFFF;
        ink[i] = v == 0 ? 2 : v != 0xFFFFFF;
    }
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(dib);
    DeleteDC(memory);
    return ink;
}

SIZE TextSize(const char *text, HFONT font) {
    HDC dc = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

class ProgressBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegisterProgressBarClass(GetModuleHandleA(0)), 1);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(0);
        wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        wc.lpszClassName = "PBarTestHost";
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, "PBarTestHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, 0, 0,
                                GetModuleHandleA(0), 0);
        ASSERT_TRUE(host_);
        UpdateWindow(host_);
    }
    void TearDown() override { DestroyWindow(host_); }

    // A bar as the wizard's dialogs create it.
    HWND Bar(int x, int y, int width, int height, DWORD style = 0) {
        HWND bar = CreateWindowExA(0, PBAR_CLASS, "", WS_CHILD | WS_VISIBLE | 7 | style, x, y, width, height, host_,
                                   0, GetModuleHandleA(0), 0);
        EXPECT_TRUE(bar);
        return bar;
    }
    HWND ColouredBar(int x, int y, int width, int height) {
        HWND bar = Bar(x, y, width, height);
        SendMessageA(bar, PBM_SETBARCOLOUR, 0, kBar);
        SendMessageA(bar, PBM_SETBACKCOLOUR, 0, kBack);
        Repaint(bar);
        return bar;
    }
    // Checks one row of a horizontal bar: white frame, done columns, rest.
    static void ExpectRow(const Pixels &p, int y, int done, COLORREF bar, COLORREF back, const char *what) {
        ASSERT_EQ(p.at(0, y), RGB(255, 255, 255)) << what;
        ASSERT_EQ(p.at(p.width - 1, y), RGB(255, 255, 255)) << what;
        for (int x = 1; x < p.width - 1; x++)
            ASSERT_EQ(p.at(x, y), x <= done ? bar : back) << what << ": column " << x << " of row " << y;
    }
    HWND host_ = 0;
};

// A new bar: range 100, horizontal, dark blue on white inside a white frame.
TEST_F(ProgressBarTest, MessagesKeepSixteenBitFieldsAndAnswerCrossedColours) {
    HWND bar = Bar(10, 10, 200, 24);
    SendMessageA(bar, PBM_SETPOS16, 42, 0);
    Repaint(bar);
    Pixels p = Capture(bar);
    // 42 of the 198 inner columns: 83.16, cut to 83.
    for (int y = 1; y < 23; y += 21) ExpectRow(p, y, 83, RGB(0, 0, 192), RGB(255, 255, 255), "42%");
    for (int x = 0; x < 200; x++) {
        ASSERT_EQ(p.at(x, 0), RGB(255, 255, 255));
        ASSERT_EQ(p.at(x, 23), RGB(255, 255, 255));
    }
    EXPECT_EQ(SendMessageA(bar, PBM_GETBEVEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(bar, PBM_GETGAP, 0, 0), 2);
    EXPECT_EQ((HGDIOBJ)SendMessageA(bar, WM_GETFONT, 0, 0), GetStockObject(SYSTEM_FONT));

    // 1030 sets what 1033 answers, 1032 what 1031 answers.
    SendMessageA(bar, PBM_SETBARCOLOUR, 0, RGB(1, 2, 3));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBARCOLOUR, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBACKCOLOUR, 0, 0), RGB(255, 255, 255));
    SendMessageA(bar, PBM_SETBACKCOLOUR, 0, RGB(4, 5, 6));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBACKCOLOUR, 0, 0), RGB(4, 5, 6));
    EXPECT_EQ((COLORREF)SendMessageA(bar, PBM_GETBARCOLOUR, 0, 0), RGB(1, 2, 3));

    // Only the low 16 bits of wParam count; negative values wrap.
    SendMessageA(bar, PBM_SETRANGE16, 0x12345, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE16, 0, 0), 0x2345);
    SendMessageA(bar, PBM_SETRANGE16, (WPARAM)-5, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE16, 0, 0), 65531);
    SendMessageA(bar, PBM_SETPOS16, 0x10007, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS16, 0, 0), 7);
    SendMessageA(bar, PBM_SETORIENT, 3, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETORIENT, 0, 0), 3);
    SendMessageA(bar, PBM_SETBEVEL, 0x10004, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETBEVEL, 0, 0), 4);
    SendMessageA(bar, PBM_SETGAP, 9, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETGAP, 0, 0), 9);

    // Steps add in 16 bits: past the range, and round past 65535.
    SendMessageA(bar, PBM_SETPOS16, 95, 0);
    SendMessageA(bar, PBM_STEP16, 10, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS16, 0, 0), 105);
    SendMessageA(bar, PBM_SETPOS16, 65530, 0);
    SendMessageA(bar, PBM_STEP16, 10, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS16, 0, 0), 4);
    SendMessageA(bar, PBM_STEP16, (WPARAM)-6, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS16, 0, 0), 65534);

    HFONT font = CreateFontA(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SendMessageA(bar, WM_SETFONT, (WPARAM)font, 1);
    EXPECT_EQ((HFONT)SendMessageA(bar, WM_GETFONT, 0, 0), font);
    SendMessageA(bar, WM_SETFONT, 0, 0);
    EXPECT_EQ((HGDIOBJ)SendMessageA(bar, WM_GETFONT, 0, 0), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);

    // Other messages go to the default procedure.
    SetWindowTextA(bar, "title");
    char text[16] = "";
    GetWindowTextA(bar, text, sizeof text);
    EXPECT_STREQ(text, "title");
}

TEST_F(ProgressBarTest, SetPositionMovesTheSplitWithoutAFullRepaint) {
    HWND bar = ColouredBar(10, 10, 200, 24);
    struct Case {
        int position, done;
    } cases[] = {{0, 0}, {1, 1}, {50, 99}, {99, 196}, {100, 198}, {150, 198}, {3, 5}, {65535, 198}, {0, 0}};
    for (const Case &c : cases) {
        SendMessageA(bar, PBM_SETPOS16, c.position, 0);
        Pixels p = Capture(bar);
        char what[32];
        wsprintfA(what, "position %d", c.position);
        // The rows at the frame and the columns at both ends lie clear of
        // the text; they are repainted by the set-position message alone.
        ExpectRow(p, 1, c.done, kBar, kBack, what);
        ExpectRow(p, 22, c.done, kBar, kBack, what);
        for (int y = 1; y < 23; y++) {
            for (int x = 1; x <= 60; x++) ASSERT_EQ(p.at(x, y), x <= c.done ? kBar : kBack) << what;
            for (int x = 140; x < 199; x++) ASSERT_EQ(p.at(x, y), x <= c.done ? kBar : kBack) << what;
        }
    }
}

TEST_F(ProgressBarTest, RangeZeroCountsAsOneAndHugeRangesDoNotOverflow) {
    HWND bar = ColouredBar(10, 10, 200, 24);
    SendMessageA(bar, PBM_SETRANGE16, 0, 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE16, 0, 0), 0);
    ExpectRow(Capture(bar), 1, 0, kBar, kBack, "range 0, position 0");
    SendMessageA(bar, PBM_SETPOS16, 1, 0);
    ExpectRow(Capture(bar), 1, 198, kBar, kBack, "range 0, position 1");
    SendMessageA(bar, PBM_SETRANGE16, (WPARAM)-1, 0);  // 65535
    SendMessageA(bar, PBM_SETPOS16, 65534, 0);
    ExpectRow(Capture(bar), 1, 197, kBar, kBack, "65534 of 65535");
    SendMessageA(bar, PBM_SETPOS16, 330, 0);  // 330 × 198 / 65535 = 0.997
    ExpectRow(Capture(bar), 1, 0, kBar, kBack, "330 of 65535");
    SendMessageA(bar, PBM_SETPOS16, 331, 0);
    ExpectRow(Capture(bar), 1, 1, kBar, kBack, "331 of 65535");
}

TEST_F(ProgressBarTest, VeryWideBarSplitsWithoutThirtyTwoBitOverflow) {
    // 70000 pixels wide; only the part around the split is on the host.
    const int width = 70000, shown = 69300;
    HWND bar = ColouredBar(-shown, 10, width, 24);
    SendMessageA(bar, PBM_SETRANGE16, 65535, 0);
    SendMessageA(bar, PBM_SETPOS16, 65000, 0);
    RECT client;
    GetClientRect(bar, &client);
    ASSERT_EQ(client.right, width);
    // 65000 × 69998 / 65535 = 69426.9: the done part ends at column 69426.
    Pixels p = Capture(bar, shown, 0, 400, 24);
    for (int x = 0; x < 400; x++)
        ASSERT_EQ(p.at(x, 1), shown + x <= 69426 ? kBar : kBack) << "column " << shown + x;
}

TEST_F(ProgressBarTest, OrientationsFillFromTheirEdges) {
    HWND wide = ColouredBar(10, 10, 200, 24);
    SendMessageA(wide, PBM_SETORIENT, 1, 0);
    SendMessageA(wide, PBM_SETPOS16, 25, 0);  // 49 columns from the right
    Pixels p = Capture(wide);
    for (int x = 1; x < 199; x++) ASSERT_EQ(p.at(x, 1), x >= 199 - 49 ? kBar : kBack) << "column " << x;

    HWND tall = ColouredBar(300, 10, 40, 202);  // 200 inner rows
    SendMessageA(tall, PBM_SETORIENT, 2, 0);
    SendMessageA(tall, PBM_SETPOS16, 30, 0);
    p = Capture(tall);
    for (int y = 1; y < 201; y++) {
        ASSERT_EQ(p.at(1, y), y >= 201 - 60 ? kBar : kBack) << "bottom-up row " << y;
        ASSERT_EQ(p.at(38, y), y >= 201 - 60 ? kBar : kBack) << "bottom-up row " << y;
    }
    SendMessageA(tall, PBM_SETORIENT, 3, 0);
    p = Capture(tall);
    for (int y = 1; y < 201; y++) ASSERT_EQ(p.at(1, y), y <= 60 ? kBar : kBack) << "top-down row " << y;
}

// In the system font, and in a font of the bar's own (WM_SETFONT).
TEST_F(ProgressBarTest, PercentageIsCentredAndInvertedOverTheDonePart) {
    HFONT arial = CreateFontA(-22, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    struct Case {
        int width, height, position;
        const char *text;
        int done;
        HFONT font;
    } cases[] = {{200, 24, 0, "  0%", 0, 0},     {200, 24, 42, " 42%", 83, 0},   {200, 24, 50, " 50%", 99, 0},
                 {200, 24, 100, "100%", 198, 0}, {200, 24, 120, "100%", 198, 0}, {300, 40, 100, "100%", 298, arial}};
    for (const Case &c : cases) {
        const int width = c.width, height = c.height;
        HWND bar = ColouredBar(10, 10, width, height);
        HFONT font = c.font ? c.font : (HFONT)GetStockObject(SYSTEM_FONT);
        if (c.font) SendMessageA(bar, WM_SETFONT, (WPARAM)c.font, 1);
        SendMessageA(bar, PBM_SETPOS16, c.position, 0);
        Pixels p = Capture(bar);
        SIZE size = TextSize(c.text, font);
        int x = 1 + (width - 2 - size.cx) / 2, y = 1 + (height - 2 - size.cy) / 2;
        std::vector<char> ink = TextInk(c.text, font, width, height, x, y);
        int inkCount = 0, left = width, right = -1, top = height, bottom = -1;
        for (int py = 1; py < height - 1; py++)
            for (int px = 1; px < width - 1; px++) {
                int isInk = ink[py * width + px];
                COLORREF fill = px <= c.done ? kBar : kBack, other = px <= c.done ? kBack : kBar;
                if (isInk == 0) ASSERT_EQ(p.at(px, py), fill) << c.text << " at " << px << "," << py;
                if (isInk == 2) ASSERT_EQ(p.at(px, py), other) << c.text << " at " << px << "," << py;
                if (isInk == 1) ASSERT_NE(p.at(px, py), fill) << c.text << " at " << px << "," << py;
                if (p.at(px, py) == other) {
                    inkCount++;
                    if (px < left) left = px;
                    if (px > right) right = px;
                    if (py < top) top = py;
                    if (py > bottom) bottom = py;
                }
            }
        EXPECT_GT(inkCount, 10) << c.text;
        if (c.text[0] != ' ') {
            // No leading blanks: the ink itself sits in the middle.
            int margin = (left - 1) - (width - 2 - (right)), vertical = (top - 1) - (height - 2 - bottom);
            EXPECT_LE(margin < 0 ? -margin : margin, 3) << c.text << " " << left << ".." << right;
            EXPECT_LE(vertical < 0 ? -vertical : vertical, 4) << c.text << " " << top << ".." << bottom;
        }
        DestroyWindow(bar);
    }
    DeleteObject(arial);
}

TEST_F(ProgressBarTest, ThreeDStyleIsFlatOnDisplaysWithMoreThanEightBitsPerPixel) {
    HDC info = CreateICA("DISPLAY", 0, 0, 0);
    int colours = GetDeviceCaps(info, NUMCOLORS);
    DeleteDC(info);
    if (colours >= 8) GTEST_SKIP() << "display with a colour table";
    HWND bar = Bar(10, 10, 200, 24, PBS_3D);
    SendMessageA(bar, PBM_SETBARCOLOUR, 0, kBar);
    SendMessageA(bar, PBM_SETBACKCOLOUR, 0, kBack);
    SendMessageA(bar, PBM_SETBEVEL, 7, 0);
    SendMessageA(bar, PBM_SETPOS16, 50, 0);
    ExpectRow(Capture(bar), 1, 99, kBar, kBack, "3-D style bit");
}

// The background window: maximised, blue bands darkening downwards.
TEST(BackgroundWindow, GradientRunsFromPureBlueDownInBands) {
    // No script: every setting takes its default.
    lstrcpyA(g_scriptPath, "C:\\no such folder\\_SFX.DLG");
    g_picturePath[1][0] = 0;
    g_backgroundStyle = 0;
    HWND window = CreateBackgroundWindow(GetModuleHandleA(0), 1);
    ASSERT_TRUE(window);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_GT(client.bottom, 300);  // maximised
    Pixels p;
    // Fixed client heights with their bands worked out by hand: 60 rows of
    // 1 pixel falling by 3 to blue 78; 700 rows in 175 bands of 4 falling
    // by 1 to blue 81.
    ShowWindow(window, SW_RESTORE);
    struct Height {
        int height, lastBlue, firstBandEnd, secondBlue;
    } heights[] = {{60, 78, 1, 252}, {700, 81, 4, 254}};
    for (const Height &c : heights) {
        RECT frame = {0, 0, 300, c.height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(window, 0, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
        GetClientRect(window, &client);
        ASSERT_EQ(client.bottom, c.height);
        Repaint(window);
        p = Capture(window);
        EXPECT_EQ(p.at(10, 0), RGB(0, 0, 255)) << c.height;
        EXPECT_EQ(p.at(10, c.firstBandEnd - 1), RGB(0, 0, 255)) << c.height;
        EXPECT_EQ(p.at(10, c.firstBandEnd), RGB(0, 0, c.secondBlue)) << c.height;
        EXPECT_EQ(p.at(10, c.height - 1), RGB(0, 0, c.lastBlue)) << c.height;
        if (c.height == 700) {
            EXPECT_EQ(p.at(10, 695), RGB(0, 0, 82));
            EXPECT_EQ(p.at(10, 696), RGB(0, 0, 81));
        }
    }
    // A solid backdrop instead.
    g_backgroundStyle = 1;
    g_backgroundColour = RGB(255, 0, 0);
    Repaint(window);
    p = Capture(window);
    EXPECT_EQ(p.at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(p.at(299, 699), RGB(255, 0, 0));
    g_backgroundStyle = 0;
    DestroyWindow(window);
}

}  // namespace
