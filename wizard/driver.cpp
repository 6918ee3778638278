// The wizard frame: the page list built from the script's switches, Next,
// Back and Cancel over the switched-on pages.
#include "wizard/wizard.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "startup/globals.h"
#include "wizard/page_framework.h"
#include "wizard/page_hooks.h"
#include "wizard/pages.h"

PageEntry g_pages[MAX_PAGES];
int g_pageCount;
short g_actionMarker[MAX_MARKERS];
PageIndexes g_pageIndex;
int g_currentPage = -1;
HWND g_pageWindow;
HWND g_frameWindow;
int g_copyFinished;
static int s_firstPage = -1;

HWND FrameButton(int id) { return GetDlgItem(g_frameWindow, id); }

int CurrentActionNumber() {
    if (g_currentPage < 0 || g_currentPage >= g_pageCount) return 0;
    return g_pages[g_currentPage].actionNumber;
}

static int IsActionPage(int index) {
    return index >= 0 && index < MAX_MARKERS && g_actionMarker[index] == index && g_actionMarker[index] != -1;
}

// Fills the next entry; returns its index, or -1 when the list is full (the
// last place is kept for the finish page).
static short AddPage(int templateId, DLGPROC procedure, int enabled, const char *key, int actionNumber, int kind,
                     int isLast = 0) {
    if (g_pageCount >= MAX_PAGES - (isLast ? 0 : 1)) return -1;
    PageEntry &page = g_pages[g_pageCount];
    page.templateId = templateId;
    page.procedure = procedure;
    page.enabled = key[0] ? ReadDlgInt(key, 0) : enabled;
    page.actionNumber = actionNumber;
    page.kind = kind;
    return (short)g_pageCount++;
}

// Appends the action pages of one phase, keeping `reserve` places free for
// the built-in pages that follow, so that a script with too many action
// pages loses some of them, never the copy or the finish page.
static void AddActionPages(int phase, int reserve) {
    int count = ListCount("ACT");
    for (int n = 1; n <= count; n++) {
        if (ReadListFieldInt("ACT", n, "t", 0) != phase) continue;
        int templateId;
        DLGPROC procedure;
        switch (ReadListFieldInt("ACT", n, "a", 0)) {
        case 1500: templateId = IDD_DESTINATION; procedure = DestinationPageProc; break;
        case 1600:
        case 1700: templateId = IDD_INPUTFIELDS; procedure = InputFieldsPageProc; break;
        case 1800: templateId = IDD_INFORMATION; procedure = InformationPageProc; break;
        case 1900: templateId = IDD_README; procedure = ReadmePageProc; break;
        default: continue;
        }
        if (g_pageCount >= MAX_PAGES - reserve) return;  // no room left: the rest are dropped
        short index = AddPage(templateId, procedure, 1, "", n, templateId);
        if (index < 0) return;
        g_actionMarker[index] = index;
    }
}

static void BuildPageList() {
    g_pageCount = 0;
    for (int i = 0; i < MAX_MARKERS; i++) g_actionMarker[i] = 0;
    PageIndexes &at = g_pageIndex;
    at.welcome = at.licence = at.readme = -1;
    if (!g_silentMode) {
        at.welcome = AddPage(IDD_WELCOME, WelcomePageProc, 0, "Z1", 0, IDD_WELCOME);
        at.licence = AddPage(IDD_LICENCE, LicencePageProc, 0, "Z3", 0, IDD_LICENCE);
        at.readme = AddPage(IDD_README, ReadmePageProc, 0, "Z2", 0, IDD_README);
    }
    at.userInfo = AddPage(IDD_USERINFO, UserInfoPageProc, 0, "Z10", 0, IDD_USERINFO);
    at.setupType = AddPage(IDD_SETUPTYPE, SetupTypePageProc, 0, "Z7", 0, IDD_SETUPTYPE);
    at.components = AddPage(IDD_COMPONENTS, ComponentsPageProc, 0, "Z8", 0, IDD_COMPONENTS);
    at.clarion = AddPage(IDD_CLARION, ClarionPageProc, 0, "Z5", 0, IDD_CLARION);
    at.destination = AddPage(IDD_DESTINATION, DestinationPageProc, 0, "Z12", 0, IDD_DESTINATION);
    g_actionMarker[0] = -1;
    AddActionPages(20, 5);  // program folder, ready, detection, copy, finish
    at.programFolder = AddPage(IDD_PROGRAMFOLDER, ProgramFolderPageProc, 0, "Z9", 0, IDD_PROGRAMFOLDER);
    at.ready = AddPage(IDD_READY, ReadyPageProc, 0, "Z11", 0, IDD_READY);
    at.detection = AddPage(IDD_COPY, DetectionPageProc, 0, "DetectIUF", 0, IDD_COPY);
    at.copy = AddPage(g_speedFlag ? IDD_COPY_ALONE : IDD_COPY, CopyPageProc, 1, "", 0, IDD_COPY);
    AddActionPages(40, 1);
    at.finish = AddPage(IDD_FINISH, FinishPageProc, 1, "", 0, IDD_FINISH, 1);
}

