// The system changes the copy page makes around the file walk, each owned
// by its own unit: [DIR] folders and [GRP] shortcuts, [INI] changes, ODBC,
// Clarion templates, and the billboard display of the copy page.
#pragma once
#include <windows.h>

void CreateScriptFolders();        // [DIR]
void CreateShortcuts();            // [GRP]
void ChangeIniFiles();             // [INI]
void InstallOdbcEntries();         // [ODBC]
void RegisterClarionTemplates();   // [TPL]
void RegisterUninstallEntry();     // [UNINST] "Register": Add/Remove Programs
// Unpacks the current billboard entry and shows it as picture 43.
void ShowBillboardEntry(HWND page);

// Helpers the list units share.
// The item's component letter ("+%iz", empty: always) is among the
// selected ones.
int ItemLetterSelected(const char *section, int item);
// ItemLetterSelected and the item's condition (CHECKCONDITION).
int ItemChosen(const char *section, int item);
// Non-zero when a path holds a ".." step, which would lead out of the
// folder the script names.
int ClimbsOut(const char *path);
// Creates a missing folder with "Create :" for every level it made,
// outermost first.
void CreateLoggedFolder(const char *folder);
// The record for an item that was passed over, with the reason.
void LogPassedOver(const char *why, const char *subject);
// Builds a script path (a text starting with "%" as it is, anything else
// below the installation folder) expanded with mode 3. 0 when the text
// climbs out of its folder or the result does not fit size (it is then
// recorded as passed over with `what`).
int BuildItemPath(const char *text, char *result, int size, const char *what);
