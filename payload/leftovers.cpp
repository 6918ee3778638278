#include "payload/leftovers.h"
#include "base/text.h"
#include <windows.h>

#define JOURNAL_READ_MAX (1 << 20)
#define REMOVED_SIZE 4096

static HANDLE s_journal;  // 0: not opened yet
static char s_journalPath[MAX_PATH];
static char s_lastFolder[MAX_PATH];
static char s_removed[REMOVED_SIZE];
static int s_removedUsed;

static void Removed(const char *path) {
    int n = TextLength(path) + 1;
    if (!DeleteFileA(path) || s_removedUsed + n + 1 > REMOVED_SIZE) return;
    CopyText(s_removed + s_removedUsed, path, n);
    s_removedUsed += n;
}

// Calls found(path) for every file in folder (with its backslash) that
// matches mask.
static void EachFile(const char *folder, const char *mask, void (*found)(const char *)) {
    char path[MAX_PATH + 16];
    CopyText(path, folder, MAX_PATH);
    int n = TextLength(path);
    AppendText(path, mask, sizeof path);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        path[n] = 0;
        AppendText(path, entry.cFileName, sizeof path);
        found(path);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// A journal opens for writing only when no run holds it: its run was
// killed. What it lists goes, then the journal itself.
static void CleanUpJournal(const char *path) {
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(f, 0), got = 0;
    char *text = size < JOURNAL_READ_MAX ? (char *)GlobalAlloc(GMEM_FIXED, size + 1) : 0;
    if (text) ReadFile(f, text, size, &got, 0);
    CloseHandle(f);
    for (DWORD at = 0; text && at < got;) {
        DWORD end = at;
        while (end < got && text[end] != '\n') end++;
        text[end] = 0;
        if (end - at > 3 && end - at < MAX_PATH) {
            // The library's work files in a folder the run wrote into.
            if (text[end - 1] == '\\')
                EachFile(text + at, "VTU*.tmp", Removed);
            else
                Removed(text + at);
        }
        at = end + 1;
    }
    if (text) GlobalFree(text);
    DeleteFileA(path);
}

// One line: text, then end ("\n"; "\\\n" after a folder).
static void Write(const char *text, const char *end) {
    if (!s_journal) {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        EachFile(folder, "VTJ*.tmp", CleanUpJournal);
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

const char *RemovedLeftovers() { return s_removed; }

void EndLeftovers() {
    if (!s_journal || s_journal == INVALID_HANDLE_VALUE) return;
    CloseHandle(s_journal);
    DeleteFileA(s_journalPath);
    s_journal = 0;
    s_lastFolder[0] = 0;
}
