// The places a record may change: full local paths of plain names inside
// the allowed folders, no device names and no folder links.
#include "uninstaller/reversal.h"
#include "base/text.h"
#include "payload/entry_names.h"

static int Upper(int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

int SameText(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++)
        if (Upper((unsigned char)a[i]) != Upper((unsigned char)b[i])) return 0;
    return 1;
}

int PathBelow(const char *path, const char *folder) {
    int n = TextLength(folder);
    if (n == 0) return 0;
    if (folder[n - 1] == '\\') n--;
    return TextLength(path) > n + 1 && path[n] == '\\' && SameText(path, folder, n);
}

int SamePath(const char *a, const char *b) {
    int n = TextLength(a);
    return n == TextLength(b) && SameText(a, b, n);
}

int PlainPath(const char *path) {
    int n = TextLength(path);
    if (n < 4 || n >= MAX_PATH) return 0;
    if (Upper((unsigned char)path[0]) < 'A' || Upper((unsigned char)path[0]) > 'Z' || path[1] != ':' ||
        path[2] != '\\')
        return 0;
    int start = 3;
    for (int i = 3; i <= n; i++) {
        unsigned char c = (unsigned char)path[i];
        if (i < n && c != '\\') {
            if (c < 32 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
                c == '|')
                return 0;
            continue;
        }
        int len = i - start;
        if (len == 0 || len > 255) return 0;
        // "..", "." and names Windows trims ("a." is "a").
        if (path[i - 1] == '.' || path[i - 1] == ' ') return 0;
        // Names Windows opens as devices in any folder, in every spelling
        // the payload's entry names are refused in ("con .txt" too).
        char part[256];
        CopyText(part, path + start, len + 1);
        if (IsDeviceName(part)) return 0;
        start = i + 1;
    }
    return 1;
}

// No part of the path below the folder is a link to another folder.
static int NoLinksBelow(const char *path, const char *folder) {
    char part[MAX_PATH];
    int n = TextLength(folder);
    if (n && folder[n - 1] == '\\') n--;
    for (int i = n + 1;; i++) {
        if (path[i] == '\\' || path[i] == 0) {
            CopyText(part, path, i + 1);
            DWORD a = GetFileAttributesA(part);
            if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
        }
        if (!path[i]) return 1;
    }
}

int PathAllowed(UndoRun *run, const char *path, int also) {
    if (!PlainPath(path)) return 0;
    for (int i = 0; i < run->rootCount; i++)
        if (run->roots[i][0] && (PathBelow(path, run->roots[i]) || SamePath(path, run->roots[i]))
#ifdef UNDO_WHOLE_LOGS
            && (i < run->productRoots || ((also & ALLOW_SHELL) && run->vouched))
#endif
        )
            return SamePath(path, run->roots[i]) || NoLinksBelow(path, run->roots[i]);
    if (!RECORD_VOUCHED(run)) return 0;
    if (also & ALLOW_SHARED) {
        // The system folder, and on the NT family the 16-bit one too.
        char system16[UNDO_PATH + 8];
        CopyText(system16, run->windowsFolder, UNDO_PATH);
        AppendText(system16, "\\SYSTEM", sizeof system16);
        if (PathBelow(path, run->systemFolder)) return NoLinksBelow(path, run->systemFolder);
        if (run->windowsFolder[0] && PathBelow(path, system16)) return NoLinksBelow(path, system16);
    }
    if ((also & ALLOW_FONT) && PathBelow(path, run->fontsFolder)) return NoLinksBelow(path, run->fontsFolder);
    return 0;
}
