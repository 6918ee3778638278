#include "install/billboards.h"
#include "display/pictures.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

char g_billboardPath[256];
static int s_billboards;

void GetBitmapSize(HBITMAP bitmap, SIZE *size) {
    BITMAP info;
    info.bmWidth = info.bmHeight = 0;
    if (bitmap) GetObjectA(bitmap, sizeof info, &info);
    size->cx = info.bmWidth;
    size->cy = info.bmHeight;
}

static int BillboardInt(int n, const char *field, int defaultValue) {
    return ReadListFieldInt("BIL", n, field, defaultValue);
}

void ShowBillboard(int slot) {
    if (slot < 0 || slot >= PICTURE_SLOTS) return;
    DeleteFileA(g_billboardPath);
    int options = g_hiddenMode ? 48 : 32;
    char temp[LONG_TEXT];
    if (!GetTempPathA(sizeof temp, temp)) temp[0] = 0;
    if (g_support.KWP_UNPACK)
        g_lastUnpackResult = g_support.KWP_UNPACK(EntryName(), EntryFolderText(), g_ownPath, temp, options);
    // The library writes temp\name; a name that does not fit the path is
    // not loaded from some other file.
    CopyText(g_billboardPath, temp, sizeof g_billboardPath);
    AddBackslash(g_billboardPath, sizeof g_billboardPath);
    AppendText(g_billboardPath, EntryName(), sizeof g_billboardPath);
    g_currentPictureSlot = slot;
    if (g_hiddenMode || !g_ownerWindow || TextLength(temp) + 1 + TextLength(EntryName()) >= (int)sizeof g_billboardPath) {
        g_billboardPath[0] = 0;
        return;
    }
    HWND window = g_ownerWindow;
    PictureSlot &shown = g_pictures[slot];
    const PictureSlot &back = g_pictures[BACKGROUND_SLOT];
    if (shown.bitmap) {
        FreePictureSlot(slot);
        InvalidateRgn(window, 0, !(back.keep && back.tile));
    } else {
        InvalidateRgn(window, 0, FALSE);
    }
    if (back.bitmap && !back.keep) {
        FreePictureSlot(BACKGROUND_SLOT);
        g_pictures[BACKGROUND_SLOT].tile = 0;
        InvalidateRgn(window, 0, TRUE);
    }
    shown.bitmap = LoadPicture(window, g_billboardPath, &shown.palette, 0);
    int n = ++s_billboards;
    shown.tile = BillboardInt(n, "TB", 0);
    shown.transparent = BillboardInt(n, "T", 0);
    shown.transparentColour = (COLORREF)BillboardInt(n, "TC", 0);
    int code = BillboardInt(n, "Pos", 0);
    int x, y;
    if (code < 2 || code > 7) {
        // Codes above 7 have no place of their own: like 0 and 1.
        x = BillboardInt(n, "X", 2);
        y = BillboardInt(n, "Y", 2);
    } else {
        SIZE size;
        GetBitmapSize(shown.bitmap, &size);
        int cx = GetSystemMetrics(SM_CXFULLSCREEN), cy = GetSystemMetrics(SM_CYFULLSCREEN);
        int column = (code - 2) % 3;  // left, right, centre
        x = column == 0 ? 10 : column == 1 ? cx - size.cx - 10 : (cx - size.cx) / 2;
        y = code <= 4 ? 10 : cy - size.cy - 10;
    }
    shown.x = x;
    shown.y = y;
}

void ShowBillboardEntry(HWND page) { ShowBillboard(BILLBOARD_SLOT); }
