// The folder pages: the destination folder with its default and the
// free-space check, and the folder-prompt page of custom actions.
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "base/settings.h"
#include "script/system_variables.h"
#include "script/text_blocks.h"
#include "base/text.h"
#include <commdlg.h>
#include "wizard/choices.h"
#include "wizard/folder_name.h"
#include "wizard/page.h"
#include "wizard/page_framework.h"

static int StartsWithNoCase(const char *text, const char *start) {
    int length = TextLength(start);
    if (TextLength(text) < length) return 0;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, length, start, length) == CSTR_EQUAL;
}

static int IsDriveQualified(const char *path) { return path[0] && path[1] == ':'; }

static void PrefixDriveC(const char *path) {
    char folder[sizeof g_installFolder];
    CopyText(folder, "C:\\", sizeof folder);
    AppendText(folder, path[0] == '\\' ? path + 1 : path, sizeof folder);
    CopyText(g_installFolder, folder, sizeof g_installFolder);
}

static void RemoveTrailingBackslash(char *path) {
    int length = TextLength(path);
    if (length > 3 && path[length - 1] == '\\') path[length - 1] = 0;
}

// "%RegDir%" forms: the base folder from the registry or an INI file, then
// the part of "DF" after the marker.
static void FolderFromRegistry(const char *df, char *scratch, int size) {
    char key[127], value[127], file[CONVERT_BUFFER_SIZE];
    ReadDlgText("R1", key, sizeof key);
    ReadDlgText("R2", value, sizeof value);
    ReadDlgText("R3", file, 127);
    if (file[0] && g_support.CONVERTMACRO) g_support.CONVERTMACRO(file, 3);
    if (!file[0]) {
        // GETREG writes at most 255 bytes and a terminator.
        char result[CONVERT_BUFFER_SIZE] = "";
        if (g_support.GETREG) g_support.GETREG(ReadDlgInt("PK", 3), key, value, result, 0);
        CopyText(scratch, result, size);
    } else {
        GetPrivateProfileStringA(key, value, "", scratch, (DWORD)size, file);
    }
    if (!scratch[0]) ReadDlgText("DFX", scratch, size);
    int length = TextLength(df);
    int start = (length > 10 && df[10] == ':') || (length > 11 && df[11] == '\\') ? 12 : 9;
    const char *relative = length > start ? df + start : "";
    if (!g_installFolder[0]) {
        CopyText(g_installFolder, scratch, sizeof g_installFolder);
        int used = TextLength(g_installFolder);
        if (used && g_installFolder[used - 1] != '\\' && relative[0] != '\\')
            AppendText(g_installFolder, "\\", sizeof g_installFolder);
        AppendText(g_installFolder, relative, sizeof g_installFolder);
    }
    RemoveTrailingBackslash(g_installFolder);
}

static void SplitInstallFolder() {
    const char *last = g_installFolder;
    for (const char *c = g_installFolder; *c; c++)
        if (*c == '\\' && c[1]) last = c + 1;
    CopyText(g_folderLastPart, last, sizeof g_folderLastPart);
    CopyText(g_folderWithoutDrive, IsDriveQualified(g_installFolder) ? g_installFolder + 2 : g_installFolder,
             sizeof g_folderWithoutDrive);
}

// %INSTDIR% and %ROOTDRV% (the folder's first two characters).
static void PublishInstallFolder() {
    SetVariableValue("%INSTDIR%", g_installFolder);
    char drive[3] = {g_installFolder[0], g_installFolder[0] ? g_installFolder[1] : (char)0, 0};
    SetVariableValue("%ROOTDRV%", drive);
}

static void ComputeDefaultFolder() {
    g_defaultFolderComputed = 1;
    char df[81], scratch[127] = "";
    ReadDlgText("DF", df, sizeof df);
    // A chosen Clarion product's folder replaces this computation.
    if (!g_clarionFolderChosen) {
        if (StartsWithNoCase(df, "%RegDir%"))
            FolderFromRegistry(df, scratch, sizeof scratch);
        else
            CopyText(g_installFolder, df, sizeof g_installFolder);
        if (ReadDlgInt("DLL100", 0)) {
            CallPlugin(3000);
            char value[VARIABLE_TEXT + 1];
            ReadVariable("%INSTDIR%", value);
            CopyText(g_installFolder, value, sizeof g_installFolder);
        }
        // A folder without a drive goes to drive C:. With "%RegDir%" the
        // base folder decides; a base that has no drive either is put on C:
        // too.
        if (!IsDriveQualified(g_installFolder) && !(g_installFolder[0] == '\\' && g_installFolder[1] == '\\'))
            PrefixDriveC(g_installFolder[0] ? g_installFolder : scratch);
        RemoveTrailingBackslash(g_installFolder);
    }
    SplitInstallFolder();
    PublishInstallFolder();
}


