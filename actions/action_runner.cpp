// The custom actions of [ACT]: each item names a type, parameters p1 to p6,
// flags ("+%ip9"), a file pattern ("+%iw"), its phase ("+%it"), a component
// letter ("+%iz") and a condition the support library decides.
#include "actions/action_runner.h"
#include "actions/file_operations.h"
#include "actions/program_launch.h"
#include "actions/text_edit.h"
#include "install/install_log.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/system_variables.h"
#include "script/variables.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "base/text.h"
#include "wizard/page_framework.h"

namespace {

enum {
    ACT_COPY = 100, ACT_MOVE = 200, ACT_DELETE = 300, ACT_CREATE_FOLDER = 400, ACT_REMOVE_FOLDER = 500,
    ACT_SOUND = 600, ACT_EDIT_TEXT = 700, ACT_RUN = 800, ACT_FIND_FILE = 1100, ACT_READ_INI = 1200,
    ACT_READ_REGISTRY = 1300, ACT_SET_VARIABLE = 1400, ACT_COPY_TREE = 2000, ACT_LOG_RUNWAIT = 2200,
    ACT_WARN_WINDOW = 2300, ACT_CLOSE_WINDOW = 2400, ACT_CHECK_REGISTRY = 2500
};
enum { FLAG_WAIT = 4, FLAG_PROGRESS_COPY = 32, FLAG_STOP = 1 };

struct Item {
    int type, flags;
    char p[6][256];  // p1 .. p6
    char pattern[80];
};

INT_PTR CALLBACK StatusDialogProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    SetTitleAndCentre(window, 0);
    return TRUE;
}

// Reads item i; 0 when a parameter or the pattern does not fit its buffer,
// before or after expansion: a cut path or pattern names other files.
int ReadItem(int i, Item &item) {
    static const char fields[6][3] = {"p1", "p2", "p3", "p4", "p5", "p6"};
    int fits = 1;
    item.type = ReadListFieldInt("ACT", i, "a", 0);
    for (int k = 0; k < 6; k++) {
        ReadListField("ACT", i, fields[k], item.p[k], sizeof item.p[k]);
        if (TextLength(item.p[k]) >= 255) fits = 0;
        // p1 of the variable types is the name of the variable to set.
        int isName = k == 0 && item.type >= ACT_FIND_FILE && item.type <= ACT_SET_VARIABLE;
        if (!isName && g_support.CONVERTMACRO) g_support.CONVERTMACRO(item.p[k], 3);
        item.p[k][255] = 0;
        if (TextLength(item.p[k]) >= 255) fits = 0;
    }
    item.flags = ReadListFieldInt("ACT", i, "p9", 0);
    ReadListField("ACT", i, "w", item.pattern, sizeof item.pattern);
    return fits && TextLength(item.pattern) < (int)sizeof item.pattern - 1;
}

void ShowStatus(HWND parent, const Item &item) {
    if (g_actionStatus) {
        if (!item.p[2][0]) {
            ShowWindow(g_actionStatus, SW_HIDE);
        } else {
            ShowWindow(g_actionStatus, SW_SHOW);
            SetDlgItemTextA(g_actionStatus, 901, item.p[2]);
            SetDlgItemTextA(g_actionStatus, 911, item.p[0]);
            UpdateWindow(g_actionStatus);
        }
    }
    if (parent) SetDlgItemTextA(parent, 562, item.p[2]);
}

void Message(const char *text) {
    char title[50];
    // At start-up the wizard has not yet set the title: take it here.
    if (g_messageTitle[0])
        CopyText(title, g_messageTitle, sizeof title);
    else
        ReadDlgText("TI", title, sizeof title);
    MessageBoxA(0, text, title, MB_TASKMODAL);
}

