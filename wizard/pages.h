// Page templates, frame controls, the page list and the values the pages
// hand to each other. The page procedures of the install driver (detection
// and copy, in install/) plug in through CopyPageProc and DetectionPageProc.
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
#define IDD_COPY 13000      // the copy page and the detection page
#define IDD_COPY_ALONE 13500 // the separate copy dialog ([DLG] "SPD")
#define IDD_INFORMATION 14000
#define IDD_INPUTFIELDS 15000
#define IDD_FINISH 30000

// Frame controls.
#define IDC_BACK 200
#define IDC_NEXT 201
#define IDC_ENGINE_NAME 2000

#define MAX_PAGES 51
#define MAX_MARKERS 100

struct PageEntry {
    int templateId;
    DLGPROC procedure;
    int enabled;
    int actionNumber;  // [ACT] item of a page defined by a custom action; 0 otherwise
    int kind;          // base template; 10000 marks a folder-style page
};

// Named page indexes; -1 for a page that was not added.
struct PageIndexes {
    short welcome, licence, readme, userInfo, setupType, components, clarion, destination, programFolder,
        ready, detection, copy, finish;
};

extern PageEntry g_pages[MAX_PAGES];
extern int g_pageCount;
extern short g_actionMarker[MAX_MARKERS];
extern PageIndexes g_pageIndex;
extern int g_currentPage;     // index of the page on screen, -1 before the first
extern HWND g_pageWindow;     // the page dialog on screen
extern HWND g_frameWindow;    // the wizard frame
extern int g_copyFinished;

// Values the pages store for later pages.
extern char g_setupTypeName[20];
extern char g_setupTypeDescription[100];
extern char g_installFolder[127];
extern char g_spaceText[20];
extern char g_programGroup[127];
extern char g_userName[80];
extern char g_userCompany[80];
extern char g_userId[30];
extern int g_finishMask;  // 1, 2, 4: ticked check boxes of the finish page

// Page procedures.
INT_PTR CALLBACK WelcomePageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK LicencePageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ReadmePageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ReadyPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK InformationPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK FinishPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK UserInfoPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK SetupTypePageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ComponentsPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ClarionPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK DestinationPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK ProgramFolderPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK InputFieldsPageProc(HWND, UINT, WPARAM, LPARAM);
// Install driver (install/): both walk on a timer and, when done, enable
// Next and send the frame WM_COMMAND IDC_NEXT.
INT_PTR CALLBACK DetectionPageProc(HWND, UINT, WPARAM, LPARAM);
INT_PTR CALLBACK CopyPageProc(HWND, UINT, WPARAM, LPARAM);

// Page index of a page window (its slot in the picture table).
int PageIndexOf(HWND page);
// Action number of the page on screen (0 for built-in pages).
int CurrentActionNumber();
// The frame's buttons.
HWND FrameButton(int id);
