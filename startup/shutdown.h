// The ways out of a run: error report, clean-up and restart.
#pragma once
#include <windows.h>

// Shows "Installer Error: <code>" and cleans up; WinMain returns at once.
void ReportInstallerError(const char *code);
void UnloadLibraries();
void FreeStartupBuffers();
void DeleteTempFiles();
// Enables the shutdown privilege and restarts; 0 when that failed.
int RestartWindows();
// The exit path after the wizard: clean-up, then the restart decision.
void FinishRun();

// What the end of a run does about the Windows session.
enum RestartChoice { RESTART_NONE, RESTART_LOG_OFF, RESTART_ASK };
// Only a setup that ended well and replaced a locked file restarts; a
// silent setup with [DLG] "srb" logs off without asking.
int ChooseRestart(int setupStatus, int restartNeeded, int logOffFlag, int silent);
// After the restart question was answered OK: the NT family enables the
// shutdown privilege and forces the restart, the Windows 95 family reboots.
void RestartAfterQuestion(int platform);
// The one way the program ends the Windows session (ExitWindowsEx); a test
// puts a recorder here.
typedef BOOL(WINAPI *ExitWindowsFunction)(UINT flags, DWORD reason);
extern ExitWindowsFunction g_exitWindows;
// UnloadLibraries, DeleteTempFiles, FreeStartupBuffers: a quiet end.
void ExitQuietly();