int IsFile(const char *path) {
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Carries out one item; 1 when it asks to stop the list.
int RunItem(HWND parent, Item &item) {
    char *p1 = item.p[0], *p2 = item.p[1], *p4 = item.p[3], *p5 = item.p[4], *p6 = item.p[5];
    char buffer[256];
    buffer[0] = 0;
    switch (item.type) {
    case ACT_COPY:
        if (item.pattern[0]) {
            if (GetFileAttributesA(p2) == INVALID_FILE_ATTRIBUTES && g_support.KWP_CREATEPATH) {
                g_support.KWP_CREATEPATH(p2);
                if ((item.flags & ACTION_LOG) && GetFileAttributesA(p2) != INVALID_FILE_ATTRIBUTES)
                    LogRecord("Create :", p2);
            }
            ProcessMatchingFiles(MATCH_COPY, p1, p2, item.pattern, item.flags);
        } else {
            // A folder named as the source has nothing CopyFileA could copy.
            int existed = IsFile(p2);
            int copied = !IsFile(p1)                             ? 0
                         : (item.flags & FLAG_PROGRESS_COPY) ? CopyFileWithProgress(p1, p2, parent, p4)
                                                                 : CopyFileA(p1, p2, FALSE);
            if (copied && (item.flags & ACTION_LOG)) LogCopied(p2, existed);
            if (item.flags & ACTION_RESET_READ_ONLY) ResetReadOnly(p2);
        }
        break;
    case ACT_MOVE: MoveFileA(p1, p2); break;
    case ACT_DELETE:
        if (item.pattern[0])
            ProcessMatchingFiles(MATCH_DELETE, p1, p1, item.pattern, 0);
        else
            DeleteFileA(p1);
        break;
    case ACT_CREATE_FOLDER:
        if (g_support.KWP_CREATEPATH) g_support.KWP_CREATEPATH(p1);
        break;
    case ACT_REMOVE_FOLDER:
        if (item.pattern[0]) ProcessMatchingFiles(MATCH_DELETE, p1, p1, item.pattern, 0);
        RemoveDirectoryA(p1);
        break;
    case ACT_SOUND: PlaySoundFile(p1); break;
    case ACT_EDIT_TEXT: EditTextFile(p2, p4, p5, ParseDecimal(p1)); break;
    case ACT_RUN: RunProgram(p1, "", p2, item.flags & FLAG_WAIT, 0); break;
    case ACT_FIND_FILE:
        if (FindFileInTree(p4, p2, item.flags, buffer)) SetVariableValue(p1, buffer);
        break;
    case ACT_READ_INI:
        if (GetPrivateProfileStringA(p4, p5, "", buffer, 255, p2)) SetVariableValue(p1, buffer);
        break;
    case ACT_READ_REGISTRY:
        if (g_support.GETREG) g_support.GETREG(ParseDecimal(p2), p4, p5, buffer, 0);
        buffer[255] = 0;
        SetVariableValue(p1, buffer);
        break;
    case ACT_SET_VARIABLE: SetVariableValue(p1, p2); break;
    case ACT_COPY_TREE: CopyFolderTree(p1, p2, TREE_SUBFOLDERS | TREE_CREATE); break;
    case ACT_LOG_RUNWAIT: LogRecord("RunWait:", p1); break;
    case ACT_WARN_WINDOW:
        if (!FindWindowByTitle(p1, 0)) break;
        Message(p2);
        return (item.flags & FLAG_STOP) != 0;
    case ACT_CLOSE_WINDOW: FindWindowByTitle(p1, 1); break;
    case ACT_CHECK_REGISTRY: {
        int read = g_support.GETREG && g_support.GETREG(ParseDecimal(p2), p4, p5, buffer, 0) == 1;
        buffer[255] = 0;
        int found = read && (!p6[0] || lstrcmpiA(p6, buffer) == 0);
        int mode = item.flags;
        if ((mode == 1 || mode == 2) && found) return Message(p1), mode == 2;
        if (mode == 3 && !found) return Message(p1), 1;
        break;
    }
    }
    // Any other type (the wizard's page types among them) runs nothing.
    return 0;
}

}  // namespace

int FindWindowByTitle(const char *text, int close) {
    int length = TextLength(text);
    if (length == 0 || length > 255) return 0;
    DWORD self = GetCurrentProcessId();
    for (HWND w = GetWindow(GetTopWindow(0), GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
        // The setup's own windows are never the program an action means.
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == self) continue;
        char title[256];
        title[0] = 0;
        GetWindowTextA(w, title, length + 1);
        if (lstrcmpiA(title, text) != 0) continue;
        if (close) PostMessageA(w, WM_CLOSE, 0, 0);
        return 1;
    }
    return 0;
}

int RunActions(int phase, HWND parent) {
    if (g_testMode) return 0;
    int count = ListCount("ACT");
    SetCursor(LoadCursorA(0, (LPCSTR)IDC_WAIT));
    // Before the copy page the support library does not know the main
    // script yet: without it neither variables nor conditions would work.
    if (phase == 10 && g_support.INITMAK)
        g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, (int)g_installLog);
    if (count) {
        g_actionStatus = CreateDialogParamA(g_instance, "UPD", g_ownerWindow ? g_ownerWindow : parent,
                                            StatusDialogProc, 0);
        if (g_actionStatus) ShowWindow(g_actionStatus, SW_HIDE);
        if (parent) {
            UpdateWindow(parent);
            HWND bar = GetDlgItem(parent, 106);
            ShowWindow(bar, SW_HIDE);
            ShowWindow(bar, SW_SHOW);
            UpdateWindow(bar);
        }
    }
    int stop = 0;
    Item *item = (Item *)LocalAlloc(LMEM_FIXED, sizeof(Item));
    for (int i = 1; item && i <= count && !stop; i++) {
        char letter[2];
        ReadListField("ACT", i, "z", letter, sizeof letter);
        int skip = g_support.CHECKCONDITION ? g_support.CHECKCONDITION(i, "ACT") : 0;
        if (!skip && ReadListFieldInt("ACT", i, "t", 0) != phase) skip = 1;
        if (skip || (phase != 10 && !ComponentLetterSelected(letter))) continue;
        int fits = ReadItem(i, *item);
        ShowStatus(parent, *item);
        if (fits) {
            stop = RunItem(parent, *item);
        } else {
            char text[40];
            wsprintfA(text, "Action %i: text too long", i);
            LogRecord("Error  :", text);
        }
    }
    if (item) LocalFree(item);
    if (g_actionStatus) DestroyWindow(g_actionStatus);
    g_actionStatus = 0;
    SetCursor(LoadCursorA(0, (LPCSTR)IDC_ARROW));
    return stop;
}
