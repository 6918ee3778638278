// What a killed setup left: every run lists its temp files and the folders
// it writes into in a journal ("VTJ*.tmp" in the temp folder) that it holds
// open until it ends. A journal nobody holds belongs to a killed run; its
// files and the work files ("VTU*.tmp") in its folders go, each named in
// the log of the run that removes them.
#include "supportlib/library.h"

#define JOURNAL_READ_MAX (1 << 20)

static int s_log;

static void Removed(const char *path) {
    if (DeleteFileA(path)) WriteLogRecord("Cleanup:", path, s_log);
}

// Calls found(path) for every file in folder (with its backslash) that
// matches mask.
static void EachFile(const char *folder, const char *mask, void (*found)(const char *)) {
    char path[MAX_PATH + 16];
    CopyBounded(path, folder, MAX_PATH);
    int n = lstrlenA(path);
    AppendBounded(path, mask, sizeof path);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        path[n] = 0;
        AppendBounded(path, entry.cFileName, sizeof path);
        found(path);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// A journal opens for writing only when no run holds it.
static void CleanUpJournal(const char *path) {
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(f, 0), got = 0;
    char *text = size < JOURNAL_READ_MAX ? (char *)VirtualAlloc(0, size + 1, MEM_COMMIT, PAGE_READWRITE) : 0;
    if (text) ReadFile(f, text, size, &got, 0);
    CloseHandle(f);
    // One path a line; a folder's ends with its backslash.
    for (DWORD at = 0, end; text && at < got; at = end + 1) {
        for (end = at; end < got && text[end] != '\n';) end++;
        text[end] = 0;
        if (end - at < 4 || end - at >= MAX_PATH) continue;
        if (text[end - 1] == '\\')
            EachFile(text + at, "VTU*.tmp", Removed);
        else
            Removed(text + at);
    }
    if (text) VirtualFree(text, 0, MEM_RELEASE);
    DeleteFileA(path);
}

// The library's own journal: the folders it writes work files into.
static HANDLE s_journal;
static char s_journalPath[MAX_PATH], s_lastFolder[MAX_PATH];

void NoteWorkFolder(const char *folder) {
    if (lstrcmpiA(folder, s_lastFolder) == 0) return;
    CopyBounded(s_lastFolder, folder, sizeof s_lastFolder);
    if (!s_journal) {
        char temp[MAX_PATH];
        s_journal = INVALID_HANDLE_VALUE;
        if (GetTempPathA(MAX_PATH, temp) && GetTempFileNameA(temp, "VTJ", 0, s_journalPath))
            s_journal = CreateFileA(s_journalPath, GENERIC_WRITE, FILE_SHARE_READ, 0, CREATE_ALWAYS, 0, 0);
    }
    char line[MAX_PATH + 2];
    wsprintfA(line, "%s\\\n", s_lastFolder);
    DWORD put;
    WriteFile(s_journal, line, (DWORD)lstrlenA(line), &put, 0);
}

void EndWorkJournal() {
    if (!s_journal || s_journal == INVALID_HANDLE_VALUE) return;
    CloseHandle(s_journal);
    DeleteFileA(s_journalPath);
}

void RemoveKilledRunsLeftovers(int logHandle) {
    char folder[MAX_PATH];
    s_log = logHandle;
    if (GetTempPathA(MAX_PATH, folder)) EachFile(folder, "VTJ*.tmp", CleanUpJournal);
}
