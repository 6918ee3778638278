// A program for the tests to start. Its settings come from the INI file
// beside it with its own name ("name.ini", section [run]), because action
// starts pass no parameters:
//   title=  caption of the window it opens (none: no window)
//   code=   exit code
//   stay=   milliseconds until it ends by itself; 0 or none: until its
//           window is closed (without a window: at once)
// Each start appends to "name.log" beside it: "start" with the command line,
// the working folder and the start time; "end" with the code when it ends.
#include <windows.h>
#include <cstdio>
#include <string>

static std::string g_base;  // own path without ".exe"
static int g_code;

static void Record(const std::string &line) {
    FILE *f = fopen((g_base + ".log").c_str(), "ab");
    if (!f) return;
    fprintf(f, "%s\r\n", line.c_str());
    fclose(f);
}

static LRESULT CALLBACK WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_TIMER || m == WM_CLOSE) {
        Record(m == WM_CLOSE ? "closed" : "timeout");
        DestroyWindow(w);
        return 0;
    }
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH], folder[MAX_PATH], title[256];
    GetModuleFileNameA(0, path, sizeof path);
    g_base = path;
    if (g_base.size() > 4) g_base.resize(g_base.size() - 4);
    std::string ini = g_base + ".ini";
    GetPrivateProfileStringA("run", "title", "", title, sizeof title, ini.c_str());
    g_code = GetPrivateProfileIntA("run", "code", 0, ini.c_str());
    int stay = GetPrivateProfileIntA("run", "stay", 0, ini.c_str());
    GetCurrentDirectoryA(sizeof folder, folder);
    SYSTEMTIME t;
    GetLocalTime(&t);
    char when[40];
    sprintf(when, "%02d:%02d:%02d.%03d", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    Record(std::string("start ") + GetCommandLineA() + "|" + folder + "|" + when);
    if (title[0]) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = "RunRecord";
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
        HWND w = CreateWindowA("RunRecord", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 120, 0, 0,
                               instance, 0);
        if (stay > 0) SetTimer(w, 1, stay, 0);
        MSG msg;
        while (GetMessageA(&msg, 0, 0, 0) > 0) DispatchMessageA(&msg);
    } else if (stay > 0) {
        Sleep(stay);
    }
    Record("end " + std::to_string(g_code));
    return g_code;
}
