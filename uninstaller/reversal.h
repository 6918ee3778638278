// Reversal of install-log records: the uninstaller undoes whole logs with
// it (built with UNDO_WHOLE_LOGS: resuming a stopped run, the running
// program's own file, emptied registry keys, the Windows 95 family's
// restart renames), and the setup undoes its own run's block when the copy
// stops half way. It reads records from a text in memory and changes the
// machine only inside the places its caller allows.
#pragma once
#include <windows.h>

#define UNDO_MAX_ROOTS 16
#define UNDO_PATH 260

// What a note tells the caller about a record it did not carry out.
enum UndoNote {
    NOTE_DAMAGED = 1,     // unknown tag, broken group, line too long
    NOTE_REFUSED,         // a path outside the allowed places or unsafe
    NOTE_LEFT_IN_PLACE,   // the record's ";" mark
    NOTE_STILL_SHARED,    // shared count still above zero
    NOTE_HOLDS_FILES,     // folder kept: it holds files no record names
    NOTE_CHANGED,         // value or file changed since the install
    NOTE_NO_BACKUP,       // replaced file kept: its backup is gone
    NOTE_AT_RESTART,      // in use: removed at the next Windows start
    NOTE_NOT_UNDONE,      // a kind of record this run does not undo
    NOTE_NOT_VOUCHED,     // outside the product's folders, and the setup
                          // does not vouch for the record
    NOTE_NOT_COUNTED,     // a system file no shared count names
    NOTE_WRITTEN_OVER,    // a file that was there before: no backup to restore
};

enum UndoKind {
    REC_OTHER, REC_BLANK, REC_INFO, REC_CREATE, REC_COPY, REC_REPLACE, REC_BACKUP, REC_LOCKED,
    REC_CSHARED, REC_REGROOT, REC_REGKEY, REC_REGNAME, REC_REGVAL, REC_SELFREG, REC_SELFTLB, REC_SLINK,
    REC_INIFILE, REC_INISEC, REC_INIITEM, REC_INIOLD, REC_INIVAL, REC_ODBC, REC_ODBCDSN, REC_UNDONE,
    REC_DAMAGED, REC_EXISTED
};
// Records newer setups add to the ones above; logs without them are read as
// before:
//   "Existed: path"  right after "Copy   : path": a file stood there before
//                    the setup wrote over it without a backup; it is kept
//                    and named, never deleted.
//   "Cleanup: path"  what a killed run left (a work file, a temp file) and
//                    this run removed; nothing to undo.
//   "Create : path"  also for every folder the copy made for a file: a
//                    folder is removed only when such a record names it.

struct UndoRecord {
    const char *text;   // the text after the tag (not terminated)
    short length;       // of the text
    unsigned char kind; // UndoKind
    unsigned char mark; // 1: the ";" variant
    int line;           // 1-based line number in the log
};

struct UndoRun;
// Records that only the uninstaller undoes (self-registration, shortcuts,
// INI changes, ODBC): the handler gets the index of the record.
typedef void (*UndoLaterHandler)(UndoRun *run, int index);

struct UndoRun {
    // Places where files and folders may be removed ("C:\Product"), the
    // system folder (only files the log counts as shared) and the Windows
    // folder (INI files only).
    char roots[UNDO_MAX_ROOTS][UNDO_PATH];
    int rootCount;
    int productRoots;  // the first roots: the product's own folders
    char systemFolder[UNDO_PATH];
    char fontsFolder[UNDO_PATH];
    char windowsFolder[UNDO_PATH];
    // Records at or after this line were undone by an earlier, interrupted
    // run (0: none).
    int resumeLine;
    // 1: only the newest block (the setup's rollback of its own run).
    int onlyLastBlock;
    // Records before this line are not vouched for by the setup (the log
    // was changed behind its back): they change nothing outside the
    // product's own folders (0: all are vouched for).
    int trustFromLine;
    // Whether the record being undone is vouched for (RECORD_VOUCHED).
    int vouched;
    // Callbacks; each may be 0.
    void (*note)(UndoRun *run, int note, int line, const char *subject);
    // Called after each record; returns 0 to stop the run.
    int (*step)(UndoRun *run, int line);
    UndoLaterHandler later;
    void *context;

