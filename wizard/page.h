// What a page family needs from the wizard driver: the template numbers, the
// frame's buttons, the hooks a page type fills in, and the page types the
// driver lists. Families include this, never each other nor the driver.
#pragma once
#include <windows.h>

// Dialog templates.
#define IDD_WELCOME 2000
#define IDD_LICENCE 3000
#define IDD_README 4000
#define IDD_USERINFO 6000
#define IDD_SETUPTYPE 7000
#define IDD_COMPONENTS 8000
#define IDD_CLARION 9000
#define IDD_DESTINATION 10000
#define IDD_PROGRAMFOLDER 11000
#define IDD_READY 12000
#define IDD_COPY 13000       // the copy page and the detection page
#define IDD_COPY_ALONE 13500 // the separate copy dialog ([DLG] "SPD")
#define IDD_INFORMATION 14000
#define IDD_INPUTFIELDS 15000
#define IDD_FINISH 30000

// Frame controls.
#define IDC_BACK 200
#define IDC_NEXT 201
#define IDC_ENGINE_NAME 2000

// The steps the driver runs around a page change. Checks return 1 to go
// on, 0 to stay (leave check) or to skip the page (enter check); the other
// steps' results are not used.
enum PageHook {
    HOOK_LEAVE_CHECK,  // Next pressed on the page
    HOOK_COMMIT,       // the page was left with Next
    HOOK_AFTER_LEAVE,  // after the commit, also for a skipped page
    HOOK_SKIP_DEFAULT, // the page is switched off and passed
    HOOK_ENTER_CHECK,  // the page is about to be shown (page window: the old one)
    HOOK_BEFORE_LEAVE, // Next or Back pressed, before anything else
    HOOK_AFTER_BACK    // the page was shown again by Back
};
typedef int (*PageHookProc)(int hook, HWND page, int index);

struct PageType {
    int templateId;
    DLGPROC procedure;
    PageHookProc hooks;  // 0: no steps
    int kind;            // base template; 10000 marks a folder-style page
};

// Built-in pages and the pages custom actions define, by family.
extern const PageType g_welcomePage, g_licencePage, g_readmePage, g_readyPage, g_finishPage,
    g_informationActionPage, g_readmeActionPage;                     // text pages
extern const PageType g_setupTypePage, g_componentsPage;             // setup type and components
extern const PageType g_destinationPage, g_folderPromptActionPage;   // folders
extern const PageType g_clarionPage;                                 // Clarion environments
extern const PageType g_userInfoPage, g_programFolderPage, g_inputFieldsActionPage;  // entry pages

// Services of the driver.
// [ACT] item of the page at index (0 for a built-in page).
int PageActionNumber(int index);
// The frame's buttons: caption from a [DLG] key, enabling, a posted press.
void SetFrameButtonText(int button, const char *key);
void EnableFrameButton(int button, BOOL enable);
void PostFrameButton(int button);
// Switches the components page on or off again from [DLG] "Z8".
void ResetComponentsPage();
