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
// Unpacks the current billboard entry and shows it as picture 43.
void ShowBillboardEntry(HWND page);
