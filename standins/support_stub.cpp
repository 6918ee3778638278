// Stand-in support library: every entry, no work. KWP_NEXTLOOP reports that
// no entry is left, so a program file carrying it stops after binding.
#include <windows.h>
#include "payload/support_entries.h"

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int SUPPORT_CALL UDF1(int, int) { return 0; }
EXPORT int SUPPORT_CALL KWP_UINIT_MP(HWND) { return 0; }
EXPORT int SUPPORT_CALL KWP_NEXTLOOP(const char *, int, char *) { return NEXTLOOP_END; }
EXPORT int SUPPORT_CALL KWP_UNPACK(const char *, const char *, const char *, const char *, int) { return 0; }
EXPORT int SUPPORT_CALL CREATELINK(const char *, const char *, const char *, const char *, int, const char *, int) {
    return 0;
}
EXPORT int SUPPORT_CALL KWP_FILEEXISTS(const char *) { return 0; }
EXPORT int SUPPORT_CALL PATHMACRO(const char *, const char *, char *) { return 0; }
EXPORT int SUPPORT_CALL LOGINFO(const char *, const char *, int) { return 0; }
EXPORT int SUPPORT_CALL INITMAK(const char *, int, int, int, int) { return 0; }
EXPORT int SUPPORT_CALL KWP_CREATEPATH(const char *) { return 0; }
EXPORT int SUPPORT_CALL WRITEREG(const char *) { return 0; }
EXPORT int SUPPORT_CALL KWP_U_SETMSG(int, const char *) { return 0; }
EXPORT int SUPPORT_CALL KWP_U_FILERENAME(const char *) { return 0; }
EXPORT int SUPPORT_CALL CONVERTMACRO(char *, int) { return 0; }
EXPORT int SUPPORT_CALL CHECKCONDITION(int, const char *) { return 0; }
EXPORT int SUPPORT_CALL GETREG(int, const char *, const char *, char *result, int) {
    result[0] = 0;
    return 0;
}
EXPORT int SUPPORT_CALL REGTLB(const char *) { return 0; }
#ifndef WITHOUT_SFXSIG
EXPORT int SUPPORT_CALL SFXSIG(const char *, int) { return 0; }
#endif
EXPORT int SUPPORT_CALL INITSCRIPT(const char *) { return 0; }
EXPORT int SUPPORT_CALL CREATEFOLDER(const char *) { return 0; }
EXPORT int SUPPORT_CALL strnsub(char *, const char *, const char *) { return 0; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
