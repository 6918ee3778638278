#include "payload/entry_names.h"

static char Upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 32) : c; }
static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// One part of a path (len characters) that Windows would take for ".",
// ".." or worse: trailing dots and blanks are dropped by the file system,
// so "..", "... " and " ." all climb or stand still.
static bool IsDotPart(const char *p, int len) {
    while (len > 0 && (p[len - 1] == '.' || p[len - 1] == ' ')) len--;
    return len == 0;
}

static bool IsDevicePart(const char *p, int len) {
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    int base = 0;
    while (base < len && p[base] != '.') base++;
    while (base > 0 && p[base - 1] == ' ') base--;
    for (const char *d : devices) {
        int i = 0;
        while (i < base && d[i] && Upper(p[i]) == d[i]) i++;
        if (i == base && !d[i]) return true;
    }
    if (base == 4 && p[3] >= '1' && p[3] <= '9') {
        char a = Upper(p[0]), b = Upper(p[1]), c = Upper(p[2]);
        if ((a == 'C' && b == 'O' && c == 'M') || (a == 'L' && b == 'P' && c == 'T')) return true;
    }
    return false;
}

// A part of a path: no character Windows refuses in a name.
static bool IsNameCharacter(char c) {
    if ((unsigned char)c < 32) return false;
    for (const char *bad = "\\/:*?\"<>|"; *bad; bad++)
        if (c == *bad) return false;
    return true;
}

static int Length(const char *text) {
    int n = 0;
    while (text[n]) n++;
    return n;
}

bool IsDeviceName(const char *name) { return IsDevicePart(name, Length(name)); }

bool IsPlainEntryName(const char *name) {
    int len = Length(name);
    if (len == 0 || IsDotPart(name, len) || IsDevicePart(name, len)) return false;
    if (name[len - 1] == '.' || name[len - 1] == ' ') return false;
    for (const char *p = name; *p; p++)
        if (!IsNameCharacter(*p)) return false;
    return true;
}

// Parts between separators up to the end; lastPart receives the last one.
static bool IsContainedRest(const char *text, const char **lastPart) {
    const char *part = text;
    for (const char *p = text;; p++) {
        if (*p && !IsSeparator(*p) && (*p == ':' || (unsigned char)*p < 32)) return false;
        if (IsSeparator(*p) || *p == 0) {
            int len = (int)(p - part);
            if (len == 0 && *p) return false;  // "a\\b" or a separator at the start
            if (len && (IsDotPart(part, len) || IsDevicePart(part, len))) return false;
            if (*p == 0) {
                if (lastPart) *lastPart = part;
                return true;
            }
            part = p + 1;
        }
    }
}

bool IsContainedFolderText(const char *text) {
    if (text[0] == 0 || (text[0] == '\\' && text[1] == 0)) return true;
    // One leading backslash is the file script's usual form ("\docs\"):
    // the text is appended to the target folder, which ends without one.
    if (text[0] == '\\') text++;
    return IsContainedRest(text, 0);
}

int LeadingVariableLength(const char *text) {
    if (text[0] != '%') return 0;
    for (int i = 1; text[i]; i++) {
        if (text[i] == '%') return i > 1 ? i + 1 : 0;
        if (IsSeparator(text[i]) || text[i] == ':') return 0;
    }
    return 0;
}

bool IsAcceptedFolderText(const char *text) { return IsContainedFolderText(text + LeadingVariableLength(text)); }

bool IsTargetInside(const char *target, const char *base, const char *name) {
    int n = Length(base);
    while (n > 0 && IsSeparator(base[n - 1])) n--;
    bool drive = n >= 2 && Upper(base[0]) >= 'A' && Upper(base[0]) <= 'Z' && base[1] == ':' &&
                 (n == 2 || base[2] == '\\');
    bool unc = n >= 3 && base[0] == '\\' && base[1] == '\\' && !IsSeparator(base[2]);
    if (!drive && !unc) return false;
    for (int i = 0; i < n; i++)
        if (Upper(target[i]) != Upper(base[i]) && !(IsSeparator(target[i]) && IsSeparator(base[i]))) return false;
    if (target[n] != '\\') return false;
    const char *last = 0;
    if (!IsContainedRest(target + n + 1, &last)) return false;
    int i = 0;
    while (last[i] && Upper(last[i]) == Upper(name[i])) i++;
    return last[i] == 0 && name[i] == 0;
}
