// Liveness probe for the install benchmark: finds the wizard frame of a
// running setup by its title, and while its copy page is up sends the frame
// a message every 10 ms with SendMessageTimeout, timing how long each takes
// to be answered. Prints a line when it has started, then the longest wait
// and the number of probes.
//   liveness_probe "frame title" [seconds to wait for the frame]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

// The copy page: a child dialog of the frame with the overall bar (106).
static bool CopyPageUp(HWND frame) {
    for (HWND child = FindWindowExA(frame, 0, "#32770", 0); child; child = FindWindowExA(frame, child, "#32770", 0))
        if (GetDlgItem(child, 106)) return true;
    return false;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: liveness_probe \"frame title\" [seconds]\n");
        return 2;
    }
    DWORD limit = (argc > 2 ? (DWORD)atoi(argv[2]) : 600) * 1000, start = GetTickCount();
    // The first look brings up Wine's desktop process; the bench starts
    // the setup when this line is out.
    HWND frame = FindWindowA("#32770", argv[1]);
    printf("waiting for the frame\n");
    fflush(stdout);
    while (!(frame && CopyPageUp(frame))) {
        if (GetTickCount() - start > limit) {
            fprintf(stderr, "liveness_probe: no copy page\n");
            return 1;
        }
        Sleep(5);
        frame = FindWindowA("#32770", argv[1]);
    }
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    double longest = 0;
    unsigned probes = 0;
    while (IsWindow(frame) && CopyPageUp(frame)) {
        DWORD_PTR result;
        QueryPerformanceCounter(&before);
        if (!SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) break;
        QueryPerformanceCounter(&after);
        double ms = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
        if (ms > longest) longest = ms;
        probes++;
        Sleep(10);
    }
    printf("longest_ms=%.1f probes=%u\n", longest, probes);
    return 0;
}
