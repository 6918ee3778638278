// The support library's entries: names, signatures and binding order.
// The engine binds them by name with GetProcAddress in the order of
// SUPPORT_ENTRY_LIST; the library exports them undecorated (stdcall on the
// 32-bit build). Integers that cross the interface are 32-bit.
#pragma once
#include <windows.h>

#define SUPPORT_CALL WINAPI

typedef int(SUPPORT_CALL *PFN_UDF1)(int firstEntryOffset, int arg);
typedef int(SUPPORT_CALL *PFN_KWP_UINIT_MP)(HWND progressWindow);
typedef int(SUPPORT_CALL *PFN_KWP_NEXTLOOP)(const char *programPath, int skipping, char *entryRecord);
typedef int(SUPPORT_CALL *PFN_KWP_UNPACK)(const char *entryName, const char *folderText,
                                          const char *programPath, const char *targetFolder,
                                          int options);
typedef int(SUPPORT_CALL *PFN_CREATELINK)(const char *target, const char *linkPath, const char *workDir,
                                          const char *iconFile, int iconIndex, const char *arguments,
                                          int hotKey);
typedef int(SUPPORT_CALL *PFN_KWP_FILEEXISTS)(const char *path);
typedef int(SUPPORT_CALL *PFN_PATHMACRO)(const char *folder, const char *suffix, char *result);
typedef int(SUPPORT_CALL *PFN_LOGINFO)(const char *tag, const char *text, int logHandle);
typedef int(SUPPORT_CALL *PFN_INITMAK)(const char *scriptPath, int platform, int family, int clarionVersion,
                                       int logHandle);
typedef int(SUPPORT_CALL *PFN_KWP_CREATEPATH)(const char *path);
typedef int(SUPPORT_CALL *PFN_WRITEREG)(const char *componentLetters);
typedef int(SUPPORT_CALL *PFN_KWP_U_SETMSG)(int number, const char *text);
typedef int(SUPPORT_CALL *PFN_KWP_U_FILERENAME)(const char *fileName);
// CONVERTMACRO expands in place and knows no buffer size: callers pass a
// buffer of CONVERT_BUFFER_SIZE bytes for modes 1, 2 and 3 and of
// CONVERT_BLOCK_SIZE bytes (the text buffer) for mode 5; the expansion is
// cut to fit.
#define CONVERT_BUFFER_SIZE 256
#define CONVERT_BLOCK_SIZE 20480
typedef int(SUPPORT_CALL *PFN_CONVERTMACRO)(char *buffer, int mode);
typedef int(SUPPORT_CALL *PFN_CHECKCONDITION)(int item, const char *section);
typedef int(SUPPORT_CALL *PFN_GETREG)(int root, const char *key, const char *valueName, char *result, int extra);
typedef int(SUPPORT_CALL *PFN_REGTLB)(const char *path);
typedef int(SUPPORT_CALL *PFN_SFXSIG)(const char *programPath, int size);
typedef int(SUPPORT_CALL *PFN_INITSCRIPT)(const char *fileScriptPath);
typedef int(SUPPORT_CALL *PFN_CREATEFOLDER)(const char *path);
typedef int(SUPPORT_CALL *PFN_strnsub)(char *text, const char *find, const char *replace);

// X(name): every entry in binding order.
#define SUPPORT_ENTRY_LIST(X) \
    X(UDF1)                   \
    X(KWP_UINIT_MP)           \
    X(KWP_NEXTLOOP)           \
    X(KWP_UNPACK)             \
    X(CREATELINK)             \
    X(KWP_FILEEXISTS)         \
    X(PATHMACRO)              \
    X(LOGINFO)                \
    X(INITMAK)                \
    X(KWP_CREATEPATH)         \
    X(WRITEREG)               \
    X(KWP_U_SETMSG)           \
    X(KWP_U_FILERENAME)       \
    X(CONVERTMACRO)           \
    X(CHECKCONDITION)         \
    X(GETREG)                 \
    X(REGTLB)                 \
    X(SFXSIG)                 \
    X(INITSCRIPT)             \
    X(CREATEFOLDER)           \
    X(strnsub)

// Plug-in library entry.
typedef int(SUPPORT_CALL *PFN_VANTREL_CALLDLL)(int code);

// ODBC setup library entries.
typedef int(SUPPORT_CALL *PFN_INSTALLODBC)(const char *text);
typedef int(SUPPORT_CALL *PFN_ADDDRIVERARGUMENT)(const char *text, HWND owner);
typedef int(SUPPORT_CALL *PFN_ADDDSN)(const char *text, HWND owner);
typedef int(SUPPORT_CALL *PFN_ADDTODRIVERSTRING)(const char *text);
typedef int(SUPPORT_CALL *PFN_CLEARDRIVERSTRING)(void);

// Results of KWP_NEXTLOOP.
#define NEXTLOOP_ENTRY 0     // the entry record holds the next entry
#define NEXTLOOP_AGAIN 1     // start-up asks again; the copy walk ends at any non-zero answer
#define NEXTLOOP_END (-1)    // no entry left, or the payload is damaged
