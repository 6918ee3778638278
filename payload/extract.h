// The payload at start-up: the support library copied out of the program
// file and expanded, and the setup files unpacked into private temp files.
#pragma once
#include <windows.h>
#include "payload/payload_layout.h"

extern char g_supportLibraryPath[127];
extern char g_workingFolder[127];
extern char g_picturePath[3][127];
extern char g_textBlockPath[127];
extern char g_fileScriptPath[127];
extern char g_odbcPath[127];
extern char g_pluginPath[127];
extern char g_mainScriptPath[127];
extern int g_lastUnpackResult;
extern HFILE g_fileScript;
extern char g_entryRecord[ENTRY_RECORD_SIZE];

// Name and destination folder text of the current entry record.
const char *EntryName();
const char *EntryFolderText();

// 0 on success, -1 when the program file or the first temp file did not open.
int ExtractSupportLibrary();
// Unpacks the setup files up to and including the main script (mode 0).
// Returns 1 when the main script was reached, 0 when the library reported
// no entry left before it.
int UnpackStartupEntries(int mode);
void OpenFileScript(const char *path);
void CloseFileScript();
