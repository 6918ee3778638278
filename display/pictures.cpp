#include "display/pictures.h"

PictureSlot g_pictures[PICTURE_SLOTS];
int g_currentPictureSlot = BACKGROUND_SLOT;

#define MAX_PICTURE_FILE (32u << 20)
#define MAX_PIXEL_BYTES (64u << 20)

static DWORD ReadDword(const BYTE *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | ((DWORD)p[3] << 24); }

// Sane size, depth and a compression that fits the depth. RLE pictures are
// always stored bottom-up.
static int UsableHeader(const BITMAPINFOHEADER &info) {
    if (info.biSize < sizeof(BITMAPINFOHEADER) || info.biPlanes != 1) return 0;
    if (info.biWidth <= 0 || info.biWidth > 8192) return 0;
    if (info.biHeight == 0 || info.biHeight > 8192 || info.biHeight < -8192) return 0;
    int bits = info.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
    switch (info.biCompression) {
    case BI_RGB: return 1;
    case BI_RLE8: return bits == 8 && info.biHeight > 0;
    case BI_RLE4: return bits == 4 && info.biHeight > 0;
    case BI_BITFIELDS: return bits == 16 || bits == 32;
    }
    return 0;
}

static void PutPixel(BYTE *pixels, DWORD stride, int bits, int x, int y, BYTE index) {
    BYTE *row = pixels + stride * (DWORD)y;
    if (bits == 8) {
        row[x] = index;
    } else if (x & 1) {
        row[x / 2] = (BYTE)((row[x / 2] & 0xF0) | (index & 0x0F));
    } else {
        row[x / 2] = (BYTE)((row[x / 2] & 0x0F) | (index << 4));
    }
}

// Expands RLE8 or RLE4 data into rows of 8 or 4 bits. Every read stays
// inside [in, end) and every write inside the picture; a damaged stream
// leaves the rest of the picture at colour 0.
static void DecodeRle(const BYTE *in, const BYTE *end, BYTE *pixels, DWORD stride, int bits, int width,
                      int height) {
    int x = 0, y = 0;
    while (in + 1 < end && y < height) {
        int count = in[0], value = in[1];
        in += 2;
        if (count) {  // a run of count pixels
            for (int k = 0; k < count && x < width; k++, x++)
                PutPixel(pixels, stride, bits, x, y, (BYTE)(bits == 8 ? value : (k & 1) ? value & 0x0F : value >> 4));
        } else if (value == 0) {  // end of line
            x = 0;
            y++;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // delta
            if (in + 1 >= end) break;
            x += in[0];
            y += in[1];
            in += 2;
        } else {  // value literal pixels, padded to a word
            int bytes = bits == 8 ? value : (value + 1) / 2;
            if (in + bytes > end) break;
            for (int k = 0; k < value; k++, x++) {
                BYTE pixel = bits == 8 ? in[k] : (k & 1) ? in[k / 2] & 0x0F : in[k / 2] >> 4;
                if (x < width) PutPixel(pixels, stride, bits, x, y, pixel);
            }
            in += (bytes + 1) & ~1;
        }
    }
}

