#pragma once
#include <windows.h>
// Runs the custom actions of a phase (10, 30, 50, 60); 1: stop the setup.
int RunActions(int phase, HWND parent);
