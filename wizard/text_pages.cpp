// The pages that only show text: welcome, licence, readme, ready, finish,
// and the information and readme pages of custom actions.
#include "display/pictures.h"
#include "script/settings.h"
#include "script/text_blocks.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

static INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {501, 502};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartPage(page, lParam, 501, 700, 0);
        ExtractTextBlock("[STR WC1]", "[END WC1]", page, 501, 0, 0);
        ExtractTextBlock("[STR WEL]", "[END WEL]", page, 502, 1, 0);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 0, red, 2, &result)) return result;
    return FALSE;
}

static INT_PTR CALLBACK LicencePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {511, 514};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartPage(page, lParam, 514, 600, 2);
        SetItemTextFromKey(page, "C9", 514, 2);
        SetFrameButtonText(IDC_NEXT, "C3");
        SetFrameButtonText(IDCANCEL, "C4");
        SetItemTextFromKey(page, "L1", 511, 2);
        SetItemTextFromKey(page, "L2", 512, 2);
        LoadBlockIntoRichEdit(page, 513, "[STR LIC]", "[END LIC]", ReadDlgInt("RTF2", 0));
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static INT_PTR CALLBACK ReadmePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {542, 543};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        int index = StartPage(page, lParam, 542, 600, 2);
        int action = PageActionNumber(index);
        int rich = ReadDlgInt("RTF1", 0);
        if (!action) {
            SetItemTextFromKey(page, "C8", 542, 2);
            SetItemTextFromKey(page, "C78", 543, 2);
            LoadBlockIntoRichEdit(page, 541, "[STR REA]", "[END REA]", rich);
        } else {
            char start[40], end[40];
            SetActionHeading(page, action, 542);
            SetItemTextFromKey(page, "C78", 543, 0);
            SetActionBlocks(page, action, 0, 543);
            ActionBlockMarkers(action, 0, start, end);
            LoadBlockIntoRichEdit(page, 541, start, end, rich);
        }
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static INT_PTR CALLBACK InformationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {1002, 1003};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        int index = StartPage(page, lParam, 1002, 600, 2);
        int action = PageActionNumber(index);
        SetActionHeading(page, action, 1002);
        SetActionBlocks(page, action, 1001, 1003);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

// A list line from a [DLG] heading key (100 characters).
static void AddKeyLine(HWND list, const char *key) {
    char text[100];
    ReadDlgText(key, text, sizeof text);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
}

static void AddLine(HWND list, const char *format, const char *a, const char *b = "") {
    char line[300];
    char first[128], second[128];
    CopyText(first, a, sizeof first);
    CopyText(second, b, sizeof second);
    wsprintfA(line, format, first, second);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
}

static void FillReadyList(HWND list) {
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 500, 0);
    AddKeyLine(list, "C38");
    AddLine(list, "    %s : %s", g_setupTypeName, g_setupTypeDescription);
    AddLine(list, "", "");
    AddKeyLine(list, "C39");
    AddLine(list, "    %s", g_installFolder);
    AddLine(list, "", "");
    if (!g_spaceText[0]) wsprintfA(g_spaceText, "%i KB", g_diskRequired);
    AddKeyLine(list, "C51");
    AddLine(list, "    %s", g_spaceText);
    AddLine(list, "", "");
    if (ReadDlgInt("Z9", 0)) {
        AddKeyLine(list, "C44");
        AddLine(list, "    %s", g_programGroup);
        AddLine(list, "", "");
    }
    if (ReadDlgInt("Z10", 0)) {
        char label[100], id[20];
        AddKeyLine(list, "C40");
        ReadDlgText("C41", label, sizeof label);
        AddLine(list, "     %s %s", label, g_userName);
        ReadDlgText("C42", label, sizeof label);
        AddLine(list, "     %s %s", label, g_userCompany);
        ReadDlgText("C35", id, sizeof id);
        if (id[0]) {
            ReadDlgText("C43", label, sizeof label);
            AddLine(list, "     %s %s", label, g_userId);
        }
    }
}

