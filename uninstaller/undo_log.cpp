// Reading an install log into records: the record tags, blocks, and the
// index that finds a path's records.
#include "uninstaller/reversal.h"
#include "base/text.h"

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

void *UndoAllocate(int bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (SIZE_T)bytes); }
void UndoRelease(void *p) {
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
    run->records = (UndoRecord *)UndoAllocate(lines * (int)sizeof(UndoRecord));
    run->done = (unsigned char *)UndoAllocate(lines);
    int buckets = 16;
    while (buckets < lines * 2) buckets <<= 1;
    s_index.heads = (int *)UndoAllocate(buckets * (int)sizeof(int));
    s_index.next = (int *)UndoAllocate(lines * (int)sizeof(int));
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
    UndoRelease(run->records);
    UndoRelease(run->done);
    UndoRelease(s_index.heads);
    UndoRelease(s_index.next);
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
