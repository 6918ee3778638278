#include "uninstaller/reversal.h"
#include "startup/text.h"
#include "payload/registry_roots.h"

// Record tags the setup writes: seven characters and the ":" (or ";" for
// the files a record variant leaves in place).
static const struct {
    char tag[8];
    unsigned char kind;
    unsigned char variant;  // 1: ";" allowed
} kTags[] = {
    {"Create ", REC_CREATE, 0},  {"Copy   ", REC_COPY, 1},    {"Replace", REC_REPLACE, 1},
    {"Backup ", REC_BACKUP, 1},  {"Locked ", REC_LOCKED, 0},  {"CShared", REC_CSHARED, 0},
    {"RegRoot", REC_REGROOT, 0}, {"RegKey ", REC_REGKEY, 0},  {"RegName", REC_REGNAME, 0},
    {"RegVal ", REC_REGVAL, 0},  {"SelfReg", REC_SELFREG, 1}, {"SelfTlb", REC_SELFTLB, 1},
    {"SLink  ", REC_SLINK, 0},   {"INIFile", REC_INIFILE, 0}, {"INISec ", REC_INISEC, 0},
    {"INIItem", REC_INIITEM, 0}, {"INIOld ", REC_INIOLD, 0},  {"INIVal ", REC_INIVAL, 0},
    {"ODBC   ", REC_ODBC, 0},    {"ODBCDSN", REC_ODBCDSN, 0}, {"Undone ", REC_UNDONE, 0},
    {"Skipped", REC_INFO, 0},    {"Source ", REC_INFO, 0},
    {"PrevLev", REC_INFO, 0},    {"CompInf", REC_INFO, 0},    {"Clarion", REC_INFO, 0},
    {"CTplReg", REC_INFO, 0},    {"CID    ", REC_INFO, 0},    {"RunWait", REC_INFO, 0},
    {"Error  ", REC_INFO, 0},    {"Cleanup", REC_INFO, 0},    {"Existed", REC_EXISTED, 0},
    // Opens the header of every installation. Profile writes to the log's
    // [DLG] section may drop the one-blank line in front of it, so it
    // starts a block too.
    {"Module ", REC_BLANK, 0},
};

// A record line holds at most 255 characters with its CR LF.
#define RECORD_LINE_MAX 253
#define DONE_BEFORE_MARK 2

static void *Allocate(int bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (SIZE_T)bytes); }
static void Release(void *p) {
    if (p) HeapFree(GetProcessHeap(), 0, p);
}

int Windows9x() { return (GetVersion() & 0x80000000u) != 0; }

static int SameStart(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++)
        if (a[i] != b[i]) return 0;
    return 1;
}

static int Classify(const char *line, int length, int inSection, unsigned char *mark) {
    *mark = 0;
    if (length == 1 && line[0] == ' ') return REC_BLANK;
    if (length > RECORD_LINE_MAX) return inSection ? REC_OTHER : REC_DAMAGED;
    if (length >= 7 && SameStart(line, "Aborted", 7)) return REC_INFO;
    if (length >= 8 && (line[7] == ':' || line[7] == ';'))
        for (unsigned t = 0; t < sizeof kTags / sizeof kTags[0]; t++) {
            if (!SameStart(line, kTags[t].tag, 7)) continue;
            if (line[7] == ';') {
                if (!kTags[t].variant) return REC_DAMAGED;
                *mark = 1;
            }
            return kTags[t].kind;
        }
    return inSection ? REC_OTHER : REC_DAMAGED;
}

// Hash chains over the file records' paths, so that finding the records
// of one path stays linear on logs of many thousand lines.
struct PathIndex {
    int *heads;
    int *next;
    int mask;
};
static PathIndex s_index;

static int Indexed(int kind) {
    return kind == REC_COPY || kind == REC_REPLACE || kind == REC_CSHARED || kind == REC_SELFREG ||
           kind == REC_SELFTLB || kind == REC_REGVAL || kind == REC_LOCKED || kind == REC_EXISTED;
}

static unsigned HashPath(const char *text, int length) {
    unsigned h = 2166136261u;
    for (int i = 0; i < length; i++) {
        unsigned c = (unsigned char)text[i];
        if (c >= 'a' && c <= 'z') c -= 32;
        h = (h ^ c) * 16777619u;
    }
    return h;
}

