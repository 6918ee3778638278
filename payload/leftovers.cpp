#include "payload/leftovers.h"
#include "base/text.h"
#include <windows.h>

static HANDLE s_journal;  // 0: not opened yet
static char s_journalPath[MAX_PATH];

void NoteLeftover(const char *path) {
    if (!s_journal) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        s_journal = INVALID_HANDLE_VALUE;
        if (GetTempFileNameA(folder, "VTJ", 0, s_journalPath))
            s_journal = CreateFileA(s_journalPath, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0);
    }
    DWORD put;
    WriteFile(s_journal, path, (DWORD)TextLength(path), &put, 0);
    WriteFile(s_journal, "\n", 1, &put, 0);
}

void EndLeftovers() {
    if (CloseHandle(s_journal)) DeleteFileA(s_journalPath);
    s_journal = 0;
}
