#include "display/progress_bar.h"

// Per-window state, kept in a fixed global block whose handle sits in the
// window's extra long.
struct BarState {
    WORD range, position, orientation, bevel, gap;
    HFONT font;
    COLORREF bar, background;
};

static int s_registered;
static COLORREF s_defaultBar, s_defaultBackground;
static int s_3dAllowed;

static BarState *LockState(HWND window, HGLOBAL *block) {
    *block = (HGLOBAL)GetWindowLongPtrA(window, 0);
    return *block ? (BarState *)GlobalLock(*block) : 0;
}

static int Inset(HWND window, const BarState &s) {
    int inset = ((GetWindowLongA(window, GWL_STYLE) & PBS_3D) && s_3dAllowed) ? 2 * s.bevel + s.gap + 2 : 1;
    return inset + 1;
}

static void RepaintBar(HWND window, const BarState &s) {
    RECT r;
    GetClientRect(window, &r);
    int inset = Inset(window, s);
    InflateRect(&r, -inset, -inset);
    InvalidateRect(window, &r, FALSE);
    UpdateWindow(window);
}

static void FillStrip(HDC dc, int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, 0, 0, 0);
}

// Four trapezoids, each edge as thick as the bevel.
static void DrawBevel(HDC dc, const RECT &r, int width, int raised) {
    if (width == 0 || !RectVisible(dc, &r)) return;
    HGDIOBJ light = GetStockObject(raised ? WHITE_BRUSH : GRAY_BRUSH);
    HGDIOBJ dark = GetStockObject(raised ? GRAY_BRUSH : WHITE_BRUSH);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, light);
    int l = r.left, t = r.top, ri = r.right, b = r.bottom, w = width;
    POINT top[4] = {{l, t}, {ri, t}, {ri - w, t + w}, {l + w, t + w}};
    POINT left[4] = {{l, t}, {l + w, t + w}, {l + w, b - w}, {l, b}};
    POINT right[4] = {{ri, t}, {ri, b}, {ri - w, b - w}, {ri - w, t + w}};
    POINT bottom[4] = {{l, b}, {l + w, b - w}, {ri - w, b - w}, {ri, b}};
    Polygon(dc, top, 4);
    Polygon(dc, left, 4);
    SelectObject(dc, dark);
    Polygon(dc, right, 4);
    Polygon(dc, bottom, 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

static void PaintBar(HWND window, HDC dc, const BarState &s) {
    SetTextColor(dc, s.bar);
    SetBkColor(dc, s.background);
    RECT r;
    GetClientRect(window, &r);
    FrameRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    InflateRect(&r, -1, -1);
    int offset = 1;
    if ((GetWindowLongA(window, GWL_STYLE) & PBS_3D) && s_3dAllowed) {
        DrawBevel(dc, r, s.bevel, 1);
        InflateRect(&r, -s.bevel, -s.bevel);
        COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        int g = s.gap;
        FillStrip(dc, r.left, r.top, r.right, r.top + g);
        FillStrip(dc, r.left, r.bottom - g, r.right, r.bottom);
        FillStrip(dc, r.left, r.top + g, r.left + g, r.bottom - g);
        FillStrip(dc, r.right - g, r.top + g, r.right, r.bottom - g);
        SetBkColor(dc, oldBack);
        InflateRect(&r, -g, -g);
        DrawBevel(dc, r, s.bevel, 0);
        InflateRect(&r, -s.bevel, -s.bevel);
        FrameRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
        InflateRect(&r, -1, -1);
        offset = 1 + 2 * s.bevel + s.gap;
    }
    unsigned total = s.range ? s.range : 1;
    unsigned done = s.position < total ? s.position : total;
    int W = r.right - r.left, H = r.bottom - r.top;
    if (W < 0) W = 0;
    if (H < 0) H = 0;
    int dx = (int)(done * (unsigned)W / total), dy = (int)(done * (unsigned)H / total);
    RECT doneRect = r, rest = r;
    switch (s.orientation) {
    case 1: doneRect.left = r.right - dx; rest.right = doneRect.left; break;
    case 2: doneRect.top = r.bottom - dy; rest.bottom = doneRect.top; break;
    case 3: doneRect.bottom = r.top + dy; rest.top = doneRect.bottom; break;
    default: doneRect.right = r.left + dx; rest.left = doneRect.right; break;
    }
    char text[16];
    int length = wsprintfA(text, "%3d%%", (int)(done * 100 / total));
    HGDIOBJ oldFont = SelectObject(dc, s.font ? (HGDIOBJ)s.font : GetStockObject(SYSTEM_FONT));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    int x = offset + (W - size.cx) / 2, y = offset + (H - size.cy) / 2;
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &rest, text, length, 0);
    SetBkColor(dc, s.bar);
    SetTextColor(dc, s.background);
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &doneRect, text, length, 0);
    SelectObject(dc, oldFont);
}

