// Shortcuts and their program groups, and INI file changes.
#include "uninstaller/undo_later.h"
#include "base/text.h"

char g_shellFolders[UNDO_MAX_ROOTS][UNDO_PATH];
int g_shellFolderCount;

static int ShellRoot(const char *path) {
    for (int i = 0; i < g_shellFolderCount; i++)
        if (PathBelow(path, g_shellFolders[i])) return i;
    return -1;
}

void UndoShortcut(UndoRun *run, int i) {
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
void UndoIniChange(UndoRun *run, int i) {
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
    // An INI file of the product's own that is left empty goes too.
    if (PathAllowed(run, file, 0)) {
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

