// Stand-in plug-in: keeps copies of the setup files' temp files, which the
// engine deletes at exit, and ends the run at the start-up call.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI VANTREL_CALLDLL(int code) {
    if (code != 1000) return 0;
    char temp[MAX_PATH], pattern[MAX_PATH], seen[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    wsprintfA(seen, "%sseen", temp);
    CreateDirectoryA(seen, 0);
    wsprintfA(pattern, "%sVTB*.TMP", temp);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            char from[MAX_PATH], to[MAX_PATH];
            wsprintfA(from, "%s%s", temp, found.cFileName);
            wsprintfA(to, "%s\\%s", seen, found.cFileName);
            CopyFileA(from, to, FALSE);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return 1;
}