static LRESULT CALLBACK ProgressBarWndProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CREATE) {
        HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 22 > sizeof(BarState) ? 22 : sizeof(BarState));
        SetWindowLongPtrA(window, 0, (LONG_PTR)block);
        if (block) {
            BarState *s = (BarState *)GlobalLock(block);
            s->range = 100;
            s->bevel = 2;
            s->gap = 2;
            s->bar = s_defaultBar;
            s->background = s_defaultBackground;
            GlobalUnlock(block);
            SendMessageA(window, WM_SETFONT, 0, 0);
        }
        return DefWindowProcA(window, message, w, l);
    }
    HGLOBAL block;
    BarState *s = LockState(window, &block);
    if (!s) {
        // Without a state block the bar paints nothing and answers 0.
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        if (message >= WM_USER && message <= PBM_STEP16) return 0;
        if (message == WM_SETFONT || message == WM_GETFONT) return 0;
        return DefWindowProcA(window, message, w, l);
    }
    LRESULT result = 0;
    switch (message) {
    case WM_DESTROY:
        GlobalUnlock(block);
        GlobalFree(block);
        SetWindowLongPtrA(window, 0, 0);
        return DefWindowProcA(window, message, w, l);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PaintBar(window, dc, *s);
        EndPaint(window, &paint);
        break;
    }
    case WM_SETFONT:
        s->font = w ? (HFONT)w : (HFONT)GetStockObject(SYSTEM_FONT);
        if (l) {
            InvalidateRect(window, 0, TRUE);
            UpdateWindow(window);
        }
        break;
    case WM_GETFONT: result = (LRESULT)(s->font ? s->font : (HFONT)GetStockObject(SYSTEM_FONT)); break;
    case PBM_SETRANGE16: s->range = (WORD)w; RepaintBar(window, *s); break;
    case PBM_GETRANGE16: result = s->range; break;
    case PBM_SETPOS16: s->position = (WORD)w; RepaintBar(window, *s); break;
    case PBM_GETPOS16: result = s->position; break;
    case PBM_SETORIENT: s->orientation = (WORD)w; RepaintBar(window, *s); break;
    case PBM_GETORIENT: result = s->orientation; break;
    case PBM_SETBARCOLOUR: s->bar = (COLORREF)l; break;
    case PBM_GETBACKCOLOUR: result = s->background; break;
    case PBM_SETBACKCOLOUR: s->background = (COLORREF)l; break;
    case PBM_GETBARCOLOUR: result = s->bar; break;
    case PBM_SETBEVEL: s->bevel = (WORD)w; InvalidateRect(window, 0, FALSE); UpdateWindow(window); break;
    case PBM_GETBEVEL: result = s->bevel; break;
    case PBM_SETGAP: s->gap = (WORD)w; InvalidateRect(window, 0, FALSE); UpdateWindow(window); break;
    case PBM_GETGAP: result = s->gap; break;
    case PBM_STEP16: s->position = (WORD)(s->position + (WORD)w); RepaintBar(window, *s); break;
    default:
        GlobalUnlock(block);
        return DefWindowProcA(window, message, w, l);
    }
    GlobalUnlock(block);
    return result;
}

int RegisterProgressBarClass(HINSTANCE instance) {
    if (s_registered) return 1;
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ProgressBarWndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = PBAR_CLASS;
    if (!RegisterClassA(&wc)) return 0;
    HDC info = CreateICA("DISPLAY", 0, 0, 0);
    if (!info) {
        UnregisterClassA(PBAR_CLASS, instance);
        return 0;
    }
    int mono = GetDeviceCaps(info, BITSPIXEL) == 1 && GetDeviceCaps(info, PLANES) == 1;
    s_defaultBar = mono ? RGB(255, 255, 255) : RGB(0, 0, 192);
    s_defaultBackground = mono ? RGB(0, 0, 0) : RGB(255, 255, 255);
    s_3dAllowed = !mono && GetDeviceCaps(info, NUMCOLORS) >= 8;
    DeleteDC(info);
    s_registered = 1;
    return 1;
}
