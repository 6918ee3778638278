// The file copy engine: for the current payload entry and its file record,
// decides whether the file is installed, kept or left out, protects the
// file it replaces, has the support library write it and logs the outcome.
#pragma once
#include <windows.h>

// Control ids of the detection and copy pages.
#define IDC_FILE_BAR 105
#define IDC_OVERALL_BAR 106
#define IDC_FILE_FRAME 107
#define IDC_OVERALL_FRAME 1501
#define IDC_OVERALL_FRAME_SMALL 108
#define IDC_TARGET_TEXT 561
#define IDC_PHASE_TEXT 562
#define IDC_DESCRIPTION_TEXT 565
#define IDC_PAGE_TITLE 807
#define IDC_PAGE_SUBTITLE 900

#define BILLBOARD_FOLDER "%BILLBOARD%\\"

enum SkipState { SKIP_NONE = 0, SKIP_LEFT_OUT = 1, SKIP_KEPT = 2 };

// What became of one entry.
enum EntryResult {
    ENTRY_INSTALLED = 0,   // handled; the walk goes on (skipped files too)
    ENTRY_UNPACK_FAILED,   // KWP_UNPACK refused or failed
    ENTRY_NO_RECORD,       // the file script has no record for the entry
    ENTRY_BAD_RECORD,      // the record is malformed or names another file
    ENTRY_PATH_TOO_LONG,   // the target path does not fit its buffer
    ENTRY_TARGET_OUTSIDE,  // the name or folder text leads out of its folder
    ENTRY_NOT_WRITTEN      // the library reported success, nothing is there
};

// Skip state of the entry handled last.
extern int g_lastSkipState;

enum TargetResult { TARGET_OK = 0, TARGET_TOO_LONG, TARGET_OUTSIDE };
// Target path of an entry (255 bytes) and whether it may be used: it fits,
// and it stays inside the installation folder or the folder of the
// variable its folder text begins with.
int BuildTargetPath(const char *name, const char *folderText, char *target, int size);
// The target path as shown in 561: shortened beyond 100 characters.
void BuildDisplayPath(const char *target, const char *name, const char *folderText, char *display, int size);
// Steps 1 to 4 of the decision for record and target; *replace tells
// whether an existing file would be replaced. Returns the skip state.
// attributes: the target's, as GetFileAttributesA gave them.
int DecideFile(const char *record, const char *target, DWORD attributes, int *replace);
// Handles the current entry of g_entryRecord with the next file record.
// page: the page whose texts show the file (0 without a window).
int InstallCurrentEntry(HWND page);
// The reason for a failed entry, for the log.
const char *EntryResultText(int result);
