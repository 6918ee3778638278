// Process-wide settings and state that many units read: set during start-up
// buffers; the sizes count the terminating NUL.
#pragma once
#include <windows.h>

#define PATH_TEXT 127
#define LONG_TEXT 255

extern HINSTANCE g_instance;
extern char g_ownPath[LONG_TEXT];
extern int g_isAdministrator;
extern char g_windowsDir[PATH_TEXT];
extern int g_testMode;
extern int g_silentMode;
extern int g_hiddenMode;
extern int g_speedFlag;           // [DLG] "SPD"
extern WORD g_platform;           // 1 Windows 95 family, 2 NT family
extern int g_windowsFamily;       // 1, 2, 16, 4, 8, 32 or 0
extern int g_servicePack;         // Windows 2000 service-pack major number
extern int g_freeSpaceKB;         // measured when the folder is confirmed

extern char *g_textBuffer;        // 20480 bytes, text blocks
extern char *g_summaryBuffer;     // 2548 bytes, shown by the finish page
#define TEXT_BUFFER_SIZE 20480
#define SUMMARY_BUFFER_SIZE 2548

extern SYSTEMTIME g_startTime;
extern char g_cancelQuestion[PATH_TEXT];
extern char g_messageTitle[50];   // [DLG] "TI" once the wizard frame opens
extern char g_windowTitle[50];    // [DLG] "TI", background window
extern HWND g_ownerWindow;
extern WORD g_restartNeeded;
extern WORD g_setupStatus;
extern int g_recordsPerTick;      // [DLG] "NO", 0 read as 1
extern int g_backgroundStyle;     // [DLG] "BG1"
extern int g_backgroundColour;    // [DLG] "BG2"
extern int g_noReadOnlyFlag;      // [DLG] "NRROF"
extern int g_noLogFlag;           // [DLG] "NRLF"
extern int g_diskRequired;        // [CMP] "+1d"
extern int g_diskRequiredTotal;
extern HFILE g_installLog;
extern HMODULE g_richEdit;

#ifdef SETUP_WALK_FIGURES
// Measurement build only: the wall clock in microseconds since 1970, and
// when the start-up began and when the integrity check was done.
ULONGLONG FigureClock();
extern ULONGLONG g_figureMainAt, g_figureCheckedAt;
#endif
