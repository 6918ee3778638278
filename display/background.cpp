#include "display/background.h"
#include "startup/globals.h"
#include "wizard/wizard.h"

static LRESULT CALLBACK BackgroundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == CMD_RUN_WIZARD) {
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_FRAME), window, WizardDialogProc, 0);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateBackgroundWindow(HINSTANCE instance, int firstInstance) {
    if (firstInstance) {
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = BackgroundWindowProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "SETUP");
        wc.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
        wc.lpszClassName = BACKGROUND_CLASS;
        RegisterClassA(&wc);
    }
    HWND window = CreateWindowExA(0, BACKGROUND_CLASS, g_windowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, instance, 0);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}
