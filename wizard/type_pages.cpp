// Setup type and components: the component letters, the setup type's name
// and description, and the space the chosen components need.
#include "script/settings.h"
#include "script/text_blocks.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

#define FIRST_TYPE_BUTTON 602
#define MAX_TYPES 6
#define IDC_COMPONENT_LIST 581
#define IDC_SPACE 584
// "A" and one letter per optional component fill the 20-byte letters: a
// longer list offers only the components that can be named.
#define MAX_COMPONENTS ((int)sizeof g_componentLetters - 1)

static int TypeCount() {
    int count = ListCount("TYP");
    return count < 0 ? 0 : count > MAX_TYPES ? MAX_TYPES : count;
}

static INT_PTR CALLBACK SetupTypePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {614, 601};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        g_componentLetters[0] = 0;
        StartBannerPage(page, lParam, 614, "C30", 601, "ST");
        for (int n = 1; n <= TypeCount(); n++) {
            char text[100];
            HWND button = GetDlgItem(page, FIRST_TYPE_BUTTON - 1 + n);
            ReadListField("TYP", n, "a", text, sizeof text);
            SetWindowTextA(button, text);
            ShowWindow(button, SW_SHOW);
            ReadListField("TYP", n, "b", text, sizeof text);
            SetDlgItemTextA(page, FIRST_TYPE_BUTTON + MAX_TYPES - 1 + n, text);
            if (ReadListFieldInt("TYP", n, "c", 0) && !g_chosenTypeButton)
                g_chosenTypeButton = FIRST_TYPE_BUTTON - 1 + n;
        }
        if (g_chosenTypeButton) CheckDlgButton(page, g_chosenTypeButton, BST_CHECKED);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

// The ticked type gives the letters (empty: the components page decides),
// the name, the description and the space text. Never refuses.
static void StoreSetupType(HWND page) {
    for (int n = 1; n <= TypeCount(); n++) {
        int button = FIRST_TYPE_BUTTON - 1 + n;
        if (IsDlgButtonChecked(page, button) != BST_CHECKED) continue;
        char space[20];
        g_chosenTypeButton = button;
        ReadListField("TYP", n, "d", g_componentLetters, sizeof g_componentLetters);
        ReadListField("TYP", n, "a", g_setupTypeName, sizeof g_setupTypeName);
        ReadListField("TYP", n, "b", g_setupTypeDescription, sizeof g_setupTypeDescription);
        ReadListField("TYP", n, "f", space, sizeof space - 3);
        wsprintfA(g_spaceText, "%s KB", space[0] ? space : "0");
    }
}

static int SetupTypeHooks(int hook, HWND page, int index) {
    if (hook == HOOK_LEAVE_CHECK) StoreSetupType(page);
    if (hook == HOOK_SKIP_DEFAULT) {
        ReadDlgText("C45", g_setupTypeName, sizeof g_setupTypeName);
        ReadDlgText("C46", g_setupTypeDescription, sizeof g_setupTypeDescription);
    }
    return 1;
}

// Components page. The check boxes are children of the list box, one per
// optional component n (2..), beside its item.
static HWND s_componentBoxes[MAX_COMPONENTS + 1];
static WNDPROC s_listProc;
static int s_itemHeight;

static int ComponentCount() {
    int count = ListCount("CMP");
    return count < 1 ? 1 : count > MAX_COMPONENTS ? MAX_COMPONENTS : count;
}

// Sizes are added without wrapping round: a total past 4 GB of KB stays at
// the largest figure.
static unsigned AddSpace(unsigned total, int size) {
    if (size <= 0) return total;
    return total > 0xFFFFFFFFu - (unsigned)size ? 0xFFFFFFFFu : total + (unsigned)size;
}

static void ShowSpace(HWND page) {
    wsprintfA(g_spaceText, "%u KB", g_requiredSpace);
    SetDlgItemTextA(page, IDC_SPACE, g_spaceText);
}

// Letters and space from the ticked boxes.
static void CountComponents(HWND page) {
    CopyText(g_componentLetters, "A", sizeof g_componentLetters);
    g_requiredSpace = (unsigned)g_diskRequired;
    for (int n = 2; n <= ComponentCount(); n++) {
        if (SendMessageA(s_componentBoxes[n], BM_GETCHECK, 0, 0) != BST_CHECKED) continue;
        char letter[2];
        ReadListField("CMP", n, "a", letter, sizeof letter);
        AppendText(g_componentLetters, letter, sizeof g_componentLetters);
        g_requiredSpace = AddSpace(g_requiredSpace, ReadListFieldInt("CMP", n, "d", 0));
    }
    ShowSpace(page);
}