    // Filled by ParseUndoLog.
    UndoRecord *records;
    int count;
    unsigned char *done;
    // Results.
    int changes;        // records that changed something
    int notes;          // records noted
    int restartNeeded;  // a file waits for the next Windows start
    int stopped;        // step() asked to stop
    int ownPathSet;
    char ownPath[UNDO_PATH];    // the running uninstaller: goes at the next start
};

#ifdef UNDO_WHOLE_LOGS
#define RECORD_VOUCHED(run) ((run)->vouched)
#else
#define RECORD_VOUCHED(run) 1  // the setup's own run
#endif

// Splits the log text into records (the text must outlive the run).
// Returns 0 when memory runs out.
int ParseUndoLog(UndoRun *run, const char *text, int length);
// Undoes every block of records, newest first; records before an "Undone :"
// record of their block are passed over. Returns the number of records
// that were still to undo.
int UndoBlocks(UndoRun *run);
// Removes the folders the undone blocks created, deepest first, when they
// are empty. Call after UndoBlocks (and after removing the log itself).
void RemoveCreatedFolders(UndoRun *run);
void FreeUndoRun(UndoRun *run);

// A record's done mark for records an earlier "Undone :" mark of their
// block says were undone when they were written.
#define DONE_BEFORE_MARK 2

// The record families (undo_files.cpp, undo_registry.cpp), which the walk
// hands their records to.
// A file record ("Copy   :" or "Replace:" with its "Backup :") of the
// block [start, end).
void UndoFile(UndoRun *run, int i, int start, int end);
// Lowers the file's shared count; at 0 the value goes. Returns the count
// it found (0 when there was none).
DWORD LowerSharedCount(UndoRun *run, const char *path);
// "RegRoot:" ... "RegVal :" starting at record i.
void UndoRegistryValue(UndoRun *run, int i);
#ifdef UNDO_WHOLE_LOGS
// Files and folders this run removes at the next Windows start.
void LeaveAtRestart(const char *path);
// 1 when everything the folder holds goes at the next start.
int HoldsOnlyLeaving(const char *folder);
#endif

// Helpers the record families share.
void *UndoAllocate(int bytes);
void UndoRelease(void *p);
// Texts compared without case: n characters, and whole paths.
int SameText(const char *a, const char *b, int n);
int SamePath(const char *a, const char *b);
// The record's text as a terminated path; 0 when it does not fit.
int RecordText(const UndoRecord *r, char *buffer, int size);
// 1 when the path may be changed: a full local path inside an allowed place
// (or the system or fonts folder when also says so), no "..", device name
// or folder link.
// Shell folders (ALLOW_SHELL) only for shortcuts and program groups, and
// none of these for a record the setup does not vouch for.
enum { ALLOW_SHARED = 1, ALLOW_FONT = 2, ALLOW_SHELL = 4 };
int PathAllowed(UndoRun *run, const char *path, int also);
// A full local path ("X:\a\b") whose parts are plain names.
int PlainPath(const char *path);
// Deletes a file, or schedules it for the next Windows start when it is in
// use. Returns 1 when it is gone or scheduled.
int RemoveFile(UndoRun *run, const char *path, int line);
void Note(UndoRun *run, int note, int line, const char *subject);
// 1 when path lies strictly below folder (case ignored).
int PathBelow(const char *path, const char *folder);
// Index of the first record of kind in [from, to) whose text equals path.
int FindRecord(UndoRun *run, int kind, int from, int to, const char *path);
int BlockEnd(UndoRun *run, int index);
int BlockStart(UndoRun *run, int index);
// 1 on the Windows 95/98/ME family.
int Windows9x();
