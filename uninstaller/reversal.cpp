// The walk over an install log's blocks, newest first, that hands each
// record to the unit of its family.
#include "uninstaller/reversal.h"
#include "base/text.h"

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
#ifdef UNDO_WHOLE_LOGS
    case REC_EXISTED:
        if (!RecordText(r, path, sizeof path) || FindRecord(run, REC_COPY, i - 1, i, path) < 0)
            Note(run, NOTE_DAMAGED, r->line, "");
        return;
#endif
    case REC_CSHARED:
        // A shared file the setup kept (its version was newer): the count
        // goes down, the file stays.
        if (!RecordText(r, path, sizeof path) || !PlainPath(path))
            Note(run, NOTE_DAMAGED, r->line, "");
        else if (!RECORD_VOUCHED(run))
            Note(run, NOTE_NOT_VOUCHED, r->line, path);
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
        if (!GroupWhole(run, i, end)) {
            Note(run, NOTE_DAMAGED, r->line, "");
        } else if (!RECORD_VOUCHED(run)) {
            RecordText(r + 1, path, sizeof path);
            Note(run, NOTE_NOT_VOUCHED, r->line, path);
        } else {
            UndoRegistryValue(run, i);
        }
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
#ifdef UNDO_WHOLE_LOGS
#ifdef UNDO_WHOLE_LOGS
            run->vouched = r[i].line >= run->trustFromLine;
#endif
#endif
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