// Keeps the boxes beside their items when the list scrolls.
static void PlaceBoxes(HWND list) {
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    for (int n = 2; n <= ComponentCount(); n++)
        SetWindowPos(s_componentBoxes[n], 0, 2, (n - 2 - top) * s_itemHeight, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static LRESULT CALLBACK ComponentListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        CountComponents(GetParent(list));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_END || wParam == VK_HOME) return 0;
        break;
    case WM_CHAR: {
        // Space ticks or unticks the selected component; the list would
        // otherwise search for the items' leading blanks.
        if (wParam != ' ') break;
        int n = (int)SendMessageA(list, LB_GETCURSEL, 0, 0) + 2;
        if (n >= 2 && n <= MAX_COMPONENTS) {
            // As a click on the box, which counts again; the list keeps
            // the keyboard.
            SendMessageA(s_componentBoxes[n], BM_CLICK, 0, 0);
            SetFocus(list);
        }
        return 0;
    }
    }
    LRESULT result = CallWindowProcA(s_listProc, list, message, wParam, lParam);
    if (message == WM_VSCROLL || message == WM_KEYDOWN || message == WM_MOUSEWHEEL) PlaceBoxes(list);
    return result;
}

static const char kListFont[] = "ListFont";

static void FillComponentList(HWND page) {
    HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
    HFONT font = CreateFontA(-8, 0, 0, 0, 400, 0, 0, 0, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, "MS Sans Serif");
    SetPropA(page, kListFont, font);
    s_listProc = (WNDPROC)SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)ComponentListProc);
    s_itemHeight = IsSmallFonts() ? 15 : 20;
    g_requiredSpace = (unsigned)g_diskRequired;
    for (int n = 2; n <= ComponentCount(); n++) {
        char name[50], line[60];
        ReadListField("CMP", n, "b", name, sizeof name);
        wsprintfA(line, "     %s", name);
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
        s_componentBoxes[n] = CreateWindowA("button", "", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 2,
                                            (n - 2) * s_itemHeight, 12, 15, list, (HMENU)(INT_PTR)(1000 + n),
                                            g_instance, 0);
        char letter = (char)(64 + n);
        int ticked = ReadListFieldInt("CMP", n, "c", 0) && TextLength(g_componentLetters) < 2;
        for (const char *c = g_componentLetters; *c && !ticked; c++) ticked = *c == letter;
        if (ticked) {
            SendMessageA(s_componentBoxes[n], BM_SETCHECK, BST_CHECKED, 0);
            g_requiredSpace = AddSpace(g_requiredSpace, ReadListFieldInt("CMP", n, "d", 0));
        }
    }
    ShowSpace(page);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(list, WM_COMMAND, 0, 0);
}

static void DrawComponent(HWND page, const DRAWITEMSTRUCT *item) {
    if (item->itemAction == ODA_FOCUS || (int)item->itemID < 0) return;
    char text[60];
    text[0] = 0;
    if (SendMessageA(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0) < (LRESULT)sizeof text)
        SendMessageA(item->hwndItem, LB_GETTEXT, item->itemID, (LPARAM)text);
    RECT r = item->rcItem;
    r.left += 16;
    SetBkColor(item->hDC, RGB(255, 255, 255));
    ExtTextOutA(item->hDC, 0, 0, ETO_OPAQUE, &r, 0, 0, 0);
    HGDIOBJ old = SelectObject(item->hDC, GetPropA(page, kListFont));
    SetBkMode(item->hDC, TRANSPARENT);
    TextOutA(item->hDC, item->rcItem.left + 2, item->rcItem.top, text, TextLength(text));
    SelectObject(item->hDC, old);
    if (item->itemState & ODS_SELECTED) InvertRect(item->hDC, &r);
}

static INT_PTR CALLBACK ComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {587, 588};
    INT_PTR result;
    switch (message) {
    case WM_INITDIALOG:
        StartBannerPage(page, lParam, 587, "C29", 588, "C79");
        ExtractTextBlock("[STR OT1]", "[END OT1]", page, 580, 1, 0);
        SetItemTextFromKey(page, "C51", 582, 0);
        FillComponentList(page);
        return TRUE;
    case WM_MEASUREITEM:
        ((MEASUREITEMSTRUCT *)lParam)->itemHeight = IsSmallFonts() ? 15 : 20;
        return TRUE;
    case WM_DRAWITEM:
        DrawComponent(page, (const DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_DESTROY: {
        HFONT font = (HFONT)RemovePropA(page, kListFont);
        if (font) DeleteObject(font);
        break;
    }
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static int ComponentsHooks(int hook, HWND page, int index) {
    switch (hook) {
    case HOOK_ENTER_CHECK: return g_componentLetters[0] == 0;  // a setup type fixed them
    case HOOK_SKIP_DEFAULT:
        if (!g_componentLetters[0]) CopyText(g_componentLetters, "A", sizeof g_componentLetters);
        break;
    }
    return 1;
}

const PageType g_setupTypePage = {IDD_SETUPTYPE, SetupTypePageProc, SetupTypeHooks, IDD_SETUPTYPE};
const PageType g_componentsPage = {IDD_COMPONENTS, ComponentsPageProc, ComponentsHooks, IDD_COMPONENTS};
