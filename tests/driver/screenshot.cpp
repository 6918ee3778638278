// PNG writing without a compression library: the image data goes into stored
// deflate blocks, which every PNG reader accepts.
#include "screenshot.h"
#include <windows.h>
#include <vector>

namespace driver {
namespace {

unsigned Crc32(const unsigned char *data, size_t size, unsigned crc = 0) {
    static unsigned table[256];
    if (!table[1])
        for (unsigned n = 0; n < 256; n++) {
            unsigned c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    crc = ~crc;
    for (size_t i = 0; i < size; i++) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::vector<unsigned char> &out, unsigned value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(value >> shift));
}

void PutChunk(std::vector<unsigned char> &out, const char *type, const std::vector<unsigned char> &data) {
    PutBig32(out, (unsigned)data.size());
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(&out[start], out.size() - start));
}

std::vector<unsigned char> StoredZlib(const std::vector<unsigned char> &raw) {
    std::vector<unsigned char> out = {0x78, 0x01};
    size_t at = 0;
    do {
        size_t size = raw.size() - at < 65535 ? raw.size() - at : 65535;
        out.push_back(at + size == raw.size() ? 1 : 0);
        out.push_back((unsigned char)size);
        out.push_back((unsigned char)(size >> 8));
        out.push_back((unsigned char)~size);
        out.push_back((unsigned char)(~size >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + size);
        at += size;
    } while (at < raw.size());
    unsigned a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

}  // namespace

bool SaveScreenshot(const std::string &path) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = 0;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, 0, 0);
    if (!bitmap) {
        DeleteDC(memory);
        ReleaseDC(0, screen);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> raw;
    raw.reserve((size_t)(width * 3 + 1) * height);
    for (int y = 0; y < height; y++) {
        const unsigned char *row = (const unsigned char *)bits + (size_t)y * stride;
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; x++) {
            raw.push_back(row[x * 3 + 2]);
            raw.push_back(row[x * 3 + 1]);
            raw.push_back(row[x * 3]);
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutBig32(header, (unsigned)width);
    PutBig32(header, (unsigned)height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(file, png.data(), (DWORD)png.size(), &put, 0);
    CloseHandle(file);
    return ok && put == png.size();
}

}  // namespace driver
