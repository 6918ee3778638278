// File records and their backups: files written are deleted, replaced ones
// restored, shared counts lowered; what is in use goes at the next start.
#include "uninstaller/reversal.h"
#include "base/text.h"

static int Exists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

#ifdef UNDO_WHOLE_LOGS
// The Windows 95 family keeps the renames of the next start in the
// [rename] section of wininit.ini, where "NUL" as the target deletes.
static void RenameAtRestart9x(const char *from, const char *to) {
    char *section = (char *)UndoAllocate(32768);
    if (!section) return;
    int used = (int)GetPrivateProfileSectionA("rename", section, 32768 - 600, "wininit.ini");
    char line[600];
    CopyText(line, to ? to : "NUL", MAX_PATH);
    AppendText(line, "=", sizeof line);
    AppendText(line, from, sizeof line);
    CopyText(section + used, line, 600);
    section[used + TextLength(line) + 1] = 0;
    WritePrivateProfileSectionA("rename", section, "wininit.ini");
    UndoRelease(section);
}

#endif

#ifdef UNDO_WHOLE_LOGS
// Files this run moves away or deletes at the next start: a created folder
// that holds nothing else goes after them.
#define LEAVING_MAX 32
static char s_leaving[LEAVING_MAX][UNDO_PATH];
static int s_leavingCount;

void LeaveAtRestart(const char *path) {
    if (s_leavingCount < LEAVING_MAX) CopyText(s_leaving[s_leavingCount++], path, UNDO_PATH);
}

// 1 when everything the folder holds goes at the next start: files this
// run deletes or moves away then (the running uninstaller among them), and
// folders on their way.
int HoldsOnlyLeaving(const char *folder) {
    if (!s_leavingCount) return 0;
    char pattern[MAX_PATH + 4];
    CopyText(pattern, folder, MAX_PATH);
    int n = TextLength(pattern);
    AppendText(pattern, "\\*", sizeof pattern);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int only = 1;
    do {
        const char *name = found.cFileName;
        if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))) continue;
        char path[MAX_PATH + 4];
        CopyText(path, folder, n + 1);
        AppendText(path, "\\", sizeof path);
        AppendText(path, name, sizeof path);
        int leaving = 0;
        for (int k = 0; k < s_leavingCount && !leaving; k++)
            leaving = SamePath(path, s_leaving[k]) || PathBelow(s_leaving[k], path);
        only = leaving;
    } while (only && FindNextFileA(find, &found));
    FindClose(find);
    return only;
}

#endif

static void AtRestart(UndoRun *run, const char *from, const char *to, int line) {
#ifdef UNDO_WHOLE_LOGS
    LeaveAtRestart(from);
    if (Windows9x())
        RenameAtRestart9x(from, to);
    else
#endif
        MoveFileExA(from, to, to ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT
                                 : MOVEFILE_DELAY_UNTIL_REBOOT);
    // The running uninstaller goes at the next start without asking for it.
    if (run->ownPathSet && SamePath(to ? to : from, run->ownPath)) return;
    run->restartNeeded = 1;
    Note(run, NOTE_AT_RESTART, line, to ? to : from);
}

int RemoveFile(UndoRun *run, const char *path, int line) {
    DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES) return 1;
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
        Note(run, NOTE_REFUSED, line, path);
        return 0;
    }
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path, a & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path) || !Exists(path)) {
        run->changes++;
        return 1;
    }
    AtRestart(run, path, 0, line);
    return 1;
}

// 1 while the setup's replacement of a file held open waits for the next
// start: the file it becomes then is the one to undo, after the rename.
static int ReplacementPending(const char *path) {
#ifdef UNDO_WHOLE_LOGS
    char from[4];
    if (Windows9x()) return GetPrivateProfileStringA("rename", path, "", from, sizeof from, "wininit.ini") > 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = 0;
    char *names = 0;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", 0, 0, 0, &size) == ERROR_SUCCESS && size &&
        (names = (char *)UndoAllocate((int)size + 2)) != 0)
        RegQueryValueExA(key, "PendingFileRenameOperations", 0, 0, (BYTE *)names, &size);
    RegCloseKey(key);
    int pending = 0;
    // Pairs of names, source and target; an empty target deletes, so the
    // list is walked by its size, not to the first empty name.
    for (DWORD at = 0, pair = 0; names && at < size; pair++) {
        char *name = names + at;
        at += (DWORD)TextLength(name) + 1;
        if (!(pair & 1)) continue;
        if (*name == '!') name++;
        if (name[0] == '\\' && name[1] == '?' && name[2] == '?' && name[3] == '\\') name += 4;
        if (SamePath(name, path)) pending = 1;
    }
    UndoRelease(names);
    return pending;
#else
    (void)path;  // the setup's own run: no restart came in between
    return 1;
#endif
}

