// Holds a file open for writing and lets others only read it, as a running
// program holds its own image files, until it is ended (at most two
// minutes).
// Usage: holdfile <file> <ready-marker>; the marker is written once the
// file is held.
#include <windows.h>

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (held == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    Sleep(120000);
    CloseHandle(held);
    return 0;
}
