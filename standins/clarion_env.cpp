// Stand-in for the development environment that takes template
// registrations over DDE. It opens a window titled "Clarion 5.5" and a
// "Pick" window, serves the DDE service "ClarionWin" and appends every
// command it is sent to "clarion_commands.txt" beside itself, and a line
// "closed" when its main window is asked to close. Built with MUTE it never
// answers DDE, like an environment that is still starting.
#include <windows.h>
#include <ddeml.h>

static DWORD s_instance;
static HSZ s_service;
static char s_commands[MAX_PATH];

static void Append(const char *text, DWORD length) {
    HANDLE file = CreateFileA(s_commands, FILE_APPEND_DATA, FILE_SHARE_READ, 0, OPEN_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, text, length, &written, 0);
    WriteFile(file, "\r\n", 2, &written, 0);
    CloseHandle(file);
}

static HDDEDATA CALLBACK Serve(UINT type, UINT, HCONV, HSZ, HSZ service, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        return (HDDEDATA)TRUE;
    case XTYP_WILDCONNECT: {  // an empty topic: offer the service's one
        HSZPAIR pairs[2] = {{s_service, s_service}, {0, 0}};
        return DdeCreateDataHandle(s_instance, (BYTE *)pairs, sizeof pairs, 0, 0, CF_TEXT, 0);
    }
    case XTYP_EXECUTE: {
        char command[1024];
        DWORD n = DdeGetData(data, (BYTE *)command, sizeof command - 1, 0);
        command[n < sizeof command ? n : sizeof command - 1] = 0;
        Append(command, lstrlenA(command));
        return (HDDEDATA)DDE_FACK;
    }
    }
    return 0;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && GetWindowLongPtrA(window, GWLP_USERDATA) == 1) {
        Append("closed", 6);
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    GetModuleFileNameA(0, s_commands, sizeof s_commands);
    int slash = 0;
    for (int i = 0; s_commands[i]; i++)
        if (s_commands[i] == '\\') slash = i;
    lstrcpyA(s_commands + slash + 1, "clarion_commands.txt");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "StandInEnvironment";
    RegisterClassA(&wc);
    HWND main = CreateWindowA("StandInEnvironment", "Clarion 5.5 - stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                              0, 300, 200, 0, 0, instance, 0);
    SetWindowLongPtrA(main, GWLP_USERDATA, 1);
    CreateWindowA("StandInEnvironment", "Pick a template", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200, 100, 0, 0,
                  instance, 0);
#ifndef MUTE
    DdeInitializeA(&s_instance, Serve, APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS, 0);
    s_service = DdeCreateStringHandleA(s_instance, "ClarionWin", CP_WINANSI);
    DdeNameService(s_instance, s_service, 0, DNS_REGISTER);
#endif
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
#ifndef MUTE
    DdeNameService(s_instance, s_service, 0, DNS_UNREGISTER);
    DdeFreeStringHandle(s_instance, s_service);
    DdeUninitialize(s_instance);
#endif
    return 0;
}