// Folder browser: the common save dialog on the "BRO" template, of which
// only the drive box, the folder list and the path field are in use.
#define IDC_FOLDER_LABEL 101
#define IDC_BROWSE 102
#define IDC_BROWSE_PATH 1088
#define IDC_BROWSE_FOLDERS 1121
#define IDC_BROWSE_DRIVES 1137
static int s_browseAppend;  // [DIR] "APPEND"
// The folder as the user chose it, which may be longer than the engine's
// folder: such a folder is refused whole on Next, never cut.
static int s_folderTooLong;

static UINT_PTR CALLBACK BrowseHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetTitleAndCentre(dialog, "TI");
        SetItemTextFromKey(dialog, "C1", IDOK, 0);
        SetItemTextFromKey(dialog, "C2", IDCANCEL, 0);
        SetItemTextFromKey(dialog, "C20", 581, 0);
        SetItemTextFromKey(dialog, "C21", 1091, 0);
        int noDrives = ReadDlgInt("A0", 0) == 1, noFolders = ReadDlgInt("A1", 0) == 1;
        EnableWindow(GetDlgItem(dialog, IDC_BROWSE_DRIVES), !noDrives);
        EnableWindow(GetDlgItem(dialog, IDC_BROWSE_FOLDERS), !noFolders);
        EnableWindow(GetDlgItem(dialog, IDC_BROWSE_PATH), !noDrives && !noFolders);
        return TRUE;
    }
    case WM_DRAWITEM: {
        // The lists redraw as the user moves: the path field follows the
        // folder the dialog is in, with the product's folder below it.
        char path[MAX_PATH + sizeof g_installFolder];
        DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
        if (length == 0 || length >= MAX_PATH) return FALSE;
        if (length == 3 || s_browseAppend) {
            if (length > 2 && path[length - 1] != '\\') {
                AppendText(path, "\\", sizeof path);
                AppendText(path, g_folderLastPart, sizeof path);
            } else {
                AppendText(path, g_folderWithoutDrive[0] == '\\' ? g_folderWithoutDrive + 1 : g_folderWithoutDrive,
                           sizeof path);
            }
        }
        SetDlgItemTextA(dialog, IDC_BROWSE_PATH, path);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // A folder longer than the engine holds is kept out whole.
            char path[sizeof g_installFolder + 1];
            GetDlgItemTextA(dialog, IDC_BROWSE_PATH, path, sizeof path);
            s_folderTooLong = TextLength(path) >= (int)sizeof g_installFolder;
            RemoveTrailingBackslash(path);
            if (!s_folderTooLong) CopyText(g_installFolder, path, sizeof g_installFolder);
        }
        return FALSE;
    }
    return FALSE;
}

// Returns 1 when the user chose a folder with OK.
static int BrowseForFolder(HWND page) {
    char file[260];
    CopyText(file, "Target", sizeof file);
    char start[4] = {g_installFolder[0] ? g_installFolder[0] : 'C', ':', '\\', 0};
    OPENFILENAMEA dialog;
    SecureZeroMemory(&dialog, sizeof dialog);
    // The first layout, which every Windows of the list knows (76 bytes in
    // 32-bit programs).
    dialog.lStructSize = sizeof(OPENFILENAME_NT4A);
    dialog.hwndOwner = page;
    dialog.hInstance = g_instance;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = start;
    dialog.lpTemplateName = "BRO";
    dialog.lpfnHook = BrowseHook;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    if (LOBYTE(LOWORD(GetVersion())) > 3) dialog.Flags |= OFN_LONGNAMES;
    s_browseAppend = ReadSettingInt("DIR", "APPEND", 0);
    if (!GetSaveFileNameA(&dialog)) return 0;
    UpdateWindow(page);
    SplitInstallFolder();
    SetDlgItemTextA(page, IDC_FOLDER_LABEL, g_installFolder);
    ShowPathInLabel(page, IDC_FOLDER_LABEL, g_installFolder);
    return 1;
}

// 1 when the script's format takes no more than the arguments a message
// gives it, in their order ("u" a number, "s" a text): any other conversion
// would read what was not passed.
static int FormatTakes(const char *format, const char *kinds) {
    for (const char *c = format; *c; c++) {
        if (*c != '%') continue;
        if (*++c == '%') continue;
        if (!*c) break;
        while (*c == '-' || *c == '#' || *c == '0' || *c == ' ' || *c == '+' || (*c >= '0' && *c <= '9')) c++;
        if (*c == 'l' || *c == 'h') c++;
        int number = *c == 'u' || *c == 'd' || *c == 'i' || *c == 'x' || *c == 'X';
        if (!*kinds || (*kinds == 'u' ? !number : *c != 's')) return 0;
        kinds++;
    }
    return 1;
}

// A message of the destination page from [DLG] key with its arguments;
// the page stays.
static int RefuseFolder(HWND page, const char *key, const char *kinds, INT_PTR first, INT_PTR second) {
    char format[256], message[1025];
    ReadDlgText(key, format, sizeof format);
    if (FormatTakes(format, kinds)) wsprintfA(message, format, first, second);
    else CopyText(message, format, sizeof message);
    MessageBoxA(page, message, g_messageTitle, MB_OK);
    return 0;
}

