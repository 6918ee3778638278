// Tests the copy engine makes on an installed file before it replaces it,
// and the names it gives to backups and to files waiting for a restart.
#pragma once
#include <windows.h>

enum CompareRule { RULE_NOT_OLDER = 0, RULE_NEWER = 1 };

// Version text "%d.%d.%d.%d" of the file's version resource; 0 when it has
// none (buffer at least 50 bytes).
int ReadFileVersionText(const char *path, char *buffer, int size);
// Non-zero: the record's version says replace the installed file.
int VersionSaysReplace(const char *installedPath, const char *recordVersion, int rule);
// Same for the date (YYYYMMDD) and time (HHMMSS) of the record.
int DateSaysReplace(const char *installedPath, DWORD recordDate, DWORD recordTime, int rule);
// Non-zero when another program holds the file so that it cannot be opened
// for exclusive writing (the read-only attribute is cleared for the test and
// restored afterwards).
int FileInUse(const char *path);
// The first free "base.001", "base.002", ... of path (extension replaced);
// 0 when none of 001 to 999 is free.
int NumberedBackupName(const char *path, char *result, int size);
// A free temporary name "VTxx.xxx" in folder (empty: the current folder),
// made from the template "VTXXXXXX" and the process id; 0 when none is free.
int TemporaryName(const char *folder, char *name, int size);
// Splits a version text into four numbers (at "." or ",", first 20 chars).
void SplitVersion(const char *text, long parts[4]);
