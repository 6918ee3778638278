// The wizard frame: the page list built from the script's switches, Next,
// Back and Cancel over the switched-on pages, and the plug-in calls and
// action phases made on the way. Pages are reached through their types'
// procedures and hooks only.
#include "wizard/wizard.h"
#include "actions/action_runner.h"
#include "actions/program_launch.h"
#include "display/background.h"
#include "display/progress_bar.h"
#include "install/install_driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

#define MAX_PAGES 51
#define MAX_MARKERS 100

struct PageEntry {
    const PageType *type;
    int templateId;    // the copy page's depends on "SPD"
    int enabled;
    int actionNumber;  // [ACT] item of a page defined by a custom action; 0 otherwise
};

// Named page indexes; -1 for a page that was not added.
struct PageIndexes {
    short welcome, licence, readme, userInfo, setupType, components, clarion, destination, programFolder,
        ready, detection, copy, finish;
};

static PageEntry s_pages[MAX_PAGES];
static int s_pageCount;
static short s_actionMarker[MAX_MARKERS];
static PageIndexes s_at;
static int s_current;  // index of the page on screen (-1 before the first)
static int s_first;    // first page ever shown (-1 before it): Back is never enabled there
static HWND s_pageWindow;
static HWND s_frame;
static int s_copyFinished;

int WizardCopyFinished() { return s_copyFinished; }

static HWND FrameButton(int id) { return GetDlgItem(s_frame, id); }
void SetFrameButtonText(int button, const char *key) { SetItemTextFromKey(s_frame, key, button, 0); }
void EnableFrameButton(int button, BOOL enable) { EnableWindow(FrameButton(button), enable); }
void PostFrameButton(int button) { PostMessageA(s_frame, WM_COMMAND, button, 0); }

int PageActionNumber(int index) { return index >= 0 && index < s_pageCount ? s_pages[index].actionNumber : 0; }

void ResetComponentsPage() {
    if (s_at.components >= 0) s_pages[s_at.components].enabled = ReadDlgInt("Z8", 0);
}

static int IsActionPage(int index) {
    return index >= 0 && index < MAX_MARKERS && s_actionMarker[index] == index && s_actionMarker[index] != -1;
}

static int RunHook(int hook, HWND page, int index) {
    PageHookProc hooks = s_pages[index].type->hooks;
    return hooks ? hooks(hook, page, index) : 1;
}

// The detection and copy pages belong to the install driver; what the
// frame does around them is the driver's own.
static const PageType s_detectionPage = {IDD_COPY, DetectionPageProc, 0, IDD_COPY};
static const PageType s_copyPage = {IDD_COPY, CopyPageProc, 0, IDD_COPY};

// Fills the next entry; returns its index, or -1 when the list is full (the
// last place is kept for the finish page).
static short AddPage(const PageType &type, int enabled, const char *key, int actionNumber = 0, int isLast = 0) {
    if (s_pageCount >= MAX_PAGES - (isLast ? 0 : 1)) return -1;
    PageEntry &page = s_pages[s_pageCount];
    page.type = &type;
    page.templateId = type.templateId;
    page.enabled = key[0] ? ReadDlgInt(key, 0) : enabled;
    page.actionNumber = actionNumber;
    return (short)s_pageCount++;
}

// Appends the action pages of one phase, keeping `reserve` places free for
// the built-in pages that follow, so that a script with too many action
// pages loses some of them, never the copy or the finish page.
static void AddActionPages(int phase, int reserve) {
    int count = ListCount("ACT");
    for (int n = 1; n <= count; n++) {
        if (ReadListFieldInt("ACT", n, "t", 0) != phase) continue;
        const PageType *type;
        switch (ReadListFieldInt("ACT", n, "a", 0)) {
        case 1500: type = &g_folderPromptActionPage; break;
        case 1600:
        case 1700: type = &g_inputFieldsActionPage; break;
        case 1800: type = &g_informationActionPage; break;
        case 1900: type = &g_readmeActionPage; break;
        default: continue;
        }
        if (s_pageCount >= MAX_PAGES - reserve) return;  // no room left: the rest are dropped
        short index = AddPage(*type, 1, "", n);
        if (index < 0) return;
        s_actionMarker[index] = index;
    }
}

