#include "payload/leftovers.h"
#include "base/text.h"
#include <windows.h>

static HANDLE s_journal;  // 0: not opened yet
static char s_journalPath[MAX_PATH];
static char s_lastFolder[MAX_PATH];

// One line: text, then end ("\n"; "\\\n" after a folder).
static void Write(const char *text, const char *end) {
    if (!s_journal) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        s_journal = INVALID_HANDLE_VALUE;
        if (GetTempFileNameA(folder, "VTJ", 0, s_journalPath))
            s_journal = CreateFileA(s_journalPath, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0);
    }
    DWORD put;
    WriteFile(s_journal, text, (DWORD)TextLength(text), &put, 0);
    WriteFile(s_journal, end, (DWORD)TextLength(end), &put, 0);
}

void NoteLeftover(const char *path) { Write(path, "\n"); }

void NoteWorkFolder(const char *folder) {
    if (lstrcmpiA(folder, s_lastFolder) == 0) return;
    CopyText(s_lastFolder, folder, sizeof s_lastFolder);
    Write(folder, "\\\n");
}

void EndLeftovers() {
    if (!s_journal || s_journal == INVALID_HANDLE_VALUE) return;
    CloseHandle(s_journal);
    DeleteFileA(s_journalPath);
    s_journal = 0;
    s_lastFolder[0] = 0;
}