static INT_PTR CALLBACK ReadyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {704, 705};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartPage(page, lParam, 704, 600, 2);
        SetItemTextFromKey(page, "C36", 704, 2);
        SetItemTextFromKey(page, "C75", 705, 2);
        ExtractTextBlock("[STR CS1]", "[END CS1]", page, 701, 0, 0);
        SetItemTextFromKey(page, "C37", 702, 0);
        FillReadyList(GetDlgItem(page, 703));
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static void ReadFinishChecks(HWND page) {
    if (IsDlgButtonChecked(page, 333) == BST_CHECKED) g_finishMask += 1;
    if (IsDlgButtonChecked(page, 334) == BST_CHECKED) g_finishMask += 2;
    if (IsDlgButtonChecked(page, 335) == BST_CHECKED) g_finishMask += 4;
}

static INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {333, 334, 335, 551, 552};
    INT_PTR result;
    if (message == WM_INITDIALOG) {
        StartPage(page, lParam, 0, 0, 0);
        switch (g_setupStatus) {
        case 0:
            ExtractTextBlock("[STR FIN]", "[END FIN]", page, 551, 1, 0);
            SetFrameButtonText(IDC_NEXT, "C19");
            break;
        case 2:
            SetItemTextFromKey(page, "E2", 551, 0);
            SetFrameButtonText(IDC_NEXT, "C23");
            break;
        case 9:
            SetItemTextFromKey(page, "E10", 551, 0);
            SetFrameButtonText(IDC_NEXT, "C23");
            break;
        }
        if (g_summaryBuffer && g_summaryBuffer[0]) {
            ShowWindow(GetDlgItem(page, 552), SW_SHOW);
            g_summaryBuffer[SUMMARY_BUFFER_SIZE - 1] = 0;
            SetDlgItemTextA(page, 552, g_summaryBuffer);
        }
        g_finishMask = 0;
        if (g_setupStatus == 0) {
            static const char keys[3][4] = {"CB1", "CB2", "CB3"};
            for (int k = 0; k < 3; k++) {
                char caption[50];
                ReadSetting("RUN", keys[k], caption, sizeof caption);
                if (!caption[0]) continue;
                HWND box = GetDlgItem(page, 333 + k);
                SetWindowTextA(box, caption);
                SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
                ShowWindow(box, SW_SHOW);
            }
        }
        EnableFrameButton(IDCANCEL, FALSE);
        EnableFrameButton(IDC_BACK, FALSE);
        // A silent setup has nobody to press Finish: the page leaves itself
        // once it is shown, as if Next had been pressed.
        if (g_silentMode) PostFrameButton(IDC_NEXT);
        return TRUE;
    }
    if (CommonPageMessage(page, message, wParam, lParam, 0, red, 5, &result)) return result;
    return FALSE;
}

// The licence page's captions go back to the plain ones when it is left
// with Next, and when Back reaches the welcome page.
static void PlainCaptions() {
    SetFrameButtonText(IDC_NEXT, "C5");
    SetFrameButtonText(IDCANCEL, "C2");
}

static int WelcomeHooks(int hook, HWND page, int index) {
    if (hook == HOOK_AFTER_BACK) PlainCaptions();
    return 1;
}

static int LicenceHooks(int hook, HWND page, int index) {
    if (hook == HOOK_COMMIT) PlainCaptions();
    return 1;
}

static int FinishHooks(int hook, HWND page, int index) {
    if (hook == HOOK_LEAVE_CHECK) ReadFinishChecks(page);
    return 1;
}

const PageType g_welcomePage = {IDD_WELCOME, WelcomePageProc, WelcomeHooks, IDD_WELCOME};
const PageType g_licencePage = {IDD_LICENCE, LicencePageProc, LicenceHooks, IDD_LICENCE};
const PageType g_readmePage = {IDD_README, ReadmePageProc, 0, IDD_README};
const PageType g_readyPage = {IDD_READY, ReadyPageProc, 0, IDD_READY};
const PageType g_finishPage = {IDD_FINISH, FinishPageProc, FinishHooks, IDD_FINISH};
const PageType g_informationActionPage = {IDD_INFORMATION, InformationPageProc, 0, IDD_INFORMATION};
const PageType g_readmeActionPage = {IDD_README, ReadmePageProc, 0, IDD_README};
