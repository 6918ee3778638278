// Shortcuts and their program groups, and INI file changes.
#include "uninstaller/undo_later.h"
#include "base/text.h"

char g_shellFolders[UNDO_MAX_ROOTS][UNDO_PATH];
int g_shellFolderCount;


// A shell link: its header's size and class come first.
static int ShortcutFile(const char *path) {
    static const unsigned char kHeader[20] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0,
                                              0,    0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    unsigned char head[20];
    DWORD got = 0;
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return 1;  // gone already
    ReadFile(f, head, sizeof head, &got, 0);
    CloseHandle(f);
    for (DWORD k = 0; k < sizeof head; k++)
        if (got != sizeof head || head[k] != kHeader[k]) return 0;
    return 1;
}

// In a shell folder only a shortcut file goes; its program group goes with
// the group's own "Create :" record, when the shortcuts were all it held.
void UndoShortcut(UndoRun *run, int i) {
    char path[MAX_PATH];
    int line = run->records[i].line;
    if (!RecordText(run->records + i, path, sizeof path) ||
        (!PathAllowed(run, path, 0) && (!PathAllowed(run, path, ALLOW_SHELL) || !ShortcutFile(path)))) {
        Note(run, run->vouched ? NOTE_REFUSED : NOTE_NOT_VOUCHED, line, path);
        return;
    }
    RemoveFile(run, path, line);
}

// An INI file in an allowed place, or directly in the Windows folder.
static int IniAllowed(UndoRun *run, const char *file) {
    if (PathAllowed(run, file, 0)) return 1;
    if (!run->vouched || !PlainPath(file) || !PathBelow(file, run->windowsFolder)) return 0;
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
        Note(run, run->vouched ? NOTE_REFUSED : NOTE_NOT_VOUCHED, r->line, file);
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

