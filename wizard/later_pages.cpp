// Pages of the frame whose own behaviour is filled in with their families
// (setup type, components, folders, entry pages): for now each shows its
// heading and subheading, picture and colours like every page.
#include "display/pictures.h"
#include "script/settings.h"
#include "wizard/default_folder.h"
#include "install/install_state.h"
#include "wizard/page_framework.h"
#include "wizard/pages.h"

// Heading and subheading items and keys of one page.
struct ShellPage {
    int headingItem, subheadingItem;
    const char *headingKey, *subheadingKey;
};

static INT_PTR ShellPageMessage(const ShellPage &shell, HFONT *font, HWND page, UINT message, WPARAM wParam,
                                LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(page, DWLP_USER, (LONG_PTR)lParam);
        *font = CreateHeadingFont(page, shell.headingItem, 13, 0, 600);
        LoadPagePicture(page, (int)lParam, SetupPicturePath(2));
        if (shell.headingKey) SetItemTextFromKey(page, shell.headingKey, shell.headingItem, 2);
        if (shell.subheadingKey) SetItemTextFromKey(page, shell.subheadingKey, shell.subheadingItem, 2);
        return TRUE;
    case WM_PAINT:
        PaintPage(page, 437, 1, 1, PageIndexOf(page));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = HeaderColours((HDC)wParam, (HWND)lParam, message, page, shell.headingItem);
        if (!brush) brush = HeaderColours((HDC)wParam, (HWND)lParam, message, page, shell.subheadingItem);
        return (INT_PTR)brush;
    }
    case WM_DESTROY:
        DeleteHeadingFont(*font);
        *font = 0;
        FreePagePicture(PageIndexOf(page));
        return TRUE;
    }
    return FALSE;
}

#define SHELL_PAGE(name, heading, subheading, headingKey, subheadingKey)                         \
    INT_PTR CALLBACK name(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {             \
        static HFONT font;                                                                      \
        static const ShellPage shell = {heading, subheading, headingKey, subheadingKey};        \
        return ShellPageMessage(shell, &font, page, message, wParam, lParam);                   \
    }

SHELL_PAGE(UserInfoPageProc, 628, 621, 0, 0)
SHELL_PAGE(SetupTypePageProc, 614, 601, "C30", "ST")
SHELL_PAGE(ComponentsPageProc, 587, 588, "C29", "C79")
SHELL_PAGE(ClarionPageProc, 572, 573, "C11", "C76")
static INT_PTR DestinationShell(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static HFONT font;
    static const ShellPage shell = {522, 523, "C12", "C66"};
    if (message == WM_INITDIALOG) {
        // The folder the copy will use: computed on the first showing, kept
        // afterwards.
        if (!g_defaultFolderComputed) ComputeDefaultFolder();
        else SplitInstallFolder();
        SetDlgItemTextA(page, 101, g_installFolder);
        SetItemTextFromKey(page, "C13", 524, 0);
    }
    return ShellPageMessage(shell, &font, page, message, wParam, lParam);
}
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return DestinationShell(page, message, wParam, lParam);
}
SHELL_PAGE(ProgramFolderPageProc, 596, 597, "C26", "C77")
SHELL_PAGE(InputFieldsPageProc, 1012, 1013, 0, 0)
