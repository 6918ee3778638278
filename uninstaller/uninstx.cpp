// uninstx.exe: reads an install log and undoes what the installations it
// records changed, newest first.
//
//   uninstx [-s] [install log]
//
// Without a log on the command line it takes the install log beside
// itself. -s removes without asking and without windows. Its own log
// ("uninstx.log" in the temp folder) lists the records undone, so that an
// interrupted removal finishes when it is run again, and ends with what
// was kept and why.
//
// Exit codes: 0 removed, 1 the user said no or stopped it, 2 the log
// cannot be read, 3 nothing left to remove.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include "base/text.h"
#include "uninstaller/reversal.h"
#include "uninstaller/undo_later.h"
#include "supportlib/log_vouch.h"

#define LOG_LIMIT (8 * 1024 * 1024)
#define SUMMARY_SIZE 2048

static int s_silent;
static int s_cancel;
static HWND s_window, s_bar;
static HANDLE s_ownLog = INVALID_HANDLE_VALUE;
static char s_logPath[MAX_PATH];
static char s_ownLogPath[MAX_PATH];
static char s_title[256], s_question[256], s_working[256], s_done[256], s_keptHeading[256], s_cancelText[256];
static char s_summary[SUMMARY_SIZE];
static int s_total;

static void WriteOwn(const char *tag, const char *text) {
    if (s_ownLog == INVALID_HANDLE_VALUE) return;
    char line[600];
    CopyText(line, tag, sizeof line);
    AppendText(line, " ", sizeof line);
    AppendText(line, text, sizeof line - 2);
    AppendText(line, "\r\n", sizeof line);
    DWORD put;
    WriteFile(s_ownLog, line, (DWORD)TextLength(line), &put, 0);
}

static void Say(const char *text, UINT style) {
    if (!s_silent) MessageBoxA(s_window, text, s_title, style | MB_SETFOREGROUND);
}

static const char *const kNoteTexts[] = {
    "",
    "damaged record, skipped",
    "outside the installed places or not a plain path",
    "marked to stay in place",
    "still used by another product",
    "holds files of its own",
    "changed since the installation",
    "replaced file kept: no backup to restore",
    "removed at the next Windows start",
    "not undone",
    "not undone outside the product's folder: the setup does not vouch for the record",
    "system file kept: no shared count names it",
    "written over without a backup",
};

static void OnNote(UndoRun *, int note, int line, const char *subject) {
    char text[400];
    wsprintfA(text, "line %i: %s", line, kNoteTexts[note]);
    if (subject[0]) {
        AppendText(text, ": ", sizeof text);
        AppendText(text, subject, sizeof text);
    }
    WriteOwn("Kept   :", text);
    if (TextLength(s_summary) + TextLength(text) + 4 < SUMMARY_SIZE - 8) {
        AppendText(s_summary, text, SUMMARY_SIZE);
        AppendText(s_summary, "\r\n", SUMMARY_SIZE);
    } else if (s_summary[SUMMARY_SIZE - 10] == 0) {
        AppendText(s_summary, "...\r\n", SUMMARY_SIZE);
        s_summary[SUMMARY_SIZE - 10] = 1;
    }
}

