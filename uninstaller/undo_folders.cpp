// The folders the setup created: removed deepest first when empty.
#include "uninstaller/reversal.h"
#include "base/text.h"

// A program group the setup made in a shell folder: a folder below one (not
// one of them itself) that holds a shortcut of the same block.
static int ProgramGroup(UndoRun *run, int i, const char *path) {
#ifdef UNDO_WHOLE_LOGS
    if (!PathAllowed(run, path, ALLOW_SHELL)) return 0;
    for (int k = 0; k < run->rootCount; k++)
        if (SamePath(path, run->roots[k])) return 0;
    char link[MAX_PATH];
    for (int k = BlockStart(run, i), end = BlockEnd(run, i); k < end; k++)
        if (run->records[k].kind == REC_SLINK && RecordText(run->records + k, link, sizeof link) &&
            PathBelow(link, path))
            return 1;
#endif
    (void)run, (void)i, (void)path;
    return 0;
}

void RemoveCreatedFolders(UndoRun *run) {
    UndoRecord *r = run->records;
    int first = run->onlyLastBlock ? BlockStart(run, run->count) : 0;
    int blank = 0;  // records before the first block belong to none
    while (blank < run->count && r[blank].kind != REC_BLANK) blank++;
    if (first <= blank) first = blank + 1;
    // The depth of each folder to remove, or -1.
    short *depths = (short *)UndoAllocate((run->count + 1) * (int)sizeof(short));
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
#ifdef UNDO_WHOLE_LOGS
#ifdef UNDO_WHOLE_LOGS
            run->vouched = r[i].line >= run->trustFromLine;
#endif
#endif
            if (!PathAllowed(run, path, 0) && !ProgramGroup(run, i, path)) {
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
                LeaveAtRestart(path);
#endif
            } else if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
                Note(run, NOTE_HOLDS_FILES, r[i].line, path);
            }
        }
    UndoRelease(depths);
}
