// The full-screen background window: gradient or solid backdrop, the
// pictures of the picture table, the title lines; it runs the wizard.
#include "display/background.h"
#include "display/pictures.h"
#include "payload/extract.h"
#include "script/settings.h"
#include "base/settings.h"

void GradientBands(int height, int *bandHeight, int *bands, int *step) {
    int b = height / 180 > 1 ? height / 180 : 1;
    while (height / b > 180) b++;
    int n = height / b;
    if (n < 1) n = 1;
    *bandHeight = b;
    *bands = n;
    *step = 180 / n;
}

static void PaintBackdrop(HWND window, HDC dc) {
    const PictureSlot &back = g_pictures[BACKGROUND_SLOT];
    if (!(back.tile == 0 || (back.tile == 1 && back.transparent == 1))) return;
    if (g_backgroundStyle) {
        HBRUSH brush = CreateSolidBrush((COLORREF)g_backgroundColour);
        HGDIOBJ old = SelectObject(dc, brush);
        PatBlt(dc, 0, 0, GetSystemMetrics(SM_CXSCREEN) + 1, GetSystemMetrics(SM_CYSCREEN) + 1, PATCOPY);
        SelectObject(dc, old);
        DeleteObject(brush);
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    int h = client.bottom - client.top;
    if (h <= 0) return;
    int b, bands, step;
    GradientBands(h, &b, &bands, &step);
    for (int i = 0, top = 0; top < h; i++) {
        int bottom = top + b < h ? top + b : h;
        RECT band = {client.left, top, client.right, bottom};
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255 - step * i));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
        top = bottom;
    }
}

static void PaintTitleLine(HDC dc, int screenHeight, const char *textKey, const char *faceKey, const char *sizeKey,
                           const char *shadowKey, const char *xKey, const char *yKey) {
    char text[100], face[40];
    ReadDlgText(textKey, text, sizeof text);
    ReadDlgText(faceKey, face, sizeof face);
    HFONT font = CreateFontA(MulDiv(ReadDlgInt(sizeKey, 80), screenHeight, 768), 0, 0, 0, 700, 1, 0, 0, 0, 0, 0,
                             0, 0x22, face);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    int x = ReadDlgInt(xKey, 40), y = ReadDlgInt(yKey, 35), length = lstrlenA(text);
    if (ReadDlgInt(shadowKey, 0)) {
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, x, y, text, length);
    }
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, x - 5, y - 5, text, length);
    SelectObject(dc, old);
    DeleteObject(font);
}

static void PaintTitles(HDC dc) {
    int H = GetSystemMetrics(SM_CYSCREEN);
    PaintTitleLine(dc, H, "T1", "TF1", "TS1", "TX11", "TX1", "TY1");
    PaintTitleLine(dc, H, "T3", "TF2", "TS2", "TX33", "TX3", "TY3");
    char text[100];
    ReadDlgText("T2", text, sizeof text);
    HFONT font = CreateFontA(MulDiv(24, H, 768), 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0x22, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    int x = ReadDlgInt("TX2", 37), length = lstrlenA(text);
    if (ReadDlgInt("TX22", 0)) {
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, x, H - 101, text, length);
    }
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, x - 2, H - 99, text, length);
    SelectObject(dc, old);
    DeleteObject(font);
}

static void PaintSlot(HDC dc, int slot, const PAINTSTRUCT &paint) {
    const PictureSlot &p = g_pictures[slot];
    if (!p.bitmap) return;
    if (p.transparent) DrawPictureTransparent(dc, p.x, p.y, &p, p.transparentColour, &paint);
    else DrawPicture(dc, p.x, p.y, &p, &paint, 0);
}

// The wizard frame's procedure, run when the start-up sends CMD_RUN_WIZARD.
static DLGPROC s_wizard;
static const char *s_wizardTemplate;

static LRESULT CALLBACK BackgroundWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackdrop(window, (HDC)wParam);
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (g_currentPictureSlot != BACKGROUND_SLOT) PaintSlot(dc, BACKGROUND_SLOT, paint);
        if (g_currentPictureSlot != BACKGROUND_SLOT2) PaintSlot(dc, BACKGROUND_SLOT2, paint);
        if (g_currentPictureSlot >= 0 && g_currentPictureSlot < PICTURE_SLOTS)
            PaintSlot(dc, g_currentPictureSlot, paint);
        PaintTitles(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_COMMAND:
        if (s_wizard) DialogBoxParamA(g_instance, s_wizardTemplate, window, s_wizard, 0);
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        FreePictureSlot(BACKGROUND_SLOT);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void DropBillboard() {
    if (!g_ownerWindow || g_hiddenMode) return;
    FreePictureSlot(BILLBOARD_SLOT);
    PictureSlot &back = g_pictures[BACKGROUND_SLOT];
    if (back.bitmap && !back.keep) {
        FreePictureSlot(BACKGROUND_SLOT);
        back.tile = 0;
    }
    g_currentPictureSlot = BACKGROUND_SLOT;
    InvalidateRgn(g_ownerWindow, 0, TRUE);
}

HWND CreateBackgroundWindow(HINSTANCE instance, int firstInstance, const char *frame, DLGPROC wizard) {
    s_wizardTemplate = frame;
    s_wizard = wizard;
    if (firstInstance) {
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = BackgroundWndProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "SETUP");
        wc.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
        wc.lpszClassName = BACKGROUND_CLASS;
        RegisterClassA(&wc);
    }
    // The background picture and where the script puts it.
    PictureSlot &back = g_pictures[BACKGROUND_SLOT];
    back.x = ReadDlgInt("IX", 2);
    back.y = ReadDlgInt("IY", 2);
    back.transparent = ReadDlgInt("IT", 0);
    back.transparentColour = (COLORREF)ReadDlgInt("ITC", 0);
    back.tile = ReadDlgInt("ITB", 0);
    back.keep = ReadDlgInt("IDF", 0);
    g_currentPictureSlot = BACKGROUND_SLOT;
    HWND window = CreateWindowExA(0, BACKGROUND_CLASS, g_windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, instance, 0);
    back.bitmap = LoadPicture(window, g_picturePath[1], &back.palette, 0);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}