static void Pump() {
    MSG message;
    while (PeekMessageA(&message, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

static int s_steps;
static int OnStep(UndoRun *run, int line) {
    // Records are the log's lines, one each: what was undone, by path.
    char text[16 + UNDO_PATH];
    wsprintfA(text, "%i ", line);
    RecordText(&run->records[line - 1], text + TextLength(text), UNDO_PATH);
    WriteOwn("Done   :", text);
    s_steps++;
    if (s_bar && s_total) {
        SendMessageA(s_bar, PBM_SETPOS, (WPARAM)((s_steps * 1000) / s_total), 0);
        Pump();
    }
    return !s_cancel;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
        s_cancel = 1;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void OpenWindow() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    typedef BOOL(WINAPI * InitEx)(const INITCOMMONCONTROLSEX *);
    InitEx initEx = (InitEx)GetProcAddress(GetModuleHandleA("comctl32.dll"), "InitCommonControlsEx");
    if (initEx)
        initEx(&controls);
    else
        InitCommonControls();
    WNDCLASSA c;
    for (unsigned i = 0; i < sizeof c; i++) ((char *)&c)[i] = 0;
    c.lpfnWndProc = WindowProc;
    c.hInstance = GetModuleHandleA(0);
    c.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
    c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    c.lpszClassName = "UNX32";
    RegisterClassA(&c);
    int w = 420, h = 150;
    s_window = CreateWindowExA(WS_EX_DLGMODALFRAME, "UNX32", s_title, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                               (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w,
                               h, 0, 0, c.hInstance, 0);
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND text = CreateWindowExA(0, "STATIC", s_working, WS_CHILD | WS_VISIBLE, 12, 12, w - 30, 20, s_window,
                                (HMENU)100, c.hInstance, 0);
    s_bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 12, 40, w - 30, 18, s_window,
                            (HMENU)101, c.hInstance, 0);
    HWND cancel = CreateWindowExA(0, "BUTTON", s_cancelText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, w - 108, 72, 84,
                                  24, s_window, (HMENU)IDCANCEL, c.hInstance, 0);
    SendMessageA(text, WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(cancel, WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(s_bar, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    ShowWindow(s_window, SW_SHOW);
    UpdateWindow(s_window);
    Pump();
}

static void FolderOf(const char *path, char *folder) {
    CopyText(folder, path, MAX_PATH);
    int n = TextLength(folder);
    while (n > 0 && folder[n - 1] != '\\') n--;
    folder[n > 3 ? n - 1 : n] = 0;
}

static int SameFolder(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

// The folders a log's files may lie in: the folder of the log and, when
// the log installed this uninstaller, its folder (never a drive root or the
// Windows folders), and the shell folders that shortcuts and fonts go to.
static void AllowedPlaces(UndoRun *run, const char *ownPath) {
    GetSystemDirectoryA(run->systemFolder, UNDO_PATH);
    GetWindowsDirectoryA(run->windowsFolder, UNDO_PATH);
    char folders[2][MAX_PATH];
    FolderOf(s_logPath, folders[0]);
    FolderOf(ownPath, folders[1]);
    for (int i = 0; i < 2; i++) {
        const char *f = folders[i];
        if (TextLength(f) <= 3 || SameFolder(f, run->systemFolder) || SameFolder(f, run->windowsFolder) ||
            PathBelow(run->windowsFolder, f) ||
            (i == 1 && (SameFolder(f, folders[0]) || (FindRecord(run, REC_COPY, 0, run->count, ownPath) < 0 &&
                                                      FindRecord(run, REC_REPLACE, 0, run->count, ownPath) < 0))))
            continue;
        CopyText(run->roots[run->rootCount++], f, UNDO_PATH);
    }
    run->productRoots = run->rootCount;
    static const int shell[] = {CSIDL_PROGRAMS,         CSIDL_COMMON_PROGRAMS,   CSIDL_STARTMENU,
                                CSIDL_COMMON_STARTMENU, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
                                CSIDL_STARTUP,          CSIDL_COMMON_STARTUP,    CSIDL_FONTS};
    for (unsigned i = 0; i < sizeof shell / sizeof shell[0]; i++) {
        LPITEMIDLIST list = 0;
        char path[MAX_PATH];
        if (FAILED(SHGetSpecialFolderLocation(0, shell[i], &list)) || !list) continue;
        BOOL ok = SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
        if (!ok || TextLength(path) <= 3) continue;
        if (shell[i] == CSIDL_FONTS) {
            CopyText(run->fontsFolder, path, UNDO_PATH);
            continue;
        }
        CopyText(g_shellFolders[g_shellFolderCount++], path, UNDO_PATH);
        if (run->rootCount < UNDO_MAX_ROOTS) CopyText(run->roots[run->rootCount++], path, UNDO_PATH);
    }
}

// Everything after the program's name on the command line.
static void ReadCommandLine() {
    const char *p = GetCommandLineA();
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++) {
        }
        if (*p) p++;
    } else {
        while (*p && *p != ' ' && *p != '\t') p++;
    }
    for (;;) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        char word[MAX_PATH];
        int n = 0, quoted = *p == '"';
        if (quoted) p++;
        while (*p && (quoted ? *p != '"' : *p != ' ' && *p != '\t')) {
            if (n < MAX_PATH - 1) word[n++] = *p;
            p++;
        }
        if (quoted && *p) p++;
        word[n] = 0;
        if ((word[0] == '-' || word[0] == '/') && (word[1] == 's' || word[1] == 'S') && !word[2])
            s_silent = 1;
        else if (n)
            CopyText(s_logPath, word, MAX_PATH);
    }
}

// The install log beside the program: the first "*.log" that starts with
// the setup's banner.
static void FindLogBeside(const char *ownPath) {
    char pattern[MAX_PATH];
    FolderOf(ownPath, pattern);
    int folder = TextLength(pattern);
    AppendText(pattern, "\\*.log", sizeof pattern);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        char path[MAX_PATH], head[10];
        CopyText(path, pattern, folder + 2);
        AppendText(path, found.cFileName, sizeof path);
        HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
        DWORD got = 0;
        if (f != INVALID_HANDLE_VALUE) {
            ReadFile(f, head, 9, &got, 0);
            CloseHandle(f);
        }
        head[got] = 0;
        if (lstrcmpA(head, "*** KVX32") == 0) {
            CopyText(s_logPath, path, MAX_PATH);
            break;
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

static void ReadTexts() {
    static const struct {
        const char *key;
        char *text;
        const char *fallback;
    } texts[] = {
        {"L1", s_title, "Uninstall"},
        {"L2", s_question, "Remove the installed program and all of its components?"},
        {"C61", s_working, "Removing the installed files..."},
        {"C62", s_done, "The program has been removed."},
        {"C63", s_keptHeading, "Some items were kept:"},
        {"C2", s_cancelText, "Cancel"},
    };
    for (unsigned i = 0; i < sizeof texts / sizeof texts[0]; i++) {
        texts[i].text[0] = 0;
        if (s_logPath[0]) GetPrivateProfileStringA("DLG", texts[i].key, "", texts[i].text, 256, s_logPath);
        if (!texts[i].text[0]) CopyText(texts[i].text, texts[i].fallback, 256);
    }
}

// The last run's own log: when it worked on the same log (same path and
// digest of its bytes) and did not finish, the lowest record line it undid.
static int ResumeLine(const char *header) {
    HANDLE f = CreateFileA(s_ownLogPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return 0;
    DWORD size = GetFileSize(f, 0), got = 0;
    char *text = size < LOG_LIMIT ? (char *)HeapAlloc(GetProcessHeap(), 0, size + 1) : 0;
    if (text) ReadFile(f, text, size, &got, 0);
    CloseHandle(f);
    if (!text) return 0;
    text[got] = 0;
    int line = 0, n = TextLength(header);
    int same = (int)got > n && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, n, header, n) == CSTR_EQUAL &&
               text[n] == '\r';
    for (char *p = text; same && *p; p++) {
        if (p[0] == '\n' && p[1] == 'F' && p[2] == 'i') {
            line = 0;  // "Finished"
            break;
        }
        if (p[0] != '\n' || p[1] != 'D' || p[2] != 'o') continue;
        int v = 0;
        for (char *q = p + 10; *q >= '0' && *q <= '9'; q++) v = v * 10 + (*q - '0');
        if (v > 0 && (line == 0 || v < line)) line = v;
    }
    HeapFree(GetProcessHeap(), 0, text);
    return line;
}

static void AskRestart() {
    if (s_silent) return;
    if (MessageBoxA(0, "Some files are removed when Windows starts again. Restart Windows now?", s_title,
                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    HANDLE token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES p;
        p.PrivilegeCount = 1;
        p.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueA(0, SE_SHUTDOWN_NAME, &p.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &p, 0, 0, 0);
        CloseHandle(token);
    }
    ExitWindowsEx(EWX_REBOOT, 0);
}

static int NothingLeft() {
    WriteOwn("Result :", "nothing left to remove");
    char text[400];
    wsprintfA(text, "Nothing is left to remove.\r\n\r\n%s", s_logPath);
    Say(text, MB_ICONINFORMATION);
    return 3;
}

static int Uninstall() {
    char ownPath[MAX_PATH];
    GetModuleFileNameA(0, ownPath, sizeof ownPath);
    ReadCommandLine();
    if (!s_logPath[0]) FindLogBeside(ownPath);
    // Full, as the setup names the log in its word for it.
    char full[MAX_PATH], *part;
    if (s_logPath[0] && GetFullPathNameA(s_logPath, MAX_PATH, full, &part) < MAX_PATH) CopyText(s_logPath, full, MAX_PATH);
    ReadTexts();
    GetTempPathA(sizeof s_ownLogPath, s_ownLogPath);
    AppendText(s_ownLogPath, "uninstx.log", sizeof s_ownLogPath);

    HANDLE f = s_logPath[0] ? CreateFileA(s_logPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                                          OPEN_EXISTING, 0, 0)
                            : INVALID_HANDLE_VALUE;
    if (f == INVALID_HANDLE_VALUE) {
        s_ownLog = CreateFileA(s_ownLogPath, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0);
        WriteOwn("Log    :", s_logPath);
        int code = NothingLeft();
        CloseHandle(s_ownLog);
        return code;
    }
    DWORD size = GetFileSize(f, 0), got = 0;
    char *text = size < LOG_LIMIT ? (char *)HeapAlloc(GetProcessHeap(), 0, size + 1) : 0;
    if (text) ReadFile(f, text, size, &got, 0);
    CloseHandle(f);
    if (!text || got != size) {
        Say("The install log cannot be read.", MB_ICONHAND);
        return 2;
    }

    static UndoRun run;
    run.later = UndoLaterRecord;
    run.note = OnNote;
    run.step = OnStep;
    CopyText(run.ownPath, ownPath, UNDO_PATH);
    run.ownPathSet = 1;
    if (!ParseUndoLog(&run, text, (int)got)) {
        Say("Not enough memory.", MB_ICONHAND);
        return 2;
    }
    AllowedPlaces(&run, ownPath);
    s_total = run.count;

    // The log is known by its bytes' digest: a new log of the same path and
    // size is another log.
    char header[MAX_PATH + 80];
    BYTE digest[20] = {0};
    LogDigest(text, got, digest);
    int n = wsprintfA(header, "Log    : %s|%lu|", s_logPath, (unsigned long)got);
    for (int i = 0; i < 40; i++) header[n + i] = "0123456789abcdef"[(digest[i / 2] >> (i & 1 ? 0 : 4)) & 15];
    header[n + 40] = 0;
    run.resumeLine = ResumeLine(header);
    // Outside the product's folder only what the setup vouches for: the
    // installations after those its word leaves out, all when it has none.
    int unvouched = VouchedFrom(s_logPath, digest), line = 1, blanks = 0;
    run.trustFromLine = unvouched < 0 ? 0x7fffffff : 0;
    for (DWORD at = 0; unvouched > 0 && at < got; at++) {
        if (text[at] == ' ' && (at == 0 || text[at - 1] == '\n') && (at + 1 == got || text[at + 1] == '\r') &&
            ++blanks > unvouched) {
            run.trustFromLine = line;
            break;
        }
        if (text[at] == '\n') line++;
        run.trustFromLine = 0x7fffffff;
    }
    static char warning[MAX_PATH + 400];
    warning[0] = 0;
    if (run.trustFromLine > 1) {
        char folder[MAX_PATH];
        FolderOf(s_logPath, folder);
        wsprintfA(warning, "The install log was changed since the setup wrote it: nothing outside %s is changed.\r\n\r\n",
                  folder);
    }
    static char question[sizeof warning + 256];
    CopyText(question, warning, sizeof question);
    AppendText(question, s_question, sizeof question);
    if (!s_silent && MessageBoxA(0, question, s_title, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return 1;
    s_ownLog = CreateFileA(s_ownLogPath, GENERIC_WRITE, FILE_SHARE_READ, 0, run.resumeLine ? OPEN_ALWAYS : CREATE_ALWAYS,
                           0, 0);
    if (run.resumeLine) {
        SetFilePointer(s_ownLog, 0, 0, FILE_END);
        WriteOwn("Resume :", "");
    } else {
        WriteOwn("Log    :", header + 9);
    }
    if (warning[0]) WriteOwn("Trust  :", "the log is not as the setup left it; its changed records act in its folder only");
    if (!s_silent) OpenWindow();

    int pending = UndoBlocks(&run);
    EndLaterRecords();
    int code = 0;
    if (run.stopped) {
        WriteOwn("Result :", "stopped; run the uninstaller again to finish");
        Say("The removal was stopped. Run the uninstaller again to finish it.", MB_ICONINFORMATION);
        code = 1;
    } else {
        // The log goes before the folders, which it would keep; made
        // read-only or not.
        SetFileAttributesA(s_logPath, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(s_logPath);
        ForgetLogVouch(s_logPath);
        RemoveCreatedFolders(&run);
        if (pending == 0 && run.changes == 0 && run.notes == 0 && !run.resumeLine) {
            code = NothingLeft();
        } else {
            WriteOwn("Result :", run.restartNeeded ? "removed; restart Windows to finish" : "removed");
            static char message[SUMMARY_SIZE + 600];  // static: a frame stays under 3 KB
            CopyText(message, s_done, sizeof message);
            if (s_summary[0]) {
                AppendText(message, "\r\n\r\n", sizeof message);
                AppendText(message, s_keptHeading, sizeof message);
                AppendText(message, "\r\n", sizeof message);
                AppendText(message, s_summary, sizeof message);
            }
            if (s_window) ShowWindow(s_window, SW_HIDE);
            Say(message, MB_ICONINFORMATION);
        }
        WriteOwn("Finished", "");
    }
    if (s_window) DestroyWindow(s_window);
    CloseHandle(s_ownLog);
    FreeUndoRun(&run);
    HeapFree(GetProcessHeap(), 0, text);
    if (run.restartNeeded) AskRestart();
    return code;
}

extern "C" void __stdcall UninstallStart() { ExitProcess((UINT)Uninstall()); }
