// Text blocks [STR name] ... [END name] of "_DLG.SCR".
#pragma once
#include <windows.h>

// Temp file that receives a block delivered to item 0; the block is written
// and the file closed by ExtractTextBlock.
extern HFILE g_blockOutputFile;

int LoadTextBlockFile(const char *path);
void FreeTextBlockFile();
// Finds the block between the markers and delivers it to the dialog item
// (item id not 0) or to the block output file (item id 0); 1 when found.
int ExtractTextBlock(const char *startMarker, const char *endMarker, HWND dialog, int itemId,
                     int paragraphStyle, int skipCount);
