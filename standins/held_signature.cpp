// The support library with a checksum entry that waits: while the program
// shows its "UPD" window, SFXSIG holds until the test sets the event
// "SetupHeldSignature" (a minute at most), then sums as the library does.
// The library's own SFXSIG is built under the name SFXSIG_real.
#include <windows.h>
#undef SFXSIG

extern "C" int WINAPI SFXSIG_real(const char *programPath, int size);

extern "C" __declspec(dllexport) int WINAPI SFXSIG(const char *programPath, int size) {
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "SetupHeldSignature");
    if (go) {
        WaitForSingleObject(go, 60000);
        CloseHandle(go);
    }
    return SFXSIG_real(programPath, size);
}
