// The screen as a PNG file, its image data and chunk sums through zlib.
#include "screenshot.h"
#include "driver.h"
#include <windows.h>
#include <zlib.h>
#include <vector>

namespace driver {
namespace {

void PutBig32(std::vector<unsigned char> &out, unsigned value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(value >> shift));
}

void PutChunk(std::vector<unsigned char> &out, const char *type, const std::vector<unsigned char> &data) {
    PutBig32(out, (unsigned)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, (unsigned)crc32(0, &out[start], (uInt)(out.size() - start)));
}

}  // namespace

std::vector<DWORD> CapturePixels(HWND window, int left, int top, int width, int height) {
    std::vector<DWORD> pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = 0;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
        GdiFlush();
        pixels.assign((const DWORD *)bits, (const DWORD *)bits + (size_t)width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

bool SaveScreenshot(const std::string &path) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<DWORD> pixels = CapturePixels(0, 0, 0, width, height);
    if (pixels.empty()) return false;
    std::vector<unsigned char> raw;
    raw.reserve((size_t)(width * 3 + 1) * height);
    for (int i = 0; i < width * height; i++) {
        if (i % width == 0) raw.push_back(0);  // a row without filter
        for (int shift = 16; shift >= 0; shift -= 8) raw.push_back((unsigned char)(pixels[i] >> shift));
    }
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBig32(header, (unsigned)width);
    PutBig32(header, (unsigned)height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(png, "IHDR", header);
    uLongf packedSize = compressBound((uLong)raw.size());
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), (uLong)raw.size(), 1) != Z_OK) return false;
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return WriteFileBytes(path, std::string(png.begin(), png.end()));
}

bool SaveShot(const std::string &name) {
    std::string folder = ProgramFolder() + "\\screenshots";
    CreateDirectoryA(folder.c_str(), 0);
    return SaveScreenshot(folder + "\\" + name + ".png");
}

}  // namespace driver
