// Billboard pictures: payload entries for the folder "%BILLBOARD%\" shown
// one after the other on the background window while the copy runs.
#pragma once
#include <windows.h>

// Temp file of the billboard picture shown last; empty until one is unpacked.
extern char g_billboardPath[256];

// Unpacks the current payload entry into the temp folder, loads it into the
// picture slot and places it by the [BIL] keys of its sequence number.
void ShowBillboard(int slot);
// Width and height of a bitmap.
void GetBitmapSize(HBITMAP bitmap, SIZE *size);