int RecordText(const UndoRecord *r, char *buffer, int size) {
    if (r->length >= size) {
        buffer[0] = 0;
        return 0;
    }
    for (int i = 0; i < r->length; i++) buffer[i] = r->text[i];
    buffer[r->length] = 0;
    return 1;
}

int ParseUndoLog(UndoRun *run, const char *text, int length) {
    int lines = 1;
    for (int i = 0; i < length; i++)
        if (text[i] == '\n') lines++;
    run->records = (UndoRecord *)Allocate(lines * (int)sizeof(UndoRecord));
    run->done = (unsigned char *)Allocate(lines);
    int buckets = 16;
    while (buckets < lines * 2) buckets <<= 1;
    s_index.heads = (int *)Allocate(buckets * (int)sizeof(int));
    s_index.next = (int *)Allocate(lines * (int)sizeof(int));
    s_index.mask = buckets - 1;
    if (!run->records || !run->done || !s_index.heads || !s_index.next) return 0;

    int inSection = 0, count = 0, line = 0;
    for (int at = 0; at < length;) {
        int end = at;
        while (end < length && text[end] != '\n') end++;
        int n = end - at;
        if (n > 0 && text[at + n - 1] == '\r') n--;
        line++;
        UndoRecord *r = &run->records[count];
        r->line = line;
        r->kind = (unsigned char)Classify(text + at, n, inSection, &r->mark);
        r->text = text + at + (n > 9 ? 9 : n);
        r->length = (short)(n > 9 ? n - 9 : 0);
        if (r->kind == REC_BLANK) inSection = 0;
        // The [DLG] section the setup writes for the uninstaller, and the
        // banner line in front of it.
        if (r->kind == REC_DAMAGED && (text[at] == '[' || (line == 1 && n >= 3 && SameStart(text + at, "***", 3)))) {
            r->kind = REC_OTHER;
            inSection = 1;
        }
        count++;
        at = end + 1;
    }
    run->count = count;
    for (int i = count - 1; i >= 0; i--) {
        if (!Indexed(run->records[i].kind)) continue;
        int b = (int)(HashPath(run->records[i].text, run->records[i].length) & (unsigned)s_index.mask);
        s_index.next[i] = s_index.heads[b] - 1;
        s_index.heads[b] = i + 1;
    }
    return 1;
}

void FreeUndoRun(UndoRun *run) {
    Release(run->records);
    Release(run->done);
    Release(s_index.heads);
    Release(s_index.next);
    run->records = 0;
    run->done = 0;
    s_index.heads = s_index.next = 0;
}

int FindRecord(UndoRun *run, int kind, int from, int to, const char *path) {
    if (!s_index.heads) return -1;
    int n = TextLength(path);
    int i = s_index.heads[HashPath(path, n) & (unsigned)s_index.mask] - 1;
    for (; i >= 0; i = s_index.next[i]) {
        if (i >= to) break;
        const UndoRecord *r = &run->records[i];
        if (i < from || r->kind != kind || r->length != n || run->done[i] == DONE_BEFORE_MARK) continue;
        if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, r->text, n, path, n) == CSTR_EQUAL) return i;
    }
    return -1;
}

int BlockStart(UndoRun *run, int index) {
    while (index > 0 && run->records[index - 1].kind != REC_BLANK) index--;
    return index;
}

int BlockEnd(UndoRun *run, int index) {
    while (index < run->count && run->records[index].kind != REC_BLANK) index++;
    return index;
}

void Note(UndoRun *run, int note, int line, const char *subject) {
    run->notes++;
    if (run->note) run->note(run, note, line, subject ? subject : "");
}

// ---- Paths ----

static int Upper(int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

static int SameText(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++)
        if (Upper((unsigned char)a[i]) != Upper((unsigned char)b[i])) return 0;
    return 1;
}

int PathBelow(const char *path, const char *folder) {
    int n = TextLength(folder);
    if (n == 0) return 0;
    if (folder[n - 1] == '\\') n--;
    return TextLength(path) > n + 1 && path[n] == '\\' && SameText(path, folder, n);
}

static int SamePath(const char *a, const char *b) {
    int n = TextLength(a);
    return n == TextLength(b) && SameText(a, b, n);
}

// Names Windows opens as devices in any folder: "C:\Product\con.txt" is the
// console.
static int DeviceName(const char *name, int n) {
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    int base = 0;
    while (base < n && name[base] != '.') base++;
    for (unsigned d = 0; d < sizeof devices / sizeof devices[0]; d++)
        if (TextLength(devices[d]) == base && SameText(name, devices[d], base)) return 1;
    if (base == 4 && (SameText(name, "COM", 3) || SameText(name, "LPT", 3)) && name[3] >= '1' && name[3] <= '9')
        return 1;
    return 0;
}

