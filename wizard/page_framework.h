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

// Texts of a custom action's page ([ACT] keys of action n): the heading
// "+%ip17" unchanged, and the blocks of the tag "+%isg": "[STR tag]" into
// firstItem and "[STR2 tag]" into secondItem (paragraph style 1; an item of
// 0 is left out).
void ActionBlockMarkers(int action, int second, char *start, char *end);
void SetActionHeading(HWND page, int action, int item);
void SetActionBlocks(HWND page, int action, int firstItem, int secondItem);
// Page index of a page window (its slot in the picture table), given to the
// page when it was created.
int PageIndexOf(HWND page);
// Start of a page's WM_INITDIALOG: remembers its index, gives the heading
// item a font of this page window's own (none when headingItem is 0) and
// loads picture "_PIC<picture>.IMG" into the page's slot. Returns the index.
int StartPage(HWND page, LPARAM index, int headingItem, int weight, int picture);
// StartPage for a banner page, then heading and subheading from [DLG] keys
// (mode 2; a key of 0 leaves the item).
int StartBannerPage(HWND page, LPARAM index, int headingItem, const char *headingKey, int subheadingItem,
                    const char *subheadingKey);
// WM_PAINT, the static colours and WM_DESTROY as every page handles them:
// banner or side picture, red text for the listed items, font and picture
// freed. Returns 1 when the message was one of them (result in *result).
int CommonPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, int banner, const int *redItems,
                      int redCount, INT_PTR *result);
// A text of up to 255 characters from [DLG] key, expanded with mode.
void ReadExpandedKey(const char *key, char *text, int size, int mode);
