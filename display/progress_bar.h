// "PBar": the engine's progress bar, a bar filled in proportion to a
// position within a range with the percentage centred in two colours.
#pragma once
#include <windows.h>

#define PBAR_CLASS "PBar"
#define PBM_SETRANGE16 1024
#define PBM_GETRANGE16 1025
#define PBM_SETPOS16 1026
#define PBM_GETPOS16 1027
#define PBM_SETORIENT 1028
#define PBM_GETORIENT 1029
#define PBM_SETBARCOLOUR 1030
#define PBM_GETBACKCOLOUR 1031  // answers what 1032 sets
#define PBM_SETBACKCOLOUR 1032
#define PBM_GETBARCOLOUR 1033   // answers what 1030 sets
#define PBM_SETBEVEL 1034
#define PBM_GETBEVEL 1035
#define PBM_SETGAP 1036
#define PBM_GETGAP 1037
#define PBM_STEP16 1038
#define PBS_3D 0x8000

// 1 when the class is (or already was) registered, 0 on failure.
int RegisterProgressBarClass(HINSTANCE instance);
