// Process-wide state of the support library and its small helpers.
#pragma once
#include <windows.h>
#include "payload/support_entries.h"
#include "supportlib/entry_header.h"

#define LIBRARY_ENTRY extern "C" __declspec(dllexport) int SUPPORT_CALL

extern DWORD g_entryPosition;       // file offset of the next payload entry
extern EntryHeader g_entry;         // the entry KWP_NEXTLOOP returned last
extern DWORD g_entryData;           // file offset of its stored data
extern int g_entryPending;          // 1 until KWP_UNPACK took it
extern HWND g_progressWindow;       // 0 during start-up and in silent setups
extern UINT g_progressMessage;      // "CKWP1": per-file progress in percent
extern int g_logHandle;
extern char g_scriptPath[MAX_PATH];
extern char g_fileScriptPath[MAX_PATH];
extern char g_newName[MAX_PATH];
extern char g_componentLetters[21];
extern int g_platformCode;         // INITMAK: 1 Windows 95 family, 2 NT family

// Bounded text helpers (size counts the NUL).
void CopyBounded(char *dst, const char *src, int size);
void AppendBounded(char *dst, const char *src, int size);
// Writes one install-log record to the handle (no-op without one).
void WriteLogRecord(const char *tag, const char *text, int handle);
// Removes what killed runs left (their journals' files and work files) and
// logs each file as "Cleanup:" (killed_runs.cpp).
void RemoveKilledRunsLeftovers(int logHandle);
// Lists a folder the library writes a work file into in its own journal
// (a folder listed last is not listed again); the journal goes when the
// library is unloaded.
void NoteWorkFolder(const char *folder);
void EndWorkJournal();
// Tells the user about a failure: caption, message text and the subject
// (a file or folder). Without a progress window (start-up, silent setups)
// nothing blocks: the text goes to the install log and the debugger output.
void ReportProblem(const char *caption, const char *text, const char *subject);
// Asks a yes/no question with the caption "Unpack"; without a progress
// window (start-up, silent setups) the answer is no without asking.
bool AskYesNo(const char *text);
// Creates every missing folder of path; true when it exists afterwards.
bool CreateFolders(const char *path);
extern "C" int SUPPORT_CALL CONVERTMACRO(char *buffer, int mode);
