#include "display/pictures.h"

PictureSlot g_pictures[PICTURE_SLOTS];
int g_currentPictureSlot = BACKGROUND_SLOT;

// Bytes of pixel data an uncompressed bitmap of this header needs.
static DWORD PixelBytes(const BITMAPINFOHEADER &info) {
    LONG height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    DWORD stride = (((DWORD)info.biWidth * info.biBitCount + 31) / 32) * 4;
    return stride * (DWORD)height;
}

// A header this loader can hand to CreateDIBitmap without the bitmap
// reading past the pixel block: uncompressed, sane size and depth.
static int UsableHeader(const BITMAPINFOHEADER &info) {
    if (info.biSize < sizeof(BITMAPINFOHEADER) || info.biPlanes != 1) return 0;
    if (info.biCompression != BI_RGB) return 0;
    if (info.biWidth <= 0 || info.biWidth > 8192) return 0;
    if (info.biHeight == 0 || info.biHeight > 8192 || info.biHeight < -8192) return 0;
    switch (info.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return 1;
    }
    return 0;
}

HBITMAP LoadPicture(HWND window, const char *path, HPALETTE *palette, BITMAPINFOHEADER *header) {
    *palette = 0;
    HFILE file = _lopen(path, OF_READWRITE);
    if (file == HFILE_ERROR) file = _lopen(path, OF_READ);  // read-only media
    if (file == HFILE_ERROR) return 0;
    BITMAPFILEHEADER fileHeader;
    BITMAPINFOHEADER info;
    if (_lread(file, &fileHeader, sizeof fileHeader) != sizeof fileHeader ||
        _lread(file, &info, sizeof info) != sizeof info || fileHeader.bfType != 0x4D42 || !UsableHeader(info)) {
        _lclose(file);
        return 0;
    }
    // Later header versions carry more fields; the colour table follows them.
    if (info.biSize > sizeof info) _llseek(file, sizeof fileHeader + info.biSize, FILE_BEGIN);
    info.biSize = sizeof info;
    if (header) *header = info;

    DWORD colours = info.biClrUsed;
    if (info.biBitCount > 8) colours = 0;
    else if (colours == 0 || colours > (1u << info.biBitCount)) colours = 1u << info.biBitCount;

    HBITMAP bitmap = 0;
    HGLOBAL infoBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof info + 4 * colours);
    HGLOBAL paletteBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(LOGPALETTE) + 4 * 256);
    // The pixel block is as large as the picture needs even when the file
    // says less, so a short file cannot make the bitmap read past it.
    DWORD pixelSize = PixelBytes(info);
    HGLOBAL pixelBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, pixelSize);
    BITMAPINFO *bits = infoBlock ? (BITMAPINFO *)GlobalLock(infoBlock) : 0;
    LOGPALETTE *logical = paletteBlock ? (LOGPALETTE *)GlobalLock(paletteBlock) : 0;
    BYTE *pixels = pixelBlock ? (BYTE *)GlobalLock(pixelBlock) : 0;
    if (bits && logical && pixels) {
        bits->bmiHeader = info;
        bits->bmiHeader.biClrUsed = colours;
        int ok = 1;
        for (DWORD i = 0; i < colours && ok; i++)
            ok = _lread(file, &bits->bmiColors[i], 4) == 4;
        logical->palVersion = 0x300;
        logical->palNumEntries = (WORD)colours;
        for (DWORD i = 0; i < colours; i++) {
            logical->palPalEntry[i].peRed = bits->bmiColors[i].rgbRed;
            logical->palPalEntry[i].peGreen = bits->bmiColors[i].rgbGreen;
            logical->palPalEntry[i].peBlue = bits->bmiColors[i].rgbBlue;
            logical->palPalEntry[i].peFlags = 0;
        }
        *palette = CreatePalette(logical);
        _llseek(file, fileHeader.bfOffBits, FILE_BEGIN);
        UINT got = _lread(file, pixels, pixelSize);
        if (ok && got != (UINT)HFILE_ERROR && got > 0) {
            HDC dc = GetDC(window);
            HPALETTE old = *palette ? SelectPalette(dc, *palette, FALSE) : 0;
            if (*palette) RealizePalette(dc);
            bitmap = CreateDIBitmap(dc, &bits->bmiHeader, CBM_INIT, pixels, bits, DIB_RGB_COLORS);
            if (old) SelectPalette(dc, old, FALSE);
            ReleaseDC(window, dc);
        }
    }
    if (pixels) GlobalUnlock(pixelBlock);
    if (logical) GlobalUnlock(paletteBlock);
    if (bits) GlobalUnlock(infoBlock);
    if (pixelBlock) GlobalFree(pixelBlock);
    if (paletteBlock) GlobalFree(paletteBlock);
    if (infoBlock) GlobalFree(infoBlock);
    _lclose(file);
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
