// The uninstaller's handlers for the records of the setup's finishing steps.
#pragma once
#include "uninstaller/reversal.h"

// Shell folders (Start menu, desktop ...) below which emptied program
// groups are removed.
extern char g_shellFolders[UNDO_MAX_ROOTS][UNDO_PATH];
extern int g_shellFolderCount;

void UndoLaterRecord(UndoRun *run, int index);

// The families (undo_shell.cpp, undo_system.cpp).
void UndoShortcut(UndoRun *run, int index);
void UndoIniChange(UndoRun *run, int index);
void UndoSelfRegistration(UndoRun *run, int index);
void UndoOdbc(UndoRun *run, int index);
// Ends what the handlers started (OLE).
void EndLaterRecords();
