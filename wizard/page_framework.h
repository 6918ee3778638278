// What every wizard page shares: heading font, texts from script keys,
// header colours, painting of the banner and the picture, window titles and
// centring, rich text, and the edit-focus cycle of the entry pages.
#pragma once
#include <windows.h>

HFONT CreateHeadingFont(HWND dialog, int item, int height, int width, int weight);
void DeleteHeadingFont(HFONT font);
// [DLG] key (255) into the item; mode non-zero expands variables first.
void SetItemTextFromKey(HWND dialog, const char *key, int item, int mode);
// Caption and message-box title from [DLG] key (none when key is 0 or "");
// then centres the window on the screen.
void SetTitleAndCentre(HWND window, const char *key);
int IsSmallFonts();
int DialogBaseUnit(int which);  // 1: horizontal, else vertical
// Red text on the window colour when control is item of dialog. Returns
// the brush to give back for the message, or 0 when it is another control.
HBRUSH HeaderColours(HDC dc, HWND control, UINT message, HWND dialog, int item);
void PaintPage(HWND page, int x, int y, int banner, int index);
int StreamRtfFile(HWND dialog, int item, const char *path);
void ShowPathInLabel(HWND dialog, int labelItem, const char *path);
void CycleEditFocus(HWND dialog, int firstItem, int lastItem);
void ResetEditFocusCycle();
// Fills a rich-edit item with a text block: as RTF source through a temp
// file when rich is non-zero, else as plain text (paragraph style 0).
void LoadBlockIntoRichEdit(HWND dialog, int item, const char *startMarker, const char *endMarker, int rich);
// Expands variables in a text of up to 255 characters (mode 1..3).
void ExpandText(char *text, int size, int mode);
// Path of a setup file unpacked at start-up ("_PIC0.IMG" and so on).
const char *SetupPicturePath(int number);
