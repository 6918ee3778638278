// The install log: one-line records written through the support library's
// LOGINFO, and a [DLG] section with texts for the uninstaller.
#pragma once
#include <windows.h>

#define LOG_BANNER "*** KVX32 Vantrel 3.0"

// One record: tag, blank, text, CR LF. Lost when the log is not open.
void LogRecord(const char *tag, const char *text);
// A file record's tag ("Copy   :"): with variant set the closing ":"
// becomes ";".
void LogFileRecord(const char *tag, int variant, const char *text);
// "Copy   :" for a file written; "Existed:" after it when a file stood
// there before (written over without a backup: the uninstaller keeps it).
void LogCopied(const char *path, int existed);
int InstallLogOpen();
// The support library's word for the log (a digest under HKLM, or HKCU,
// that the uninstaller checks before it acts outside the product's
// folder): before the run changes the log (starting) and once it is
// closed. A library without the entry gives none.
void SealInstallLog(int starting);
// The four records of a registry value under HKEY_LOCAL_MACHINE.
void LogRegistryValue(const char *key, const char *name, const char *value);

// Copy-page start: works out the log path from [DLG] "LO", creates its
// folder and the installation folder (unless in test mode), opens or
// creates the log, writes the banner and the uninstaller's [DLG] section.
// Returns 1 when the installation folder was created, LOG_UNUSABLE when
// no log can be written (a folder in its place, no right to write): the
// copy must not start. A log that does not begin with the banner is moved
// to its first free numbered name ("install.001") and a fresh one started.
#define LOG_UNUSABLE (-1)
int OpenInstallLog();
// The empty record and the four header records; stores %INSTDATE%.
void WriteLogHeader();
// "%02i/%02i/%i %02i:%02i:%02i" of the start time.
void FormatTimeStamp(char *buffer, int size);
