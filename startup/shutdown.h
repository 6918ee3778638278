// The ways out of a run: error report, clean-up and restart.
#pragma once

// Shows "Installer Error: <code>" and cleans up; WinMain returns at once.
void ReportInstallerError(const char *code);
void UnloadLibraries();
void FreeStartupBuffers();
void DeleteTempFiles();
// Enables the shutdown privilege and restarts; 0 when that failed.
int RestartWindows();
// The exit path after the wizard: clean-up, then the restart decision.
void FinishRun();
// UnloadLibraries, DeleteTempFiles, FreeStartupBuffers: a quiet end.
void ExitQuietly();