static void BuildPageList() {
    s_pageCount = 0;
    for (int i = 0; i < MAX_MARKERS; i++) s_actionMarker[i] = 0;
    PageIndexes &at = s_at;
    at.welcome = at.licence = at.readme = -1;
    if (!g_silentMode) {
        at.welcome = AddPage(g_welcomePage, 0, "Z1");
        at.licence = AddPage(g_licencePage, 0, "Z3");
        at.readme = AddPage(g_readmePage, 0, "Z2");
    }
    at.userInfo = AddPage(g_userInfoPage, 0, "Z10");
    at.setupType = AddPage(g_setupTypePage, 0, "Z7");
    at.components = AddPage(g_componentsPage, 0, "Z8");
    at.clarion = AddPage(g_clarionPage, 0, "Z5");
    at.destination = AddPage(g_destinationPage, 0, "Z12");
    s_actionMarker[0] = -1;
    AddActionPages(20, 5);  // program folder, ready, detection, copy, finish
    at.programFolder = AddPage(g_programFolderPage, 0, "Z9");
    at.ready = AddPage(g_readyPage, 0, "Z11");
    at.detection = AddPage(s_detectionPage, 0, "DetectIUF");
    at.copy = AddPage(s_copyPage, 1, "");
    if (g_speedFlag) s_pages[at.copy].templateId = IDD_COPY_ALONE;
    AddActionPages(40, 1);
    at.finish = AddPage(g_finishPage, 1, "", 0, 1);
}

// Switches the action pages on and off from the component letters and each
// action's condition. A page and its action are paired by the action number
// the page was added with.
static void SettleActionPages() {
    for (int index = 1; index < s_pageCount && index < MAX_MARKERS; index++) {
        if (!IsActionPage(index)) continue;
        int n = s_pages[index].actionNumber;
        char letter[2];
        ReadListField("ACT", n, "z", letter, sizeof letter);
        int condition = g_support.CHECKCONDITION ? g_support.CHECKCONDITION(n, "ACT") : 0;
        int selected = letter[0] == 0;
        for (const char *c = g_componentLetters; *c && !selected; c++) selected = *c == letter[0];
        s_pages[index].enabled = condition == 0 && selected;
    }
}

// The frame's own steps at fixed pages, beside the pages' hooks.
static int EnterCheck(int index) {
    if (index == s_at.ready && ReadDlgInt("DLL300", 0)) {
        ShowWindow(s_frame, SW_HIDE);
        if (CallPlugin(4000) != 0) g_setupStatus = 2;
        ShowWindow(s_frame, SW_SHOW);
    }
    if (index == s_at.detection) RegisterProgressBarClass(g_instance);
    if (index == s_at.copy) {
        if (ReadDlgInt("DLL350", 0) && g_setupStatus == 0 && CallPlugin(5000) != 0) g_setupStatus = 2;
        if (g_setupStatus == 0) {
            RegisterProgressBarClass(g_instance);
            if (g_support.INITMAK)
                g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, (int)g_installLog);
            RunActions(30, 0);
        }
    }
    return RunHook(HOOK_ENTER_CHECK, s_pageWindow, index);
}

static void Commit(HWND page, int index) {
    RunHook(HOOK_COMMIT, page, index);
    if (index == s_at.copy) {
        s_copyFinished = 1;
        if (g_setupStatus == 0) {
            RunActions(50, page);
            if (ReadDlgInt("DLL370", 0)) CallPlugin(6000);
        }
        if (g_speedFlag) ShowWindow(s_frame, SW_SHOW);
        if (!g_hiddenMode) DropBillboard();
    } else if (index == s_at.finish) {
        if (!g_hiddenMode && g_ownerWindow) ShowWindow(g_ownerWindow, SW_HIDE);
        if (g_setupStatus == 0) {
            if (!g_testMode) RunAfterSetupList(g_finishMask);
            if (ReadDlgInt("DLL400", 0)) CallPlugin(7000);
            RunActions(60, 0);
        }
    }
}

static void AfterLeave(HWND page, int index) {
    RunHook(HOOK_AFTER_LEAVE, page, index);
    if (index == s_at.components) SettleActionPages();
}

