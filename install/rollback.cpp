#include "install/rollback.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "base/settings.h"
#include "base/text.h"
#include "uninstaller/reversal.h"

static UndoRun s_run;

void RollBackRun(const char *why) {
    if (g_testMode || !InstallLogOpen()) return;
    HANDLE f = CreateFileA(g_installLogPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(f, 0), got = 0;
    char *text = size != INVALID_FILE_SIZE ? (char *)HeapAlloc(GetProcessHeap(), 0, size + 1) : 0;
    if (text) ReadFile(f, text, size, &got, 0);
    CloseHandle(f);
    if (!text) return;

    UndoRun *run = &s_run;
    CopyText(run->roots[0], g_installFolder, UNDO_PATH);
    run->rootCount = run->productRoots = 1;
    GetSystemDirectoryA(run->systemFolder, UNDO_PATH);
    CopyText(run->windowsFolder, g_windowsDir, UNDO_PATH);
    CopyText(run->fontsFolder, g_windowsDir, UNDO_PATH);
    AppendText(run->fontsFolder, "\\Fonts", UNDO_PATH);
    run->onlyLastBlock = 1;
    // The folders of the entry that failed were made and logged before the
    // library wrote into them: its block names them all.
    if (ParseUndoLog(run, text, (int)got)) {
        UndoBlocks(run);
        RemoveCreatedFolders(run);
    }
    char record[300];
    wsprintfA(record, "%s: %i changes undone, %i records kept", why, run->changes, run->notes);
    LogRecord("Undone :", record);
    FreeUndoRun(run);
    HeapFree(GetProcessHeap(), 0, text);
}