HBITMAP LoadPicture(HWND window, const char *path, HPALETTE *palette, BITMAPINFOHEADER *header) {
    *palette = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD size = GetFileSize(file, 0), got = 0;
    BYTE *data = 0;
    if (size != INVALID_FILE_SIZE && size >= 14 + sizeof(BITMAPINFOHEADER) && size <= MAX_PICTURE_FILE)
        data = (BYTE *)HeapAlloc(GetProcessHeap(), 0, size);
    if (data && (!ReadFile(file, data, size, &got, 0) || got != size)) {
        HeapFree(GetProcessHeap(), 0, data);
        data = 0;
    }
    CloseHandle(file);
    if (!data) return 0;
    const BYTE *end = data + size;

    BITMAPINFOHEADER info;
    BYTE *h = data + 14;
    info.biSize = ReadDword(h);
    info.biWidth = (LONG)ReadDword(h + 4);
    info.biHeight = (LONG)ReadDword(h + 8);
    info.biPlanes = (WORD)(h[12] | h[13] << 8);
    info.biBitCount = (WORD)(h[14] | h[15] << 8);
    info.biCompression = ReadDword(h + 16);
    info.biSizeImage = ReadDword(h + 20);
    info.biXPelsPerMeter = (LONG)ReadDword(h + 24);
    info.biYPelsPerMeter = (LONG)ReadDword(h + 28);
    info.biClrUsed = ReadDword(h + 32);
    info.biClrImportant = ReadDword(h + 36);
    HBITMAP bitmap = 0;
    DWORD stride = (((DWORD)info.biWidth * info.biBitCount + 31) / 32) * 4;
    DWORD rows = (DWORD)(info.biHeight < 0 ? -info.biHeight : info.biHeight);
    if (data[0] == 'B' && data[1] == 'M' && UsableHeader(info) && info.biSize <= size - 14 &&
        stride * rows <= MAX_PIXEL_BYTES) {
        // The colour table (or the three masks of a bit-field picture)
        // follows the header; later header versions hold the masks inside.
        const BYTE *table = h + info.biSize;
        DWORD colours = 0, masks = 0;
        if (info.biBitCount <= 8) {
            colours = info.biClrUsed;
            if (colours == 0 || colours > (1u << info.biBitCount)) colours = 1u << info.biBitCount;
        } else if (info.biCompression == BI_BITFIELDS) {
            masks = 3;
            if (info.biSize >= 52) table = h + 40;
        }
        DWORD entries = colours + masks;
        DWORD pixelOffset = ReadDword(data + 10);
        if (pixelOffset < 14 + info.biSize || pixelOffset > size) pixelOffset = (DWORD)(table - data) + 4 * entries;
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } bits;
        struct {
            WORD version, count;
            PALETTEENTRY entries[256];
        } logical;
        BYTE *pixels = (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, stride * rows);
        if (pixels && table + 4 * entries <= end && pixelOffset <= size) {
            bits.header = info;
            bits.header.biSize = sizeof(BITMAPINFOHEADER);
            bits.header.biClrUsed = colours;
            bits.header.biSizeImage = 0;
            logical.version = 0x300;
            logical.count = (WORD)colours;
            for (DWORD i = 0; i < entries; i++) {
                DWORD c = ReadDword(table + 4 * i);
                *(DWORD *)&bits.colours[i] = c;
                if (i < colours) {
                    logical.entries[i].peRed = bits.colours[i].rgbRed;
                    logical.entries[i].peGreen = bits.colours[i].rgbGreen;
                    logical.entries[i].peBlue = bits.colours[i].rgbBlue;
                    logical.entries[i].peFlags = 0;
                }
            }
            const BYTE *source = data + pixelOffset;
            DWORD available = size - pixelOffset;
            if (info.biCompression == BI_RLE8 || info.biCompression == BI_RLE4) {
                bits.header.biCompression = BI_RGB;
                DecodeRle(source, end, pixels, stride, info.biBitCount, info.biWidth, (int)rows);
            } else {
                // A short file leaves the missing rows at zero.
                DWORD n = available < stride * rows ? available : stride * rows;
                for (DWORD i = 0; i < n; i++) pixels[i] = source[i];
            }
            if (colours) *palette = CreatePalette((LOGPALETTE *)&logical);
            if (header) *header = bits.header;
            HDC dc = GetDC(window);
            HPALETTE old = *palette ? SelectPalette(dc, *palette, FALSE) : 0;
            if (*palette) RealizePalette(dc);
            bitmap = CreateDIBitmap(dc, &bits.header, CBM_INIT, pixels, (BITMAPINFO *)&bits, DIB_RGB_COLORS);
            if (old) SelectPalette(dc, old, FALSE);
            ReleaseDC(window, dc);
        }
        if (pixels) HeapFree(GetProcessHeap(), 0, pixels);
    }
    HeapFree(GetProcessHeap(), 0, data);
    if (!bitmap && *palette) {
        DeleteObject(*palette);
        *palette = 0;
    }
    return bitmap;
}

void FreePicture(HBITMAP bitmap, HPALETTE palette) {
    if (palette) DeleteObject(palette);
    if (bitmap) DeleteObject(bitmap);
}