// Creates the page of the current index at the frame's client origin.
static void CreateCurrentPage(HWND frame) {
    const PageEntry &page = g_pages[g_currentPage];
    g_pageWindow = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(page.templateId), frame, page.procedure,
                                      (LPARAM)g_currentPage);
    SetWindowPos(g_pageWindow, 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

static void EnterPage(HWND frame, int index) {
    PageBeforeShow(frame, index);
    if (!PageEnterCheck(index)) g_pages[index].enabled = 0;
}

static void GoNext(HWND frame) {
    int previous = g_currentPage;
    if (previous >= 0) {
        PageBeforeLeave(g_pageWindow, previous);
        if (!PageLeaveCheck(g_pageWindow, previous)) return;
    }
    g_currentPage = previous + 1;
    if (previous >= 0) {
        PageCommit(g_pageWindow, previous);
        PageAfterLeave(g_pageWindow, previous);
    }
    if (g_currentPage >= g_pageCount) {
        DestroyWindow(g_pageWindow);
        g_pageWindow = 0;
        EndDialog(frame, 1);
        return;
    }
    EnterPage(frame, g_currentPage);
    while (!g_pages[g_currentPage].enabled && g_currentPage < g_pageIndex.finish) {
        PageSkipDefault(g_pageWindow, g_currentPage);
        PageAfterLeave(g_pageWindow, g_currentPage);
        g_currentPage++;
        EnterPage(frame, g_currentPage);
    }
    if (g_setupStatus != 0) g_currentPage = g_pageIndex.finish;

    HWND old = g_pageWindow;
    if (IsActionPage(previous) && IsActionPage(g_currentPage)) {
        DestroyWindow(old);
        old = 0;
    }
    int alone = g_currentPage == g_pageIndex.copy && g_speedFlag;
    if (alone) {
        ShowWindow(frame, SW_HIDE);
        if (old) DestroyWindow(old);
        old = 0;
    }
    CreateCurrentPage(frame);
    if (alone) SetTitleAndCentre(g_pageWindow, "TI");
    if (old) DestroyWindow(old);

    if (g_currentPage != 0) EnableWindow(FrameButton(IDC_BACK), TRUE);
    if (s_firstPage == -1) s_firstPage = g_currentPage;
    if (g_currentPage == g_pageIndex.finish || g_currentPage == s_firstPage || g_copyFinished)
        EnableWindow(FrameButton(IDC_BACK), FALSE);
    if (g_currentPage == g_pageIndex.destination || g_currentPage == g_pageIndex.ready)
        SetFocus(FrameButton(IDC_NEXT));
}

static void GoBack(HWND frame) {
    int previous = g_currentPage;
    if (previous <= s_firstPage || g_copyFinished) return;  // Back is disabled there
    PageBeforeLeave(g_pageWindow, previous);
    int index = previous - 1;
    while (index > s_firstPage && !g_pages[index].enabled) index--;
    g_currentPage = index;
    if (index == g_pageIndex.setupType && g_pageIndex.components >= 0)
        g_pages[g_pageIndex.components].enabled = ReadDlgInt("Z8", 0);
    HWND old = g_pageWindow;
    if (IsActionPage(previous) && IsActionPage(index)) {
        DestroyWindow(old);
        old = 0;
    }
    CreateCurrentPage(frame);
    PageAfterBack(g_pageWindow, index);
    if (old) DestroyWindow(old);
    if (index == 0 || index == s_firstPage) {
        EnableWindow(FrameButton(IDC_BACK), FALSE);
        SetFocus(FrameButton(IDC_NEXT));
    }
    if (index == g_pageIndex.destination) SetFocus(FrameButton(IDC_NEXT));
}

static void AskCancel(HWND frame) {
    // Escape sends Cancel even where the button is disabled (finish page).
    if (!IsWindowEnabled(FrameButton(IDCANCEL))) return;
    if (MessageBoxA(frame, g_cancelQuestion, g_messageTitle, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    if (g_pageWindow) DestroyWindow(g_pageWindow);
    g_pageWindow = 0;
    EndDialog(frame, 1);
}

static void InitFrame(HWND frame) {
    g_frameWindow = frame;
    g_currentPage = -1;
    s_firstPage = -1;
    g_pageWindow = 0;
    g_copyFinished = 0;
    if (!g_hiddenMode) {
        LONG_PTR style = GetWindowLongPtrA(frame, GWL_STYLE);
        SetWindowLongPtrA(frame, GWL_STYLE, style & ~(LONG_PTR)(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    }
    BuildPageList();
    SetTitleAndCentre(frame, "TI");
    if (ReadDlgInt("DCM", 0)) ShowWindow(GetDlgItem(frame, IDC_ENGINE_NAME), SW_HIDE);
    SetItemTextFromKey(frame, "C6", IDC_BACK, 0);
    SetItemTextFromKey(frame, "C5", IDC_NEXT, 0);
    SetItemTextFromKey(frame, "C2", IDCANCEL, 0);
    SendMessageA(frame, WM_COMMAND, IDC_NEXT, 0);
    SetForegroundWindow(frame);
}

INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitFrame(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT: GoNext(dialog); return TRUE;
        case IDC_BACK: GoBack(dialog); return TRUE;
        case IDCANCEL: AskCancel(dialog); return TRUE;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        // The dialog box shows the frame once its start is done, which is
        // after the first Next has hidden it for the separate copy window:
        // while that window copies, the frame stays hidden.
        if (g_speedFlag && g_currentPage == g_pageIndex.copy && !g_copyFinished)
            ((WINDOWPOS *)lParam)->flags &= ~SWP_SHOWWINDOW;
        break;
    }
    return FALSE;
}
