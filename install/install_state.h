// State of the installation that the detection page, the copy page and the
// file copy engine share. Lives from start-up to exit.
#pragma once
#include <windows.h>

// The folder and setup type the wizard's pages chose.
#include "wizard/choices.h"

extern DWORD g_progressCounter;     // steps done (files and records)
extern DWORD g_overallPercent;      // counter * 100 / total steps
extern HWND g_progressPage;         // page whose bars receive progress
extern int g_perFileProgressOff;    // field 17 of the current record
extern char g_installLogPath[127];
extern char g_uninstallerPath[255];  // where the entry "uninstx.exe" goes
extern DWORD g_installedKB;          // kilobytes of the files put in place
extern char g_backupFolder[127];
extern WORD g_backupsOn;            // [DLG] "BU"
extern DWORD g_unpackOptions;       // option word of KWP_UNPACK
extern int g_skipOptimised;         // [FLE] "OPT"
extern UINT g_progressMessage;      // "CKWP1"
extern UINT g_progressMessage2;     // "CKWP2"

// Total steps as the bars count them: [DLG] "NO", 0 read as 1.
DWORD TotalSteps();
// Progress counter += 1 and the overall percent recomputed.
void CountStep();
