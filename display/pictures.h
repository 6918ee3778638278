// The picture table shared by the wizard pages, the background window and
// the billboards, with the bitmap-file loader and the two painters.
#pragma once
#include <windows.h>

struct PictureSlot {
    HBITMAP bitmap;  // 0: empty slot
    HPALETTE palette;
    int x, y;         // painted as 16-bit signed values
    int transparent;  // non-zero: pixels of transparentColour are left out
    COLORREF transparentColour;
    int tile;  // non-zero: repeated over the painted area from the origin
    int keep;  // non-zero: stays when the first billboard appears
};

#define PICTURE_SLOTS 94
#define PAGE_PICTURE_SLOTS 43   // slot n belongs to wizard page n
#define BILLBOARD_SLOT 43
#define BACKGROUND_SLOT 92
#define BACKGROUND_SLOT2 93
extern PictureSlot g_pictures[PICTURE_SLOTS];
extern int g_currentPictureSlot;  // drawn last by the background window

// Reads a Windows bitmap file into a device-dependent bitmap made with the
// file's palette. Returns 0 (and *palette 0) when the file is missing,
// short or not a picture this loader understands. header may be 0.
HBITMAP LoadPicture(HWND window, const char *path, HPALETTE *palette, BITMAPINFOHEADER *header);
// Deletes the palette, then the bitmap (either may be 0).
void FreePicture(HBITMAP bitmap, HPALETTE palette);
// Loads a picture into a slot, freeing what the slot held.
void LoadPictureSlot(HWND window, int slot, const char *path);
void FreePictureSlot(int slot);
// The picture of wizard page `index`: slots from PAGE_PICTURE_SLOTS up
// belong to the billboards and the background, so a page with a higher
// index shows no picture instead of taking one of theirs.
void LoadPagePicture(HWND page, int index, const char *path);
void FreePagePicture(int index);

// Opaque painter. exactSize 1: natural size; otherwise stretched by 52 x 72
// pixels on screens that are not at 96 pixels per inch.
void DrawPicture(HDC dc, int x, int y, const PictureSlot *slot, const PAINTSTRUCT *paint, int exactSize);
// Mask painter: leaves out every pixel of the colour; never stretches.
void DrawPictureTransparent(HDC dc, int x, int y, const PictureSlot *slot, COLORREF colour,
                            const PAINTSTRUCT *paint);