// Puts the backup back over the file the setup wrote.
static void RestoreFile(UndoRun *run, const char *backup, const char *target, int line) {
    DWORD a = GetFileAttributesA(target);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(target, a & ~FILE_ATTRIBUTE_READONLY);
    int moved;
    if (Windows9x()) {
        DeleteFileA(target);
        moved = MoveFileA(backup, target) || (CopyFileA(backup, target, FALSE) && DeleteFileA(backup));
    } else {
        moved = MoveFileExA(backup, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    }
    if (moved) {
        run->changes++;
        return;
    }
    AtRestart(run, backup, target, line);
}

static const char kSharedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

// Lowers the file's shared count; at 0 the value goes. Returns the count
// it found (0 when there was none).
DWORD LowerSharedCount(UndoRun *run, const char *path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, type = 0, size = sizeof count;
    if (RegQueryValueExA(key, path, 0, &type, (BYTE *)&count, &size) != ERROR_SUCCESS || type != REG_DWORD ||
        size != sizeof count)
        count = 0;
    if (count > 1) {
        DWORD left = count - 1;
        RegSetValueExA(key, path, 0, REG_DWORD, (const BYTE *)&left, sizeof left);
    } else if (RegDeleteValueA(key, path) == ERROR_SUCCESS) {
        run->changes++;
    }
    RegCloseKey(key);
    return count;
}

#ifdef UNDO_WHOLE_LOGS
// A replaced file that stays (still shared, marked to stay): nothing will
// restore its backup, which goes.
static void DropBackup(UndoRun *run, int i, int end) {
    char backup[MAX_PATH];
    UndoRecord *b = &run->records[i + 1];
    if (run->records[i].kind == REC_REPLACE && i + 1 < end && b->kind == REC_BACKUP &&
        RecordText(b, backup, sizeof backup) && PathAllowed(run, backup, 0))
        RemoveFile(run, backup, b->line);
}
#else
// The setup's rollback restores a shared file and leaves a marked one.
#define DropBackup(run, i, end)
#endif

// A file record ("Copy   :" or "Replace:" with its "Backup :").
void UndoFile(UndoRun *run, int i, int start, int end) {
    UndoRecord *r = &run->records[i];
    char path[MAX_PATH], backup[MAX_PATH];
    if (!RecordText(r, path, sizeof path)) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    int shared = FindRecord(run, REC_CSHARED, start, end, path);
    if (shared >= 0) run->done[shared] = 1;
    if (r->mark) {
        Note(run, NOTE_LEFT_IN_PLACE, r->line, path);
        DropBackup(run, i, end);
        return;
    }
    // Files in the system and fonts folders only when the log counts them
    // as shared or registers them as fonts.
    int also = (shared >= 0 ? ALLOW_SHARED : 0) | (FindRecord(run, REC_REGVAL, start, end, path) >= 0 ? ALLOW_FONT : 0);
    int inProduct = PathAllowed(run, path, 0);
    if (!inProduct && !PathAllowed(run, path, also)) {
        Note(run, RECORD_VOUCHED(run) || !PlainPath(path) ? NOTE_REFUSED : NOTE_NOT_VOUCHED, r->line, path);
        return;
    }
    if (shared >= 0) {
        // The count is the registry's: a log the setup does not vouch for
        // leaves it, and the file with it. Outside the product's folders a
        // file goes only when this run takes its count from 1 to 0. A file
        // other products still count stays, and its backup, which nothing
        // will restore, goes; the setup's own rollback puts back the
        // version they had.
        DWORD count = RECORD_VOUCHED(run) ? LowerSharedCount(run, path) : 0;
        if ((!RECORD_VOUCHED(run) || count > 1 || (!count && !inProduct)) &&
            !(count > 1 && run->onlyLastBlock && r->kind == REC_REPLACE)) {
            Note(run, !RECORD_VOUCHED(run) ? NOTE_NOT_VOUCHED : count > 1 ? NOTE_STILL_SHARED : NOTE_NOT_COUNTED, r->line,
                 path);
            if (count > 1) DropBackup(run, i, end);
            return;
        }
    }
    // "Existed:" right after it: the setup wrote over a file that was
    // there before, without a backup.
    if (r->kind == REC_COPY && FindRecord(run, REC_EXISTED, i + 1, i + 2, path) >= 0) {
        Note(run, NOTE_WRITTEN_OVER, r->line, path);
        return;
    }
    // A file that was held open: its undoing follows the setup's rename.
    int later = FindRecord(run, REC_LOCKED, start, end, path) >= 0 && ReplacementPending(path);
    if (r->kind == REC_REPLACE) {
        int b = i + 1 < end && run->records[i + 1].kind == REC_BACKUP ? i + 1 : -1;
        if (b < 0 || !RecordText(&run->records[b], backup, sizeof backup) || !Exists(backup)) {
            Note(run, NOTE_NO_BACKUP, r->line, path);
            return;
        }
        if (!PathAllowed(run, backup, 0)) {
            Note(run, NOTE_REFUSED, run->records[b].line, backup);
            return;
        }
        if (later)
            AtRestart(run, backup, path, r->line);
        else
            RestoreFile(run, backup, path, r->line);
        return;
    }
    // A file an earlier installation wrote too was written over without a
    // backup: its own record decides about it.
    if (FindRecord(run, REC_COPY, 0, start, path) >= 0 || FindRecord(run, REC_REPLACE, 0, start, path) >= 0) {
        if (run->onlyLastBlock) Note(run, NOTE_NO_BACKUP, r->line, path);
        return;
    }
    // Its folders go only where a "Create :" record names them.
    if (later)
        AtRestart(run, path, 0, r->line);
    else
        RemoveFile(run, path, r->line);
}