int PlainPath(const char *path) {
    int n = TextLength(path);
    if (n < 4 || n >= MAX_PATH) return 0;
    if (Upper((unsigned char)path[0]) < 'A' || Upper((unsigned char)path[0]) > 'Z' || path[1] != ':' ||
        path[2] != '\\')
        return 0;
    int start = 3;
    for (int i = 3; i <= n; i++) {
        unsigned char c = (unsigned char)path[i];
        if (i < n && c != '\\') {
            if (c < 32 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
                c == '|')
                return 0;
            continue;
        }
        int len = i - start;
        if (len == 0 || len > 255) return 0;
        // "..", "." and names Windows trims ("a." is "a").
        if (path[i - 1] == '.' || path[i - 1] == ' ') return 0;
        if (DeviceName(path + start, len)) return 0;
        start = i + 1;
    }
    return 1;
}

// No part of the path below the folder is a link to another folder.
static int NoLinksBelow(const char *path, const char *folder) {
    char part[MAX_PATH];
    int n = TextLength(folder);
    if (n && folder[n - 1] == '\\') n--;
    for (int i = n + 1;; i++) {
        if (path[i] == '\\' || path[i] == 0) {
            CopyText(part, path, i + 1);
            DWORD a = GetFileAttributesA(part);
            if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
        }
        if (!path[i]) return 1;
    }
}

int PathAllowed(UndoRun *run, const char *path, int also) {
    if (!PlainPath(path)) return 0;
    for (int i = 0; i < run->rootCount; i++)
        if (run->roots[i][0] && (PathBelow(path, run->roots[i]) || SamePath(path, run->roots[i])))
            return SamePath(path, run->roots[i]) || NoLinksBelow(path, run->roots[i]);
    if (also & ALLOW_SHARED) {
        // The system folder, and on the NT family the 16-bit one too.
        char system16[UNDO_PATH + 8];
        CopyText(system16, run->windowsFolder, UNDO_PATH);
        AppendText(system16, "\\SYSTEM", sizeof system16);
        if (PathBelow(path, run->systemFolder)) return NoLinksBelow(path, run->systemFolder);
        if (run->windowsFolder[0] && PathBelow(path, system16)) return NoLinksBelow(path, system16);
    }
    if ((also & ALLOW_FONT) && PathBelow(path, run->fontsFolder)) return NoLinksBelow(path, run->fontsFolder);
    return 0;
}

// ---- Files ----

static int Exists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

#ifdef UNDO_WHOLE_LOGS
// The Windows 95 family keeps the renames of the next start in the
// [rename] section of wininit.ini, where "NUL" as the target deletes.
static void RenameAtRestart9x(const char *from, const char *to) {
    char *section = (char *)Allocate(32768);
    if (!section) return;
    int used = (int)GetPrivateProfileSectionA("rename", section, 32768 - 600, "wininit.ini");
    char line[600];
    CopyText(line, to ? to : "NUL", MAX_PATH);
    AppendText(line, "=", sizeof line);
    AppendText(line, from, sizeof line);
    CopyText(section + used, line, 600);
    section[used + TextLength(line) + 1] = 0;
    WritePrivateProfileSectionA("rename", section, "wininit.ini");
    Release(section);
}

#endif

#ifdef UNDO_WHOLE_LOGS
// Files this run moves away or deletes at the next start: a created folder
// that holds nothing else goes after them.
#define LEAVING_MAX 32
static char s_leaving[LEAVING_MAX][UNDO_PATH];
static int s_leavingCount;
#endif

