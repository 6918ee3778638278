#include "actions/file_operations.h"
#include "display/progress_bar.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "base/text.h"

HWND g_actionStatus;

namespace {

// folder, a backslash unless it ends with one, name; 0 when it does not fit.
int JoinFits(char *result, const char *folder, const char *name) {
    if (TextLength(folder) + 1 + TextLength(name) >= ACTION_PATH) return 0;
    JoinPath(result, ACTION_PATH, folder, name);
    return 1;
}

int IsDots(const char *name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

// Reparse points (links, junctions) lead out of the tree the action names.
int IsLink(const WIN32_FIND_DATAA &entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Plain files: none of hidden, system and folder; with all set every entry
// but folders, "." and ".." and links.
int IsListedFile(const WIN32_FIND_DATAA &entry, int all) {
    DWORD a = entry.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) || IsLink(entry) || IsDots(entry.cFileName)) return 0;
    return all || !(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

int IsWalkedFolder(const WIN32_FIND_DATAA &entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(entry) && entry.cFileName[0] != '.';
}

HANDLE FindFirstIn(const char *folder, WIN32_FIND_DATAA *entry) {
    char search[ACTION_PATH];
    if (!JoinFits(search, folder, "*.*")) return INVALID_HANDLE_VALUE;
    return FindFirstFileA(search, entry);
}

void ShowStatusLine(int item, const char *text) {
    if (!g_actionStatus) return;
    SetDlgItemTextA(g_actionStatus, item, text);
    UpdateWindow(g_actionStatus);
}

// One CopyFolderTree call: where its mirror goes and how it walks.
char s_treeRoot[ACTION_PATH];
int s_treeOptions;

// targetRoot, a backslash, and what follows the first backslash of path.
int Mirror(const char *path, char *result) {
    const char *rest = path;
    while (*rest && *rest != '\\') rest++;
    while (*rest == '\\') rest++;
    if (!*rest) return CopyText(result, s_treeRoot, ACTION_PATH), 1;
    return JoinFits(result, s_treeRoot, rest);
}

void TreeFileStep(const char *folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstIn(folder, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        char source[ACTION_PATH], target[ACTION_PATH];
        if (!IsListedFile(entry, s_treeOptions & TREE_ALL_ENTRIES)) continue;
        if (!JoinFits(source, folder, entry.cFileName) || !Mirror(source, target)) continue;
        ShowStatusLine(901, target);
        // Only a file that was written is ours to record: the uninstaller
        // deletes what the log names.
        int existed = GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES;
        if (!CopyFileA(source, target, FALSE)) continue;
        LogCopied(target, existed);
        ResetReadOnly(target);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void TreeFolderStep(const char *folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstIn(folder, &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            char sub[ACTION_PATH];
            if (IsWalkedFolder(entry) && JoinFits(sub, folder, entry.cFileName)) TreeFolderStep(sub);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    char target[ACTION_PATH];
    if ((s_treeOptions & TREE_CREATE) && Mirror(folder, target) &&
        GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES && g_support.KWP_CREATEPATH) {
        g_support.KWP_CREATEPATH(target);
        if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) LogRecord("Create :", target);
    }
    TreeFileStep(folder);
}

// One FindFileInTree call.
const char *s_findName;
int s_findOptions;
int s_found;
char s_foundFolder[ACTION_PATH];

void FolderSearch(const char *folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstIn(folder, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (IsListedFile(entry, s_findOptions & TREE_ALL_ENTRIES) && lstrcmpiA(entry.cFileName, s_findName) == 0) {
            s_found = 1;
            CopyText(s_foundFolder, folder, ACTION_PATH);
        }
    } while (!s_found && FindNextFileA(find, &entry));
    FindClose(find);
}

void TreeSearch(const char *folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstIn(folder, &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            char sub[ACTION_PATH];
            if (IsWalkedFolder(entry) && JoinFits(sub, folder, entry.cFileName)) TreeSearch(sub);
        } while (!s_found && FindNextFileA(find, &entry));
        FindClose(find);
    }
    if (!s_found) FolderSearch(folder);
}

}  // namespace

void ResetReadOnly(const char *path) {
    DWORD a = GetFileAttributesA(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, a & ~FILE_ATTRIBUTE_READONLY);
}

int CopyFileWithProgress(const char *source, const char *target, HWND page, const char *description) {
    if (page) {
        SetDlgItemTextA(page, 561, source);
        SetDlgItemTextA(page, 562, description);
    }
    // Others may read the source, nobody may write it: a target that is
    // the source itself then cannot be created, instead of being emptied.
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (in == INVALID_HANDLE_VALUE) return 0;
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (out == INVALID_HANDLE_VALUE) return CloseHandle(in), 0;
    DWORD size = GetFileSize(in, 0);
    DWORD blocks = size == INVALID_FILE_SIZE ? 1 : size / 2048 + 1;
    char *buffer = (char *)LocalAlloc(LMEM_FIXED, 2048);
    HWND bar = g_progressPage ? GetDlgItem(g_progressPage, 105) : 0;
    int ok = buffer != 0;
    for (DWORD k = 1; ok; k++) {
        if (bar) SendMessageA(bar, PBM_SETPOS16, (WPARAM)(k * 100 / blocks), 0);
        DWORD got = 0, written = 0;
        if (!ReadFile(in, buffer, 2048, &got, 0)) ok = 0;
        if (!ok || got == 0) break;
        if (!WriteFile(out, buffer, got, &written, 0) || written != got) ok = 0;
    }
    if (buffer) LocalFree(buffer);
    CloseHandle(in);
    if (!CloseHandle(out)) ok = 0;
    if (!ok) DeleteFileA(target);
    return ok;
}

void ProcessMatchingFiles(int mode, const char *folder, const char *target, const char *pattern, int flags) {
    // A pattern with a folder part would list another folder's names and
    // then act on the same names inside this one.
    for (const char *p = pattern; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':') return;
    char search[ACTION_PATH];
    if (!pattern[0] || !JoinFits(search, folder, pattern)) return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(search, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        char source[ACTION_PATH], destination[ACTION_PATH];
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(entry.cFileName)) continue;
        if (!JoinFits(source, folder, entry.cFileName) || !JoinFits(destination, target, entry.cFileName)) continue;
        if (mode == MATCH_COPY) {
            ShowStatusLine(911, destination);
            int existed = GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES;
            if (!CopyFileA(source, destination, FALSE)) continue;
            if (flags & ACTION_LOG) LogCopied(destination, existed);
            if (flags & ACTION_RESET_READ_ONLY) ResetReadOnly(destination);
        } else if (mode == MATCH_DELETE) {
            DeleteFileA(destination);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

int CopyFolderTree(const char *source, const char *targetRoot, int options) {
    // Full paths without "." or "..": the mirror then stays below the root.
    char folder[ACTION_PATH];
    char *name;
    DWORD n = GetFullPathNameA(source, ACTION_PATH, folder, &name);
    DWORD r = GetFullPathNameA(targetRoot, ACTION_PATH, s_treeRoot, &name);
    if (!n || n >= ACTION_PATH || !r || r >= ACTION_PATH) return 0;
    int last = TextLength(folder) - 1;
    if (last > 2 && folder[last] == '\\') folder[last] = 0;
    s_treeOptions = options;
    if (options & TREE_SUBFOLDERS)
        TreeFolderStep(folder);
    else
        TreeFileStep(folder);
    return 0;
}

int FindFileInTree(const char *startFolder, const char *fileName, int options, char *resultFolder) {
    s_found = 0;
    s_foundFolder[0] = 0;
    s_findName = fileName;
    s_findOptions = options;
    if (options & TREE_SUBFOLDERS)
        TreeSearch(startFolder);
    else
        FolderSearch(startFolder);
    CopyText(resultFolder, s_foundFolder, ACTION_PATH);
    return s_found;
}
