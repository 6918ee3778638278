// Text blocks [STR name] ... [END name] of "_DLG.SCR", read into memory at
// start-up and scanned on demand into the text buffer (g_textBuffer).
#pragma once
#include <windows.h>

#define TEXT_LINE_SIZE 5196

// Temp file opened by the caller before an extraction with item id 0; the
// extraction writes the block into it and closes it (also when the block is
// missing) and sets it back to 0.
extern HFILE g_blockOutputFile;

int LoadTextBlockFile(const char *path);
void FreeTextBlockFile();
// Finds the block between the markers in the loaded file and delivers it to
// the dialog item (item id not 0) or to the block output file (item id 0);
// 1 when found.
int ExtractTextBlock(const char *startMarker, const char *endMarker, HWND dialog, int itemId,
                     int paragraphStyle, int skipCount);
// The same over any memory copy (not NUL-terminated, length bytes).
int ExtractTextBlockFrom(const char *memory, int length, const char *startMarker, const char *endMarker,
                         HWND dialog, int itemId, int paragraphStyle, int skipCount);
