#include "startup/shutdown.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "payload/leftovers.h"
#include "script/settings.h"
#include "script/text_blocks.h"
#include "install/billboards.h"
#include "install/install_log.h"
#include "base/settings.h"
#include "wizard/wizard.h"

void ReportInstallerError(const char *code) {
    char text[160];
    wsprintfA(text, "Installer Error: %s\n\nPlease contact the vendor of this installation file.", code);
    MessageBoxA(0, text, g_messageTitle, MB_ICONSTOP);
    FreeStartupBuffers();
    UnloadLibraries();
    DeleteTempFiles();
}

void UnloadLibraries() {
    if (g_support.module) FreeLibrary(g_support.module);
    if (g_plugin.present && g_plugin.module) FreeLibrary(g_plugin.module);
    if (g_odbc.present && g_odbc.module) FreeLibrary(g_odbc.module);
}

void FreeStartupBuffers() {
    if (g_textBuffer) LocalFree(g_textBuffer);
    if (g_summaryBuffer) LocalFree(g_summaryBuffer);
}

static void DeleteIfNamed(const char *path) {
    if (path[0]) DeleteFileA(path);
}

void DeleteTempFiles() {
    FreeTextBlockFile();
    DeleteIfNamed(g_supportLibraryPath);
    DeleteIfNamed(g_mainScriptPath);
    CloseFileScript();
    DeleteIfNamed(g_fileScriptPath);
    DeleteIfNamed(g_textBlockPath);
    for (int i = 0; i < 3; i++) DeleteIfNamed(g_picturePath[i]);
    DeleteIfNamed(g_billboardPath);
    if (g_plugin.present) DeleteIfNamed(g_pluginPath);
    if (g_odbc.present) DeleteIfNamed(g_odbcPath);
    EndLeftovers();
}

void ExitQuietly() {
    UnloadLibraries();
    DeleteTempFiles();
    FreeStartupBuffers();
}

ExitWindowsFunction g_exitWindows;  // none: ExitWindowsEx itself

static BOOL EndSession(UINT flags, DWORD reason) {
    return (g_exitWindows ? g_exitWindows : ExitWindowsEx)(flags, reason);
}

int RestartWindows() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return 0;
    TOKEN_PRIVILEGES privileges;
    LookupPrivilegeValueA(0, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, 0, 0);
    int ok = GetLastError() == 0 ? EndSession(EWX_REBOOT | EWX_FORCE, 0) : 0;
    CloseHandle(token);
    return ok;
}

int ChooseRestart(int setupStatus, int restartNeeded, int logOffFlag, int silent) {
    if (setupStatus != 0 || !restartNeeded) return RESTART_NONE;
    return logOffFlag && silent ? RESTART_LOG_OFF : RESTART_ASK;
}

void RestartAfterQuestion(int platform) {
    if (platform == 2)
        RestartWindows();
    else
        EndSession(EWX_REBOOT, 0);
}

void FinishRun() {
    // The log closes first: the support library keeps the word for it.
    if (g_installLog && g_installLog != HFILE_ERROR) {
        _lclose(g_installLog);
        SealInstallLog(0);
    }
    UnloadLibraries();
    char question[255];
    ReadDlgText("C25", question, sizeof question);
    // Read before the main script's temp copy goes away with the temp files.
    int logOffFlag = ReadDlgInt("srb", 0) != 0;
    FreeStartupBuffers();
    DeleteTempFiles();
    if (g_richEdit) FreeLibrary(g_richEdit);
    // A run that installed nothing (cancelled before the copy ended) has
    // nothing to finish at a restart.
    switch (ChooseRestart(g_setupStatus, g_restartNeeded && WizardCopyFinished(), logOffFlag, g_silentMode)) {
    case RESTART_LOG_OFF:
        EndSession(EWX_LOGOFF, (DWORD)-1);
        break;
    case RESTART_ASK:
        if (MessageBoxA(0, question, g_messageTitle, MB_OKCANCEL) == IDOK) RestartAfterQuestion(g_platform);
        break;
    }
}
