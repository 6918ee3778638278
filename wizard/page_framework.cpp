#include "wizard/page_framework.h"
#include <richedit.h>
#include "display/pictures.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "script/text_blocks.h"
#include "base/settings.h"
#include "base/text.h"

// The height is for small fonts (96 dots an inch, dialog base height 16);
// with larger system fonts the heading grows with the text below it.
HFONT CreateHeadingFont(HWND dialog, int item, int height, int width, int weight) {
    height = height * DialogBaseUnit(2) / 16;  // 16 with small fonts
    HFONT font = CreateFontA(height, width, 0, 0, weight, 0, 0, 0, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH, "Verdana");
    SendDlgItemMessageA(dialog, item, WM_SETFONT, (WPARAM)font, TRUE);
    return font;
}

void DeleteHeadingFont(HFONT font) {
    if (font) DeleteObject(font);
}

void ExpandText(char *text, int size, int mode) {
    if (!g_support.CONVERTMACRO || mode == 0) return;
    // The library expands in place without a size: give it a full buffer.
    char buffer[CONVERT_BUFFER_SIZE];
    CopyText(buffer, text, 255);
    g_support.CONVERTMACRO(buffer, mode);
    buffer[CONVERT_BUFFER_SIZE - 1] = 0;
    CopyText(text, buffer, size);
}

void SetItemTextFromKey(HWND dialog, const char *key, int item, int mode) {
    char text[CONVERT_BUFFER_SIZE];
    ReadDlgText(key, text, 255);
    ExpandText(text, sizeof text, mode);
    SetDlgItemTextA(dialog, item, text);
}

void SetTitleAndCentre(HWND window, const char *key) {
    if (key && key[0]) {
        char title[50];
        ReadDlgText(key, title, sizeof title);
        SetWindowTextA(window, title);
        CopyText(g_messageTitle, title, sizeof g_messageTitle);
    }
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
               TRUE);
}

int IsSmallFonts() {
    HDC dc = GetDC(0);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(0, dc);
    return dpi == 96;
}

int DialogBaseUnit(int which) {
    LONG units = GetDialogBaseUnits();
    return which == 1 ? LOWORD(units) : HIWORD(units);
}

HBRUSH HeaderColours(HDC dc, HWND control, UINT message, HWND dialog, int item) {
    if (control != GetDlgItem(dialog, item)) return 0;
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    // The brush paints the rest of the control in the same colour.
    return GetSysColorBrush(COLOR_WINDOW);
}

void PaintPage(HWND page, int x, int y, int banner, int index) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    int bX = DialogBaseUnit(1), bY = DialogBaseUnit(2);
    if (banner) {
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, white);
        Rectangle(dc, -1, -1, bY * 600 / 16, bX * 59 / 8);
        SelectObject(dc, old);
        DeleteObject(white);
    }
    int px, py;
    if (IsSmallFonts()) {
        px = bY * x / 16;
        py = bX * y / 8;
    } else if (x != 0) {
        px = bY * (x + 40) / 16;
        py = bX * (y + 2) / 8;
    } else {
        px = 0;
        py = bX * y / 8;
    }
    if (index >= 0 && index < PAGE_PICTURE_SLOTS) DrawPicture(dc, px, py, &g_pictures[index], &paint, banner);
    EndPaint(page, &paint);
}

static DWORD CALLBACK ReadRtfBytes(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG *got) {
    DWORD read = 0;
    ReadFile((HANDLE)cookie, buffer, (DWORD)wanted, &read, 0);
    *got = (LONG)read;
    return 0;
}

int StreamRtfFile(HWND dialog, int item, const char *path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    EDITSTREAM stream = {};
    stream.dwCookie = (DWORD_PTR)file;
    stream.pfnCallback = ReadRtfBytes;
    SendDlgItemMessageA(dialog, item, EM_STREAMIN, SF_RTF, (LPARAM)&stream);
    CloseHandle(file);
    return stream.dwError == 0;
}

void ShowPathInLabel(HWND dialog, int labelItem, const char *path) {
    char copy[260];
    CopyText(copy, path, sizeof copy);
    DlgDirListA(dialog, copy, 0, labelItem, 0);
}

static int s_focusItem;

void CycleEditFocus(HWND dialog, int firstItem, int lastItem) {
    if (s_focusItem == 0) s_focusItem = firstItem;
    if (s_focusItem < lastItem) s_focusItem++;
    else s_focusItem = firstItem;
    HWND item = GetDlgItem(dialog, s_focusItem);
    SetFocus(item);
    SendMessageA(item, EM_SETSEL, 0, 255);
}

void ResetEditFocusCycle() { s_focusItem = 0; }