void FreePictureSlot(int slot) {
    if (slot < 0 || slot >= PICTURE_SLOTS) return;
    FreePicture(g_pictures[slot].bitmap, g_pictures[slot].palette);
    g_pictures[slot].bitmap = 0;
    g_pictures[slot].palette = 0;
}

void LoadPictureSlot(HWND window, int slot, const char *path) {
    if (slot < 0 || slot >= PICTURE_SLOTS) return;
    FreePictureSlot(slot);
    g_pictures[slot].bitmap = LoadPicture(window, path, &g_pictures[slot].palette, 0);
}

void LoadPagePicture(HWND page, int index, const char *path) {
    if (index >= 0 && index < PAGE_PICTURE_SLOTS) LoadPictureSlot(page, index, path);
}

void FreePagePicture(int index) {
    if (index >= 0 && index < PAGE_PICTURE_SLOTS) FreePictureSlot(index);
}

static void BitmapSize(HBITMAP bitmap, int *w, int *h) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    *w = info.bmWidth;
    *h = info.bmHeight;
}

void DrawPicture(HDC dc, int x, int y, const PictureSlot *slot, const PAINTSTRUCT *paint, int exactSize) {
    if (!slot->bitmap) return;
    x = (short)x;
    y = (short)y;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, slot->bitmap);
    int w, h;
    BitmapSize(slot->bitmap, &w, &h);
    if (w > 0 && h > 0) {
        if (!slot->tile) {
            if (exactSize == 1 || GetDeviceCaps(dc, LOGPIXELSX) == 96)
                BitBlt(dc, x, y, w, h, memory, 0, 0, SRCCOPY);
            else
                StretchBlt(dc, x, y, w + 52, h + 72, memory, 0, 0, w, h, SRCCOPY);
        } else {
            for (int k = paint->rcPaint.left / w; k < (paint->rcPaint.right + w - 1) / w; k++)
                for (int r = paint->rcPaint.top / h; r < (paint->rcPaint.bottom + h - 1) / h; r++)
                    BitBlt(dc, k * w, r * h, w, h, memory, 0, 0, SRCCOPY);
        }
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

void DrawPictureTransparent(HDC dc, int x, int y, const PictureSlot *slot, COLORREF colour,
                            const PAINTSTRUCT *paint) {
    if (!slot->bitmap) return;
    x = (short)x;
    y = (short)y;
    int w, h;
    BitmapSize(slot->bitmap, &w, &h);
    if (w <= 0 || h <= 0) return;
    HDC source = CreateCompatibleDC(dc);
    HDC maskDc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateCompatibleBitmap(maskDc, w, h);  // monochrome
    HGDIOBJ oldSource = SelectObject(source, slot->bitmap);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    COLORREF oldBack = SetBkColor(source, colour);
    BitBlt(maskDc, 0, 0, w, h, source, 0, 0, SRCCOPY);
    SetBkColor(source, RGB(0, 0, 0));
    SetTextColor(source, RGB(255, 255, 255));
    BitBlt(source, 0, 0, w, h, maskDc, 0, 0, SRCAND);
    if (!slot->tile) {
        BitBlt(dc, x, y, w, h, maskDc, 0, 0, SRCAND);
        BitBlt(dc, x, y, w, h, source, 0, 0, SRCPAINT);
    } else {
        for (int k = paint->rcPaint.left / w; k < (paint->rcPaint.right + w - 1) / w; k++)
            for (int r = paint->rcPaint.top / h; r < (paint->rcPaint.bottom + h - 1) / h; r++) {
                BitBlt(dc, k * w, r * h, w, h, maskDc, 0, 0, SRCAND);
                BitBlt(dc, k * w, r * h, w, h, source, 0, 0, SRCPAINT);
            }
    }
    SetBkColor(source, colour);
    SetTextColor(source, RGB(0, 0, 0));
    BitBlt(source, 0, 0, w, h, maskDc, 0, 0, SRCPAINT);
    SelectObject(maskDc, oldMask);
    SelectObject(source, oldSource);
    SetBkColor(source, oldBack);
    DeleteObject(mask);
    DeleteDC(maskDc);
    DeleteDC(source);
}
