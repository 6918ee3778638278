#include "payload/paths.h"
#include "payload/leftovers.h"
#include "base/settings.h"
#include "base/text.h"

void AddBackslash(char *path, int size) {
    int n = TextLength(path);
    if (n > 0 && path[n - 1] == '\\') return;
    AppendText(path, "\\", size);
}

void JoinPath(char *result, int size, const char *folder, const char *name) {
    CopyText(result, folder, size);
    AddBackslash(result, size);
    AppendText(result, name, size);
}

void DirectoryOfPath(const char *path, char *result, int size) {
    int last = -1;
    for (int i = 0; path[i]; i++)
        if (path[i] == '\\') last = i;
    if (last < 0) {
        if (size > 0) result[0] = 0;
        return;
    }
    CopyText(result, path, last + 1 < size ? last + 1 : size);
}

HFILE CreateTempFile(char *path) {
    char folder[LONG_TEXT];
    char name[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    if (!GetTempFileNameA(folder, "VTB", 0, name)) name[0] = 0;
    if (TextLength(name) >= PATH_TEXT) {
        // A temp folder this deep does not fit the path buffers: a cut name
        // would point at some other file, so give up on this one.
        DeleteFileA(name);
        name[0] = 0;
    }
    CopyText(path, name, PATH_TEXT);
    if (!path[0]) return HFILE_ERROR;
    NoteLeftover(path);
    return _lopen(path, OF_READWRITE);
}