// The folder the user chose, checked once on Next: one the engine cannot
// hold ("C87" with the limit) or Windows cannot create ("C88" with the
// folder) keeps the page; so does too little space on its drive ("C64"
// with the KB missing and the drive; exactly enough passes). The space
// needed is the figure the ready page shows: the space text of the setup
// type or of the components page, else the base space.
static int CheckChosenFolder(HWND page) {
    if (s_folderTooLong) return RefuseFolder(page, "C87", "u", sizeof g_installFolder - 1, 0);
    if (!IsUsableFolder(g_installFolder)) return RefuseFolder(page, "C88", "s", (INT_PTR)g_installFolder, 0);
    unsigned needed = (unsigned)(g_spaceText[0] ? ParseDecimal(g_spaceText) : g_diskRequired);
    unsigned free = (unsigned)GetFreeDiskSpaceKB(g_installFolder);
    g_freeSpaceKB = (int)free;
    if (free >= needed) return 1;
    char drive[3] = {g_installFolder[0], g_installFolder[0] ? g_installFolder[1] : (char)0, 0};
    return RefuseFolder(page, "C64", "us", needed - free, (INT_PTR)drive);
}

static char s_savedDirectory[MAX_PATH];
static char s_savedFolder[sizeof g_installFolder];

static INT_PTR FolderPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {522, 523};
    INT_PTR result;
    if (CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result)) return result;
    return FALSE;
}

static void StartFolderPage(HWND page) {
    SetItemTextFromKey(page, "C14", IDC_BROWSE, 0);
    SetItemTextFromKey(page, "C13", 524, 0);
    s_savedDirectory[0] = 0;
}

static INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        StartBannerPage(page, lParam, 522, "C12", 523, 0);
        StartFolderPage(page);
        SetItemTextFromKey(page, "C66", 523, 0);
        ExtractTextBlock("[STR DES]", "[END DES]", page, 521, 1, 0);
        if (ReadDlgInt("A2", 0) != 1) ShowWindow(GetDlgItem(page, IDC_BROWSE), SW_SHOW);
        // Computed on the first showing; later showings keep the choice.
        if (!g_defaultFolderComputed) ComputeDefaultFolder();
        else SplitInstallFolder();
        s_folderTooLong = 0;
        SetDlgItemTextA(page, IDC_FOLDER_LABEL, g_installFolder);
        GetCurrentDirectoryA(sizeof s_savedDirectory, s_savedDirectory);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) BrowseForFolder(page);
        break;
    }
    return FolderPageMessage(page, message, wParam, lParam);
}

static int DestinationHooks(int hook, HWND page, int index) {
    switch (hook) {
    case HOOK_LEAVE_CHECK: return CheckChosenFolder(page);
    case HOOK_SKIP_DEFAULT:
        if (!g_defaultFolderComputed) ComputeDefaultFolder();
        break;
    case HOOK_AFTER_LEAVE: PublishInstallFolder(); break;
    case HOOK_BEFORE_LEAVE:
        if (s_savedDirectory[0]) SetCurrentDirectoryA(s_savedDirectory);
        break;
    }
    return 1;
}

// Folder-prompt page of a custom action: borrows the installation folder
// for the variable named by "+%ip1" while it is on screen.
static INT_PTR CALLBACK FolderPromptPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    int action = PageActionNumber(PageIndexOf(page));
    char name[50];
    switch (message) {
    case WM_INITDIALOG: {
        action = PageActionNumber(StartPage(page, lParam, 522, 600, 2));
        SetActionHeading(page, action, 522);
        SetActionBlocks(page, action, 521, 523);
        StartFolderPage(page);
        ShowWindow(GetDlgItem(page, IDC_BROWSE), SW_SHOW);
        char value[VARIABLE_TEXT + 1];
        ReadListField("ACT", action, "p1", name, sizeof name);
        ReadVariable(name, value);
        SetDlgItemTextA(page, IDC_FOLDER_LABEL, value);
        GetCurrentDirectoryA(sizeof s_savedDirectory, s_savedDirectory);
        CopyText(s_savedFolder, g_installFolder, sizeof s_savedFolder);
        CopyText(g_installFolder, value, sizeof g_installFolder);
        SplitInstallFolder();
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
            BrowseForFolder(page);
            ReadListField("ACT", action, "p1", name, sizeof name);
            if (name[0]) SetVariableValue(name, g_installFolder);
        }
        break;
    case WM_DESTROY:
        if (s_savedDirectory[0]) SetCurrentDirectoryA(s_savedDirectory);
        break;
    }
    return FolderPageMessage(page, message, wParam, lParam);
}

static int FolderPromptHooks(int hook, HWND page, int index) {
    if (hook == HOOK_BEFORE_LEAVE) {
        CopyText(g_installFolder, s_savedFolder, sizeof g_installFolder);
        SplitInstallFolder();
    }
    return 1;
}

const PageType g_destinationPage = {IDD_DESTINATION, DestinationPageProc, DestinationHooks, IDD_DESTINATION};
const PageType g_folderPromptActionPage = {IDD_DESTINATION, FolderPromptPageProc, FolderPromptHooks,
                                           IDD_DESTINATION};
