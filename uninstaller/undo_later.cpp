// Records of the setup's finishing steps, which only the uninstaller
// undoes: self-registration, shortcuts, INI changes and ODBC entries.
#include "uninstaller/undo_later.h"
#include <ole2.h>
#include <oleauto.h>
#include "startup/text.h"

char g_shellFolders[UNDO_MAX_ROOTS][UNDO_PATH];
int g_shellFolderCount;

static int s_oleStarted;

// The file must be one the same block wrote, in an allowed place, and not
// kept for another product that still counts it.
static int OwnFile(UndoRun *run, int i, char *path) {
    int start = BlockStart(run, i), end = BlockEnd(run, i);
    if (!RecordText(run->records + i, path, MAX_PATH)) return 0;
    if (FindRecord(run, REC_COPY, start, end, path) < 0 && FindRecord(run, REC_REPLACE, start, end, path) < 0) return 0;
    int shared = FindRecord(run, REC_CSHARED, start, end, path) >= 0;
    if (!PathAllowed(run, path, shared ? ALLOW_SHARED : 0)) return 0;
    if (shared) {
        HKEY key;
        DWORD count = 0, size = sizeof count;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", 0,
                          KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, path, 0, 0, (BYTE *)&count, &size);
            RegCloseKey(key);
        }
        if (count > 1) return -1;
    }
    return 1;
}

static int Unregister(const char *path, int typeLibrary) {
    if (!s_oleStarted) s_oleStarted = SUCCEEDED(OleInitialize(0)) ? 1 : -1;
    int ok = 0;
    if (typeLibrary) {
        WCHAR wide[MAX_PATH];
        if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH)) return 0;
        typedef HRESULT(WINAPI * UnregisterLib)(REFGUID, WORD, WORD, LCID, SYSKIND);
        UnregisterLib unregister = (UnregisterLib)GetProcAddress(GetModuleHandleA("oleaut32.dll"), "UnRegisterTypeLib");
        ITypeLib *lib = 0;
        if (!unregister || FAILED(LoadTypeLib(wide, &lib)) || !lib) return 0;
        TLIBATTR *attr = 0;
        if (SUCCEEDED(lib->GetLibAttr(&attr)) && attr) {
            ok = SUCCEEDED(unregister(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind));
            lib->ReleaseTLibAttr(attr);
        }
        lib->Release();
        return ok;
    }
    // The server may load libraries beside it: its folder is made current.
    char current[MAX_PATH], folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    CopyText(folder, path, sizeof folder);
    int n = TextLength(folder);
    while (n > 0 && folder[n - 1] != '\\') n--;
    if (n > 0) folder[n - 1 > 2 ? n - 1 : n] = 0;
    SetCurrentDirectoryA(folder);
    HMODULE library = LoadLibraryA(path);
    if (library) {
        typedef HRESULT(STDAPICALLTYPE * Entry)();
        Entry entry = (Entry)GetProcAddress(library, "DllUnregisterServer");
        ok = entry && SUCCEEDED(entry());
        FreeLibrary(library);
    }
    SetCurrentDirectoryA(current);
    return ok;
}

static void UndoSelfRegistration(UndoRun *run, int i) {
    char path[MAX_PATH];
    int own = OwnFile(run, i, path);
    int line = run->records[i].line;
    if (own < 0) return;  // still counted: stays registered
    if (own == 0) {
        Note(run, NOTE_REFUSED, line, path);
    } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        if (Unregister(path, run->records[i].kind == REC_SELFTLB))
            run->changes++;
        else
            Note(run, NOTE_NOT_UNDONE, line, path);
    }
}

static int ShellRoot(const char *path) {
    for (int i = 0; i < g_shellFolderCount; i++)
        if (PathBelow(path, g_shellFolders[i])) return i;
    return -1;
}

static void UndoShortcut(UndoRun *run, int i) {
    char path[MAX_PATH];
    int line = run->records[i].line;
    if (!RecordText(run->records + i, path, sizeof path) || !PathAllowed(run, path, 0)) {
        Note(run, NOTE_REFUSED, line, path);
        return;
    }
    RemoveFile(run, path, line);
    // The program group goes when the shortcuts were all it held.
    int root = ShellRoot(path);
    if (root < 0) return;
    for (;;) {
        int n = TextLength(path);
        while (n > 0 && path[n - 1] != '\\') n--;
        if (n == 0) return;
        path[n - 1] = 0;
        if (!PathBelow(path, g_shellFolders[root]) || !RemoveDirectoryA(path)) return;
        run->changes++;
    }
}

