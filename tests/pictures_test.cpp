// The bitmap-file loader against every form a product may carry (1 to 32
// bits, RLE8, RLE4, bit fields, top-down rows) and against damaged files,
// whose reads stay inside the file.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "display/pictures.h"
#include "driver.h"

namespace {

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

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s += (char)v;
    return s;
}

std::string Repeat(const std::string &unit, int n) {
    std::string s;
    while (n--) s += unit;
    return s;
}

const DWORD kBlue = 0x0000FF, kRed = 0xFF0000;  // RGBQUAD order in a DWORD

// Loads the file and reads back its top-left and bottom-right pixels;
// false when the loader gave no bitmap.
bool Load(const std::string &bytes, COLORREF *topLeft, COLORREF *bottomRight) {
    std::string path = driver::MakeTempFolder("pic") + "\\p.bmp";
    driver::WriteFileBytes(path, bytes);
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

}  // namespace

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