static void AtRestart(UndoRun *run, const char *from, const char *to, int line) {
#ifdef UNDO_WHOLE_LOGS
    if (s_leavingCount < LEAVING_MAX) CopyText(s_leaving[s_leavingCount++], from, UNDO_PATH);
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
        (names = (char *)Allocate((int)size + 2)) != 0)
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
    Release(names);
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
// left (0 when there was none).
static DWORD LowerSharedCount(UndoRun *run, const char *path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, type = 0, size = sizeof count;
    if (RegQueryValueExA(key, path, 0, &type, (BYTE *)&count, &size) != ERROR_SUCCESS || type != REG_DWORD ||
        size != sizeof count)
        count = 0;
    if (count > 1) {
        count--;
        RegSetValueExA(key, path, 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    } else {
        if (RegDeleteValueA(key, path) == ERROR_SUCCESS) run->changes++;
        count = 0;
    }
    RegCloseKey(key);
    return count;
}

// A replaced file that stays (still shared, marked to stay): nothing will
// restore its backup, which goes.
static void DropBackup(UndoRun *run, int i, int end) {
    char backup[MAX_PATH];
    UndoRecord *b = &run->records[i + 1];
    if (run->records[i].kind == REC_REPLACE && i + 1 < end && b->kind == REC_BACKUP &&
        RecordText(b, backup, sizeof backup) && PathAllowed(run, backup, 0))
        RemoveFile(run, backup, b->line);
}

// A file record ("Copy   :" or "Replace:" with its "Backup :").
static void UndoFile(UndoRun *run, int i, int start, int end) {
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
    if (!PathAllowed(run, path, also)) {
        Note(run, shared < 0 && PathBelow(path, run->systemFolder) ? NOTE_UNCOUNTED : NOTE_REFUSED, r->line, path);
        return;
    }
    // A shared file other products still count stays; the setup's own
    // rollback puts back the version they had.
    if (shared >= 0 && LowerSharedCount(run, path) > 0 && !(run->onlyLastBlock && r->kind == REC_REPLACE)) {
        Note(run, NOTE_STILL_SHARED, r->line, path);
        DropBackup(run, i, end);
        return;
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

// ---- Registry ----

static DWORD Decimal(const char *text) {
    DWORD n = 0;
    for (; *text >= '0' && *text <= '9'; text++) n = n * 10 + (DWORD)(*text - '0');
    return n;
}

static int EndsWith(const char *text, const char *end) {
    int n = TextLength(text), m = TextLength(end);
    return n >= m && SameText(text + n - m, end, m);
}

#ifdef UNDO_WHOLE_LOGS
// Keys Windows and other programs own: emptied keys below these are kept,
// except a product's own entries in the uninstall list and App Paths.
static int OwnedBySystem(int root, const char *key) {
    int depth = 1;
    for (const char *p = key; *p; p++)
        if (*p == '\\') depth++;
    if (depth < 2) return 1;
    if (root == 1) return 0;
    static const char *const owners[] = {"Software\\Microsoft\\", "System\\", "Software\\Classes\\",
                                         "Software\\Policies\\"};
    for (unsigned i = 0; i < sizeof owners / sizeof owners[0]; i++)
        if (SameText(key, owners[i], TextLength(owners[i]))) {
            static const char *const products[] = {"\\CurrentVersion\\Uninstall\\", "\\CurrentVersion\\App Paths\\"};
            for (unsigned j = 0; j < 2; j++)
                for (const char *p = key; *p; p++)
                    if (SameText(p, products[j], TextLength(products[j])) && p[TextLength(products[j])]) return 0;
            return 1;
        }
    return 0;
}

// Deletes the key and its parents while they are empty.
static void DeleteEmptyKeys(int root, char *key) {
    while (!OwnedBySystem(root, key)) {
        HKEY k;
        if (RegOpenKeyExA(RegistryRoot(root), key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return;
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyA(k, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0);
        RegCloseKey(k);
        if (subkeys || values || RegDeleteKeyA(RegistryRoot(root), key) != ERROR_SUCCESS) return;
        int n = TextLength(key);
        while (n > 0 && key[n - 1] != '\\') n--;
        if (n == 0) return;
        key[n - 1] = 0;
    }
}

#endif

static int RegistryValueMatches(HKEY key, const char *name, const char *data) {
    BYTE value[512];
    DWORD type = 0, size = sizeof value - 1;
    if (RegQueryValueExA(key, name, 0, &type, value, &size) != ERROR_SUCCESS) return -1;
    if (type == REG_DWORD && size == 4) return *(DWORD *)value == Decimal(data);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
    value[size] = 0;
    return lstrcmpA((const char *)value, data) == 0;
}

// "RegRoot:" ... "RegVal :": the value goes when it still holds what the
// setup wrote; a font value also leaves the font table.
static void UndoRegistryValue(UndoRun *run, int i) {
    char rootText[16], key[MAX_PATH], name[MAX_PATH], data[MAX_PATH];
    UndoRecord *r = run->records + i;
    RecordText(r, rootText, sizeof rootText);
    int root = (int)Decimal(rootText);
    if (!RegistryRoot(root) || !RecordText(r + 1, key, sizeof key) || !RecordText(r + 2, name, sizeof name) ||
        !RecordText(r + 3, data, sizeof data) || !key[0]) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    HKEY k;
    if (RegOpenKeyExA(RegistryRoot(root), key, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    const char *valueName = name[0] ? name : 0;
    int match = RegistryValueMatches(k, valueName, data);
    if (match == 1 && RegDeleteValueA(k, valueName) == ERROR_SUCCESS) run->changes++;
    RegCloseKey(k);
    if (match == 0) {
        Note(run, NOTE_CHANGED, r->line, name);
        return;
    }
    if (root == 3 && EndsWith(key, "\\CurrentVersion\\Fonts")) {
        if (PlainPath(data)) RemoveFontResourceA(data);
        DWORD_PTR result;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        return;
    }
#ifdef UNDO_WHOLE_LOGS
    DeleteEmptyKeys(root, key);
#endif
}

// ---- Groups ----

// The kind that must come right before a group member.
static int Before(int kind) {
    switch (kind) {
    case REC_REGKEY: return REC_REGROOT;
    case REC_REGNAME: return REC_REGKEY;
    case REC_REGVAL: return REC_REGNAME;
    case REC_INISEC: return REC_INIFILE;
    case REC_INIITEM: return REC_INISEC;
    case REC_INIOLD: return REC_INIITEM;
    }
    return 0;
}

static int GroupWhole(UndoRun *run, int i, int end) {
    UndoRecord *r = run->records;
    if (r[i].kind == REC_REGROOT)
        return i + 3 < end && r[i + 1].kind == REC_REGKEY && r[i + 2].kind == REC_REGNAME && r[i + 3].kind == REC_REGVAL;
    int v = i + 3;
    if (v < end && r[v].kind == REC_INIOLD) v++;
    return v < end && r[i + 1].kind == REC_INISEC && r[i + 2].kind == REC_INIITEM && r[v].kind == REC_INIVAL;
}

static void UndoRecordAt(UndoRun *run, int i, int start, int end) {
    UndoRecord *r = &run->records[i];
    char path[MAX_PATH];
    switch (r->kind) {
    case REC_DAMAGED:
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    case REC_COPY:
    case REC_REPLACE:
        UndoFile(run, i, start, end);
        return;
    case REC_BACKUP:
        if (i == start || run->records[i - 1].kind != REC_REPLACE || run->records[i - 1].mark != r->mark)
            Note(run, NOTE_DAMAGED, r->line, "");
        return;
    case REC_EXISTED:
        if (!RecordText(r, path, sizeof path) || FindRecord(run, REC_COPY, i - 1, i, path) < 0)
            Note(run, NOTE_DAMAGED, r->line, "");
        return;
    case REC_CSHARED:
        // A shared file the setup kept (its version was newer): the count
        // goes down, the file stays.
        if (!RecordText(r, path, sizeof path) || !PlainPath(path))
            Note(run, NOTE_DAMAGED, r->line, "");
        else
            LowerSharedCount(run, path);
        return;
    case REC_REGKEY:
    case REC_REGNAME:
    case REC_REGVAL:
    case REC_INISEC:
    case REC_INIITEM:
    case REC_INIOLD:
    case REC_INIVAL: {
        int before = Before(r->kind);
        int ok = i > start && (r[-1].kind == before || (r->kind == REC_INIVAL && (r[-1].kind == REC_INIITEM ||
                                                                                   r[-1].kind == REC_INIOLD)));
        if (!ok) Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    case REC_REGROOT:
        if (!GroupWhole(run, i, end))
            Note(run, NOTE_DAMAGED, r->line, "");
        else
            UndoRegistryValue(run, i);
        return;
    case REC_INIFILE:
        if (!GroupWhole(run, i, end)) {
            Note(run, NOTE_DAMAGED, r->line, "");
            return;
        }
        // fall through
    case REC_SELFREG:
    case REC_SELFTLB:
    case REC_SLINK:
    case REC_ODBC:
    case REC_ODBCDSN:
        if (r->mark) {
            RecordText(r, path, sizeof path);
            Note(run, NOTE_LEFT_IN_PLACE, r->line, path);
        } else if (run->later) {
            run->later(run, i);
        } else {
            RecordText(r, path, sizeof path);
            Note(run, NOTE_NOT_UNDONE, r->line, path);
        }
        return;
    }
}

int UndoBlocks(UndoRun *run) {
    UndoRecord *r = run->records;
    // Records before an "Undone :" mark of their block were undone when
    // they were written (the setup rolled its run back).
    for (int i = run->count - 1; i >= 0; i--) {
        if (r[i].kind != REC_UNDONE) continue;
        for (int j = BlockStart(run, i); j < i; j++) run->done[j] = DONE_BEFORE_MARK;
        i = BlockStart(run, i);
    }
    int pending = 0;
    int end = run->count;
    for (int b = run->count - 1; b >= 0; b--) {
        if (r[b].kind != REC_BLANK) continue;
        int start = b + 1;
        for (int i = end - 1; i >= start; i--) {
            if (run->done[i]) continue;
#ifdef UNDO_WHOLE_LOGS
            if (run->resumeLine && r[i].line >= run->resumeLine) {
                // Undone by the interrupted run, shared count included.
                if (r[i].kind == REC_COPY || r[i].kind == REC_REPLACE) {
                    char path[MAX_PATH];
                    RecordText(&r[i], path, sizeof path);
                    int shared = FindRecord(run, REC_CSHARED, start, end, path);
                    if (shared >= 0) run->done[shared] = 1;
                }
                continue;
            }
#endif
            if (r[i].kind != REC_INFO && r[i].kind != REC_CREATE && r[i].kind != REC_LOCKED &&
                r[i].kind != REC_UNDONE && r[i].kind != REC_EXISTED)
                pending++;
            UndoRecordAt(run, i, start, end);
            if (run->step && !run->step(run, r[i].line)) {
                run->stopped = 1;
                return pending;
            }
        }
        end = b;
        if (run->onlyLastBlock) break;
    }
    return pending;
}

#ifdef UNDO_WHOLE_LOGS
// 1 when everything the folder holds goes at the next start: files this
// run deletes or moves away then (the running uninstaller among them), and
// folders on their way.
static int HoldsOnlyLeaving(const char *folder) {
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

void RemoveCreatedFolders(UndoRun *run) {
    UndoRecord *r = run->records;
    int first = run->onlyLastBlock ? BlockStart(run, run->count) : 0;
    int blank = 0;  // records before the first block belong to none
    while (blank < run->count && r[blank].kind != REC_BLANK) blank++;
    if (first <= blank) first = blank + 1;
    // The depth of each folder to remove, or -1.
    short *depths = (short *)Allocate((run->count + 1) * (int)sizeof(short));
    if (!depths) return;
    int deepest = 0;
    for (int i = first; i < run->count; i++) {
        depths[i] = -1;
        if (r[i].kind != REC_CREATE || run->done[i] == DONE_BEFORE_MARK) continue;
        char path[MAX_PATH];
        if (!RecordText(&r[i], path, sizeof path)) {
            Note(run, NOTE_DAMAGED, r[i].line, "");
            continue;
        }
        short d = 0;
        for (int c = 0; path[c + 1]; c++)
            if (path[c] == '\\') d++;
        depths[i] = d;
        if (d > deepest) deepest = d;
    }
    // Deepest first: a folder's sub-folders go before it.
    for (int depth = deepest; depth >= 0; depth--)
        for (int i = first; i < run->count; i++) {
            if (depths[i] != depth) continue;
            char path[MAX_PATH];
            RecordText(&r[i], path, sizeof path);
            int n = TextLength(path);
            if (n > 3 && path[n - 1] == '\\') path[n - 1] = 0;
            if (!PathAllowed(run, path, 0)) {
                Note(run, NOTE_REFUSED, r[i].line, path);
                continue;
            }
            DWORD a = GetFileAttributesA(path);
            if (a == INVALID_FILE_ATTRIBUTES) continue;
            if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
                Note(run, NOTE_REFUSED, r[i].line, path);
                continue;
            }
            if (RemoveDirectoryA(path)) {
                run->changes++;
#ifdef UNDO_WHOLE_LOGS
            } else if (HoldsOnlyLeaving(path)) {
                // It goes at the next start after what it holds.
                if (!Windows9x()) MoveFileExA(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
                if (s_leavingCount < LEAVING_MAX) CopyText(s_leaving[s_leavingCount++], path, UNDO_PATH);
#endif
            } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
                Note(run, NOTE_HOLDS_FILES, r[i].line, path);
            }
        }
    Release(depths);
}