// An INI file in an allowed place, or directly in the Windows folder.
static int IniAllowed(UndoRun *run, const char *file) {
    if (PathAllowed(run, file, 0)) return 1;
    if (!PlainPath(file) || !PathBelow(file, run->windowsFolder)) return 0;
    for (const char *p = file + TextLength(run->windowsFolder) + 1; *p; p++)
        if (*p == '\\') return 0;
    return 1;
}

// "INIFile:" ... "INIVal :": the key goes back to its old value, or goes,
// when it still holds what the setup wrote.
static void UndoIniChange(UndoRun *run, int i) {
    UndoRecord *r = run->records + i;
    char file[MAX_PATH], section[256], key[256], old[256], value[256], now[256];
    int hasOld = r[3].kind == REC_INIOLD;
    if (!RecordText(r, file, sizeof file) || !RecordText(r + 1, section, sizeof section) ||
        !RecordText(r + 2, key, sizeof key) || !RecordText(r + 3 + hasOld, value, sizeof value) ||
        (hasOld && !RecordText(r + 3, old, sizeof old)) || !section[0] || !key[0]) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    if (!IniAllowed(run, file)) {
        Note(run, NOTE_REFUSED, r->line, file);
        return;
    }
    if (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES) return;
    // A key absent now reads as the default "\x01", never equal to a value.
    GetPrivateProfileStringA(section, key, "\x01", now, sizeof now, file);
    if (lstrcmpA(now, value) != 0) {
        if (now[0] != 1) Note(run, NOTE_CHANGED, r->line, file);
        return;
    }
    WritePrivateProfileStringA(section, key, hasOld ? old : 0, file);
    if (!hasOld) {
        char rest[4];
        if (GetPrivateProfileSectionA(section, rest, sizeof rest, file) == 0)
            WritePrivateProfileStringA(section, 0, 0, file);
    }
    WritePrivateProfileStringA(0, 0, 0, file);
    run->changes++;
    // An INI file left empty goes too, in the product's places or the
    // Windows folder: one that held nothing but the setup's keys.
    {
        HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
        if (h == INVALID_HANDLE_VALUE) return;
        char head[64];
        DWORD got = 0;
        ReadFile(h, head, sizeof head, &got, 0);
        CloseHandle(h);
        for (DWORD k = 0; k < got; k++)
            if (head[k] != '\r' && head[k] != '\n' && head[k] != ' ') return;
        if (got < sizeof head) RemoveFile(run, file, r->line);
    }
}

// The ODBC setup library the setup used, as the product installed it: the
// newest "odbcdll.dll" the log records as written, in the product's places
// (or the system folder when counted as shared), while it is there. The
// records of a block come before its files are removed, so the library is
// still in place for them.
static HMODULE LoadOdbcLibrary(UndoRun *run) {
    static const char kName[] = "\\odbcdll.dll";
    const int n = sizeof kName - 1;
    for (int i = run->count - 1; i >= 0; i--) {
        UndoRecord *r = run->records + i;
        char path[MAX_PATH];
        if ((r->kind != REC_COPY && r->kind != REC_REPLACE) || r->length <= n || !RecordText(r, path, sizeof path) ||
            lstrcmpiA(path + r->length - n, kName) != 0 || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        int shared = FindRecord(run, REC_CSHARED, 0, run->count, path) >= 0;
        if (PathAllowed(run, path, shared ? ALLOW_SHARED : 0)) return LoadLibraryA(path);
    }
    return 0;
}

// "ODBC   :" holds the driver's name, "ODBCDSN:" the data source's first
// attribute ("DSN=name").
static void UndoOdbc(UndoRun *run, int i) {
    char text[MAX_PATH];
    UndoRecord *r = run->records + i;
    if (!RecordText(r, text, sizeof text)) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    HMODULE odbc = LoadOdbcLibrary(run);
    typedef int(WINAPI * Remove)(const char *);
    Remove remove = odbc ? (Remove)GetProcAddress(odbc, r->kind == REC_ODBC ? "REMOVEODBC" : "REMOVEDSN") : 0;
    if (remove && remove(text) == 0)
        run->changes++;
    else
        Note(run, NOTE_NOT_UNDONE, r->line, text);
    if (odbc) FreeLibrary(odbc);
}

void UndoLaterRecord(UndoRun *run, int i) {
    switch (run->records[i].kind) {
    case REC_SELFREG:
    case REC_SELFTLB: UndoSelfRegistration(run, i); return;
    case REC_SLINK: UndoShortcut(run, i); return;
    case REC_INIFILE: UndoIniChange(run, i); return;
    case REC_ODBC:
    case REC_ODBCDSN: UndoOdbc(run, i); return;
    }
}

void EndLaterRecords() {
    if (s_oleStarted > 0) OleUninitialize();
    s_oleStarted = 0;
}
