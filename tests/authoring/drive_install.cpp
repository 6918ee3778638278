// Runs a setup program in silent mode and answers the pages a silent setup
// still shows (destination folder, then ready): presses Next on each one as
// it appears, then waits for the program to end. Exit code: the setup's
// own, 98 when it does not start, 99 when it does not end in time.
#include "driver.h"
#include <stdio.h>

using namespace driver;

int main(int argc, char **argv) {
    const int kNext = 201, kFolderLabel = 522, kReadyHeading = 704;
    if (argc < 2) return 2;
    Program program;
    if (!program.Start(argv[1], "-s")) return 98;
    HWND frame = WaitForDialogWithItem(program, kNext, 60000);
    for (int item : {kFolderLabel, kReadyHeading}) {
        if (!frame || !WaitForPageWithItem(program, frame, item, 120000)) break;
        printf("page %d: Next\n", item == kFolderLabel ? 10000 : 12000);
        PressButton(frame, kNext);
    }
    int code = program.Wait(60000);
    printf("setup exit code %d\n", code);
    return code < 0 ? 99 : code;
}
