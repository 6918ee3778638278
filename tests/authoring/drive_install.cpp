// Runs a setup program in silent mode and answers the pages a silent setup
// still shows: presses Next on each page as it appears, in the order given
// by an item of each (default: the destination folder, then ready), then
// waits for the program to end. Exit code: the setup's own, 98 when it does
// not start, 99 when it does not end in time.
// Usage: drive_install SETUP [PAGE-ITEM...]
#include "driver.h"
#include <stdio.h>
#include <stdlib.h>
#include <vector>

using namespace driver;

int main(int argc, char **argv) {
    const int kNext = 201;
    if (argc < 2) return 2;
    std::vector<int> items;
    for (int i = 2; i < argc; i++) items.push_back(atoi(argv[i]));
    if (items.empty()) items = {522, 704};  // destination folder, ready
    Program program;
    if (!program.Start(argv[1], "-s")) {
        printf("setup did not start\n");
        return 98;
    }
    HWND frame = WaitForDialogWithItem(program, kNext, 60000);
    for (int item : items) {
        if (!frame || !WaitForPageWithItem(program, frame, item, 120000)) {
            printf("no page with item %d\n", item);
            break;
        }
        printf("page with item %d: Next\n", item);
        PressButton(frame, kNext);
    }
    int code = program.Wait(60000);
    printf("setup exit code %d\n", code);
    return code < 0 ? 99 : code;
}
