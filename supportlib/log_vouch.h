// The setup's word for its install log. The log lies in the product's
// folder, where anyone who may write that folder may change it, and the
// uninstaller that reads it is often run by an administrator. After each
// run the setup keeps the SHA-1 digest of the log's bytes under a key only
// the installing account may write (HKEY_LOCAL_MACHINE when it can, else
// HKEY_CURRENT_USER), with the number of the log's installations it does
// not vouch for: those in front of the run when the log had been changed
// since the setup last wrote it. The uninstaller acts outside the product's
// folder only on records the word covers. The support library keeps the
// word for the setup (its entry "SEALLOG"); the uninstaller reads it.
#pragma once
#include <windows.h>

// HKLM or HKCU; one binary value a log, named by the log's full path.
#define LOG_VOUCH_KEY "Software\\KVX32\\Install Logs"

struct LogWord {
    DWORD unvouched;  // installations (blocks) in front the word leaves out
    BYTE digest[20];  // SHA-1 of the log's bytes
};

// The file's bytes (HeapAlloc; HeapFree them); 0 when it cannot be read
// whole.
char *ReadWholeFile(const char *path, DWORD *size);
// SHA-1 of the bytes; 0 when the system cannot make one (the first
// Windows 95 has no cryptography functions).
int LogDigest(const char *data, DWORD size, BYTE *digest);
// Lines that hold a single blank: each opens one installation's records.
int LogBlocks(const char *data, DWORD size);
// The word's count of installations left out, when a word stored for the
// log (HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER) names this digest; -1
// when none does. The path is the log's full path.
int VouchedFrom(const char *logPath, const BYTE *digest);

// The library for the setup: starting, before the run changes the log
// (notes whether the log is as the setup left it), and once the log is
// closed (stores the word).
void VouchForLog(const char *logPath, int starting);
// The uninstaller, once the log is gone.
void ForgetLogVouch(const char *logPath);
