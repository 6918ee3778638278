#include "install/install_state.h"
#include "base/settings.h"

DWORD g_progressCounter;
DWORD g_overallPercent;
HWND g_progressPage;
int g_perFileProgressOff;
char g_installLogPath[127];
char g_uninstallerPath[255];
DWORD g_installedKB;
char g_backupFolder[127];
WORD g_backupsOn;
DWORD g_unpackOptions;
int g_skipOptimised;
UINT g_progressMessage;
UINT g_progressMessage2;

DWORD TotalSteps() { return g_recordsPerTick > 0 ? (DWORD)g_recordsPerTick : 1u; }

void CountStep() {
    g_progressCounter++;
    g_overallPercent = g_progressCounter * 100u / TotalSteps();
}