void LoadBlockIntoRichEdit(HWND dialog, int item, const char *startMarker, const char *endMarker, int rich) {
    if (!rich) {
        ExtractTextBlock(startMarker, endMarker, dialog, item, 0, 0);
        return;
    }
    char path[127];
    path[0] = 0;
    g_blockOutputFile = CreateTempFile(path);
    if (g_blockOutputFile == HFILE_ERROR) {
        // The name was made (the file exists) but could not be opened.
        g_blockOutputFile = 0;
        if (path[0]) DeleteFileA(path);
        return;
    }
    HWND edit = GetDlgItem(dialog, item);
    SendMessageA(edit, EM_SETBKGNDCOLOR, 0, 0);
    CHARFORMATA format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE;
    format.yHeight = 32;
    format.crTextColor = RGB(255, 0, 0);
    CopyText(format.szFaceName, "Courier", sizeof format.szFaceName);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&format);
    SendMessageA(edit, EM_HIDESELECTION, TRUE, TRUE);
    // The scan closes the file, found or not, and clears the handle: 0
    // stands for "no output file" wherever the handle is read.
    ExtractTextBlock(startMarker, endMarker, 0, 0, 0, 0);
    StreamRtfFile(dialog, item, path);
    SetFocus(edit);
    SendMessageA(edit, EM_HIDESELECTION, FALSE, TRUE);
    SendMessageA(edit, EM_SETBKGNDCOLOR, 1, 0);
    DeleteFileA(path);
}

// Block names of an action page: "[STR tag]" / "[END tag]" (second = 0) or
// "[STR2 tag]" / "[END2 tag]".
void ActionBlockMarkers(int action, int second, char *start, char *end) {
    char tag[20];
    ReadListField("ACT", action, "sg", tag, sizeof tag);
    wsprintfA(start, second ? "[STR2 %s]" : "[STR %s]", tag);
    wsprintfA(end, second ? "[END2 %s]" : "[END %s]", tag);
}

void SetActionHeading(HWND page, int action, int item) {
    char heading[127];
    ReadListField("ACT", action, "p17", heading, sizeof heading);
    SetDlgItemTextA(page, item, heading);
}

void SetActionBlocks(HWND page, int action, int firstItem, int secondItem) {
    char start[40], end[40];
    for (int second = 0; second < 2; second++) {
        int item = second ? secondItem : firstItem;
        if (!item) continue;
        ActionBlockMarkers(action, second, start, end);
        ExtractTextBlock(start, end, page, item, 1, 0);
    }
}

int PageIndexOf(HWND page) { return (int)GetWindowLongPtrA(page, DWLP_USER); }

// The heading font belongs to its page window: a page built while another
// of the same procedure still exists must not share or delete its font.
static const char kFontProperty[] = "PageFont";

int StartPage(HWND page, LPARAM index, int headingItem, int weight, int picture) {
    SetWindowLongPtrA(page, DWLP_USER, (LONG_PTR)index);
    if (headingItem) SetPropA(page, kFontProperty, CreateHeadingFont(page, headingItem, 13, 0, weight));
    LoadPagePicture(page, (int)index, SetupPicturePath(picture));
    return (int)index;
}

int StartBannerPage(HWND page, LPARAM index, int headingItem, const char *headingKey, int subheadingItem,
                    const char *subheadingKey) {
    StartPage(page, index, headingItem, 600, 2);
    if (headingKey) SetItemTextFromKey(page, headingKey, headingItem, 2);
    if (subheadingKey) SetItemTextFromKey(page, subheadingKey, subheadingItem, 2);
    return (int)index;
}

int CommonPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, int banner, const int *redItems,
                      int redCount, INT_PTR *result) {
    switch (message) {
    case WM_PAINT:
        PaintPage(page, banner ? 437 : 0, banner ? 1 : 0, banner, PageIndexOf(page));
        *result = TRUE;
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (message == WM_CTLCOLORBTN && banner) return 0;
        for (int i = 0; i < redCount; i++) {
            HBRUSH brush = HeaderColours((HDC)wParam, (HWND)lParam, message, page, redItems[i]);
            if (brush) {
                *result = (INT_PTR)brush;
                return 1;
            }
        }
        *result = FALSE;
        return 1;
    case WM_DESTROY:
        DeleteHeadingFont((HFONT)RemovePropA(page, kFontProperty));
        FreePagePicture(PageIndexOf(page));
        *result = TRUE;
        return 1;
    }
    return 0;
}

void ReadExpandedKey(const char *key, char *text, int size, int mode) {
    char buffer[CONVERT_BUFFER_SIZE];
    ReadDlgText(key, buffer, 255);
    ExpandText(buffer, sizeof buffer, mode);
    CopyText(text, buffer, size);
}

const char *SetupPicturePath(int number) { return g_picturePath[number < 0 || number > 2 ? 0 : number]; }