// Creates the page of the current index at the frame's client origin.
static void CreateCurrentPage(HWND frame) {
    const PageEntry &page = s_pages[s_current];
    s_pageWindow = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(page.templateId), frame, page.type->procedure,
                                      (LPARAM)s_current);
    SetWindowPos(s_pageWindow, 0, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// A field the user types in: an edit that is not read-only.
static int IsTypingField(HWND control) {
    return (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) &&
           !(GetWindowLongPtrA(control, GWL_STYLE) & ES_READONLY);
}

// The keyboard focus after a page change: the page's first field to type
// in, else Next, so that Enter goes on; Cancel
// while Next is off (the detection and copy pages). A disabled button that
// kept the focus would leave the keyboard nowhere.
static void PlaceFocus() {
    HWND focus = GetNextDlgTabItem(s_pageWindow, 0, FALSE), next = FrameButton(IDC_NEXT);
    if (!IsTypingField(focus)) focus = IsWindowEnabled(next) ? next : FrameButton(IDCANCEL);
    SendMessageA(s_frame, WM_NEXTDLGCTL, (WPARAM)focus, TRUE);
}

static void EnterPage(int index) {
    if (!EnterCheck(index)) s_pages[index].enabled = 0;
}

// Builds the page of the current index, then destroys the one left (first
// when both are action pages, and before the separate copy dialog); sets
// Back and the focus. Back is off on the first page shown, the finish page,
// after the copy, and on the detection and copy pages, which walk until
// they press Next themselves: going back would leave the walk half done.
static void ShowCurrentPage(HWND frame, int previous, int back) {
    HWND old = s_pageWindow;
    int alone = s_current == s_at.copy && g_speedFlag;  // never reached by Back
    if (alone) ShowWindow(frame, SW_HIDE);
    if (old && (alone || (IsActionPage(previous) && IsActionPage(s_current)))) {
        DestroyWindow(old);
        old = 0;
    }
    CreateCurrentPage(frame);
    if (alone) SetTitleAndCentre(s_pageWindow, "TI");
    if (back) RunHook(HOOK_AFTER_BACK, s_pageWindow, s_current);
    if (old) DestroyWindow(old);
    int c = s_current;
    if (s_first == -1) s_first = c;
    EnableFrameButton(IDC_BACK, c != s_first && c != s_at.finish && !s_copyFinished && c != s_at.detection &&
                                    c != s_at.copy);
    if (!alone) PlaceFocus();
}

static void GoNext(HWND frame) {
    int previous = s_current;
    if (previous >= 0) {
        RunHook(HOOK_BEFORE_LEAVE, s_pageWindow, previous);
        if (!RunHook(HOOK_LEAVE_CHECK, s_pageWindow, previous)) return;
        Commit(s_pageWindow, previous);
        AfterLeave(s_pageWindow, previous);
    }
    s_current = previous + 1;
    if (s_current >= s_pageCount) {
        DestroyWindow(s_pageWindow);
        s_pageWindow = 0;
        EndDialog(frame, 1);
        return;
    }
    EnterPage(s_current);
    while (!s_pages[s_current].enabled && s_current < s_at.finish) {
        RunHook(HOOK_SKIP_DEFAULT, s_pageWindow, s_current);
        AfterLeave(s_pageWindow, s_current);
        s_current++;
        EnterPage(s_current);
    }
    if (g_setupStatus != 0) s_current = s_at.finish;

    ShowCurrentPage(frame, previous, 0);
}

static void GoBack(HWND frame) {
    // Back is disabled on the first page shown, on the detection and copy
    // pages and after the copy; its access key and a posted press still come.
    if (!IsWindowEnabled(FrameButton(IDC_BACK))) return;
    int previous = s_current;
    RunHook(HOOK_BEFORE_LEAVE, s_pageWindow, previous);
    int index = previous - 1;
    while (index > s_first && !s_pages[index].enabled) index--;
    s_current = index;
    if (index == s_at.setupType) ResetComponentsPage();
    ShowCurrentPage(frame, previous, 1);
}

static void AskCancel(HWND frame) {
    // Escape sends Cancel even where the button is disabled (finish page).
    if (!IsWindowEnabled(FrameButton(IDCANCEL))) return;
    if (MessageBoxA(frame, g_cancelQuestion, g_messageTitle, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    if (s_pageWindow) DestroyWindow(s_pageWindow);
    s_pageWindow = 0;
    EndDialog(frame, 1);
}

static void InitFrame(HWND frame) {
    s_frame = frame;
    s_current = -1;
    s_first = -1;
    s_pageWindow = 0;
    s_copyFinished = 0;
    if (!g_hiddenMode) {
        LONG_PTR style = GetWindowLongPtrA(frame, GWL_STYLE);
        SetWindowLongPtrA(frame, GWL_STYLE, style & ~(LONG_PTR)(WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    }
    BuildPageList();
    SetTitleAndCentre(frame, "TI");
    if (ReadDlgInt("DCM", 0)) ShowWindow(GetDlgItem(frame, IDC_ENGINE_NAME), SW_HIDE);
    SetFrameButtonText(IDC_BACK, "C6");
    SetFrameButtonText(IDC_NEXT, "C5");
    SetFrameButtonText(IDCANCEL, "C2");
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
        if (g_speedFlag && s_current == s_at.copy && !s_copyFinished)
            ((WINDOWPOS *)lParam)->flags &= ~SWP_SHOWWINDOW;
        break;
    }
    return FALSE;
}
