// Runs a setup program in silent mode and answers the pages a silent setup
// still shows (destination folder, ready): presses Next on each one as it
// appears, until the program ends. Exit code: the setup's own, 98 when it
// does not start, 99 when it does not end in time.
#include "driver.h"
#include <stdio.h>

using namespace driver;

namespace {

const int kNext = 201, kFolderLabel = 522, kReadyHeading = 704;

HWND VisiblePage(HWND frame) {
    for (HWND child = FindWindowExA(frame, 0, "#32770", 0); child; child = FindWindowExA(frame, child, "#32770", 0))
        if (IsWindowVisible(child)) return child;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    Program program;
    if (!program.Start(argv[1], "-s")) return 98;
    HWND frame = WaitForDialogWithItem(program, kNext, 60000);
    HWND answered = 0;
    DWORD start = GetTickCount();
    while (frame && program.Running() && GetTickCount() - start < 240000) {
        HWND page = VisiblePage(frame);
        if (page && page != answered && (GetDlgItem(page, kFolderLabel) || GetDlgItem(page, kReadyHeading))) {
            printf("page %d: Next\n", GetDlgItem(page, kFolderLabel) ? 10000 : 12000);
            PressButton(frame, kNext);
            answered = page;
        }
        Sleep(50);  // the next look at the frame
    }
    int code = program.Wait(60000);
    printf("setup exit code %d\n", code);
    return code < 0 ? 99 : code;
}
