#include "install/walk_display.h"
#include "install/file_copy.h"
#include "base/text.h"

#define PBAR_SETPOS 1026

enum { SLOT_TARGET, SLOT_DESCRIPTION, SLOT_FILE_BAR, SLOT_OVERALL_BAR, SLOTS };
static const int s_ids[SLOTS] = {IDC_TARGET_TEXT, IDC_DESCRIPTION_TEXT, IDC_FILE_BAR, IDC_OVERALL_BAR};

static HWND s_page;
static DWORD s_lastShown;
static char s_text[2][256], s_shownText[2][256];
static DWORD s_bar[2], s_shownBar[2];
static int s_noted[SLOTS], s_shown[SLOTS];

static int Slot(int id) {
    for (int i = 0; i < SLOTS; i++)
        if (s_ids[i] == id) return i;
    return -1;
}

void StartWalkDisplay(HWND page) {
    s_page = page;
    s_lastShown = GetTickCount();
    for (int i = 0; i < SLOTS; i++) s_noted[i] = s_shown[i] = 0;
}

void WalkText(int id, const char *text) {
    int slot = Slot(id);
    if (slot < SLOT_TARGET || slot > SLOT_DESCRIPTION) return;
    CopyText(s_text[slot], text, sizeof s_text[slot]);
    s_noted[slot] = 1;
}

void WalkBar(int id, DWORD position) {
    int slot = Slot(id);
    if (slot < SLOT_FILE_BAR) return;
    s_bar[slot - SLOT_FILE_BAR] = position;
    s_noted[slot] = 1;
}

void ShowWalkDisplay() {
    s_lastShown = GetTickCount();
    if (!s_page) return;
    for (int i = SLOT_TARGET; i <= SLOT_DESCRIPTION; i++) {
        if (!s_noted[i] || (s_shown[i] && lstrcmpA(s_text[i], s_shownText[i]) == 0)) continue;
        SetDlgItemTextA(s_page, s_ids[i], s_text[i]);
        CopyText(s_shownText[i], s_text[i], sizeof s_shownText[i]);
        s_shown[i] = 1;
    }
    for (int i = SLOT_FILE_BAR; i < SLOTS; i++) {
        DWORD *bar = &s_bar[i - SLOT_FILE_BAR], *shown = &s_shownBar[i - SLOT_FILE_BAR];
        if (!s_noted[i] || (s_shown[i] && *bar == *shown)) continue;
        SendDlgItemMessageA(s_page, s_ids[i], PBAR_SETPOS, (WPARAM)*bar, 0);
        *shown = *bar;
        s_shown[i] = 1;
    }
}

void ShowWalkDisplayIfDue() {
    if (GetTickCount() - s_lastShown >= WALK_DISPLAY_PERIOD) ShowWalkDisplay();
}
