// Self-registered servers and type libraries, and ODBC drivers and data
// sources: the records of libraries the setup installed and called.
#include "uninstaller/undo_later.h"
#include <ole2.h>
#include <oleauto.h>
#include "base/text.h"

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

// Libraries are loaded only for records the setup vouches for: a log
// changed behind its back could name any library its writer put in place.
void UndoSelfRegistration(UndoRun *run, int i) {
    char path[MAX_PATH];
    int own = run->vouched ? OwnFile(run, i, path) : 0;
    int line = run->records[i].line;
    if (own < 0) return;  // still counted: stays registered
    if (own == 0) {
        RecordText(run->records + i, path, sizeof path);
        Note(run, run->vouched ? NOTE_REFUSED : NOTE_NOT_VOUCHED, line, path);
    } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        if (Unregister(path, run->records[i].kind == REC_SELFTLB))
            run->changes++;
        else
            Note(run, NOTE_NOT_UNDONE, line, path);
    }
}

// The ODBC setup library the setup used, as the product installed it: the
// newest "odbcdll.dll" the log records as written, in a record the setup
// vouches for, in the product's places (or the system folder when counted
// as shared), while it is there. The
// records of a block come before its files are removed, so the library is
// still in place for them.
static HMODULE LoadOdbcLibrary(UndoRun *run) {
    static const char kName[] = "\\odbcdll.dll";
    const int n = sizeof kName - 1;
    for (int i = run->count - 1; i >= 0; i--) {
        UndoRecord *r = run->records + i;
        char path[MAX_PATH];
        if ((r->kind != REC_COPY && r->kind != REC_REPLACE) || r->line < run->trustFromLine || r->length <= n ||
            !RecordText(r, path, sizeof path) ||
            lstrcmpiA(path + r->length - n, kName) != 0 || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            continue;
        int shared = FindRecord(run, REC_CSHARED, 0, run->count, path) >= 0;
        if (PathAllowed(run, path, shared ? ALLOW_SHARED : 0)) return LoadLibraryA(path);
    }
    return 0;
}

// "ODBC   :" holds the driver's name, "ODBCDSN:" the data source's first
// attribute ("DSN=name").
void UndoOdbc(UndoRun *run, int i) {
    char text[MAX_PATH];
    UndoRecord *r = run->records + i;
    if (!RecordText(r, text, sizeof text)) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    HMODULE odbc = run->vouched ? LoadOdbcLibrary(run) : 0;
    typedef int(WINAPI * Remove)(const char *);
    Remove remove = odbc ? (Remove)GetProcAddress(odbc, r->kind == REC_ODBC ? "REMOVEODBC" : "REMOVEDSN") : 0;
    if (remove && remove(text) == 0)
        run->changes++;
    else
        Note(run, run->vouched ? NOTE_NOT_UNDONE : NOTE_NOT_VOUCHED, r->line, text);
    if (odbc) FreeLibrary(odbc);
}

void EndLaterRecords() {
    if (s_oleStarted > 0) OleUninitialize();
    s_oleStarted = 0;
}
