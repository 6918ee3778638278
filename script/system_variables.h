// Windows detection and the initial variables of the start-up.
#pragma once

// 1 when a version was read; sets the platform and Windows family codes.
int DetectWindowsFamily();
// Defines the initial variables and calls INITMAK.
void InitVariables();
