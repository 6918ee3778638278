#pragma once
#include <windows.h>
#define IDD_FRAME 1000
// Dialog procedure of the wizard frame (dialog resource 1000).
INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Non-zero once the copy page has been left (the files are installed).
int WizardCopyFinished();
