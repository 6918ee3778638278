// Variables of the main script's [VARIABLES] section expanded in texts, and
// the component condition of list items.
#include "supportlib/library.h"

// The names are compared byte for byte: a locale comparison at every
// position of the text for every variable made one path's expansion cost
// hundreds of calls, each converting both texts.
static bool SameBytes(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++)
        if (a[i] != b[i]) return false;
    return true;
}

// Keys of the profile functions: equal without regard to case. Plain
// letters are folded here; a text with other characters is left to the
// system's comparison.
static bool SameKey(const char *a, const char *b, int n) {
    for (int i = 0; i < n; i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 0x80 || y >= 0x80)
            return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, n, b, n) == CSTR_EQUAL;
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

// Replaces every occurrence of name by value in text (size bytes); a result
// that would not fit is cut.
static void ReplaceAll(char *text, int size, const char *name, const char *value) {
    int nameLen = lstrlenA(name), valueLen = lstrlenA(value);
    if (nameLen == 0) return;
    for (char *p = text; *p;) {
        if (*p != *name || !SameBytes(p, name, nameLen)) {
            p++;
            continue;
        }
        int pos = (int)(p - text);
        int tail = lstrlenA(p + nameLen);
        int keep = size - 1 - pos - valueLen;  // room for the tail after value
        if (keep < 0) {
            CopyBounded(p, value, size - pos);
            return;
        }
        if (tail > keep) tail = keep;
        MoveMemory(p + valueLen, p + nameLen, tail);
        p[valueLen + tail] = 0;
        CopyMemory(p, value, valueLen);
        p += valueLen;
    }
}

// The [VARIABLES] section in one read. The profile functions open and parse
// the script for every key they are asked for, so reading each variable's
// name and value apart made one expansion cost two file reads a variable;
// the copy page expands every target path. A section too large for the
// buffer is read key by key.
static char s_variables[32768];
static int s_wholeSection;

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static int Length(const char *text) {
    int n = 0;
    while (text[n]) n++;
    return n;
}

// The value of key in the section read, as the profile functions give it:
// the first line whose key matches without regard to case, blanks around
// the value and one pair of enclosing quotes removed.
static void SectionValue(const char *key, char *value, int size) {
    int keyLen = Length(key);
    value[0] = 0;
    for (const char *line = s_variables; *line; line += Length(line) + 1) {
        const char *k = line, *eq = line;
        while (*eq && *eq != '=') eq++;
        if (!*eq) continue;
        while (k < eq && IsBlank(*k)) k++;
        const char *kEnd = eq;
        while (kEnd > k && IsBlank(kEnd[-1])) kEnd--;
        if (kEnd - k != keyLen || !SameKey(k, key, keyLen)) continue;
        const char *v = eq + 1, *vEnd = v + Length(v);
        while (v < vEnd && IsBlank(*v)) v++;
        while (vEnd > v && IsBlank(vEnd[-1])) vEnd--;
        if (vEnd - v >= 2 && (*v == '"' || *v == '\'') && vEnd[-1] == *v) v++, vEnd--;
        int n = (int)(vEnd - v);
        if (n > size - 1) n = size - 1;
        CopyMemory(value, v, n);
        value[n] = 0;
        return;
    }
}

static void VariableSetting(const char *key, char *value, int size) {
    if (s_wholeSection)
        SectionValue(key, value, size);
    else
        GetPrivateProfileStringA("VARIABLES", key, "", value, size, g_scriptPath);
}

// Every listed variable is replaced in one pass over the text; a value put in
// is not scanned again, so a value that names a variable (its own included)
// stays as it is and the expansion always ends. The result is cut at the
// caller's buffer: CONVERT_BLOCK_SIZE bytes for mode 5 (text blocks),
// CONVERT_BUFFER_SIZE for modes 1, 2 and 3.
LIBRARY_ENTRY CONVERTMACRO(char *buffer, int mode) {
    if (!buffer || !g_scriptPath[0]) return 0;
    int size = mode == 5 ? CONVERT_BLOCK_SIZE : CONVERT_BUFFER_SIZE;
    DWORD got = GetPrivateProfileSectionA("VARIABLES", s_variables, sizeof s_variables, g_scriptPath);
    s_wholeSection = got < sizeof s_variables - 2;
    char number[16];
    VariableSetting("#", number, sizeof number);
    int count = 0;
    for (const char *p = number; *p >= '0' && *p <= '9'; p++) count = count * 10 + (*p - '0');
    for (int i = 1; i <= count; i++) {
        char key[16], name[256], value[256];
        wsprintfA(key, "%i", i);
        VariableSetting(key, name, sizeof name);
        if (!name[0]) continue;
        VariableSetting(name, value, sizeof value);
        ReplaceAll(buffer, size, name, value);
    }
    return 0;
}

typedef int(WINAPI *PFN_GetSystemVariable)(int number, char *buffer);

// The component letters selected now: asked from the setup program (its
// GetSystemVariable 400), so that actions and pages before the installation
// follow the user's choice; the letters WRITEREG was given otherwise.
static void CurrentComponentLetters(char *letters, int size) {
    CopyBounded(letters, g_componentLetters, size);
    PFN_GetSystemVariable getSystem =
        (PFN_GetSystemVariable)GetProcAddress(GetModuleHandleA(0), "GetSystemVariable");
    if (!getSystem) return;
    char buffer[256];
    buffer[0] = 0;
    getSystem(400, buffer);
    buffer[sizeof buffer - 1] = 0;
    CopyBounded(letters, buffer, size);
}

// 0 when the item applies: its component letter ("+%iz", first character)
// is empty, is "A" (the main component, always installed) or is among the
// selected component letters.
LIBRARY_ENTRY CHECKCONDITION(int item, const char *section) {
    if (!section || !g_scriptPath[0]) return 0;
    char key[20], value[64], letters[32];
    wsprintfA(key, "+%iz", item);
    GetPrivateProfileStringA(section, key, "", value, sizeof value, g_scriptPath);
    if (!value[0] || value[0] == 'A' || value[0] == 'a') return 0;
    CurrentComponentLetters(letters, sizeof letters);
    for (const char *p = letters; *p; p++)
        if (*p == value[0]) return 0;
    return 1;
}

LIBRARY_ENTRY strnsub(char *text, const char *find, const char *replace) {
    if (!text || !find || !replace) return 0;
    ReplaceAll(text, CONVERT_BUFFER_SIZE, find, replace);
    return 0;
}

LIBRARY_ENTRY PATHMACRO(const char *folder, const char *suffix, char *result) {
    if (!result) return 0;
    CopyBounded(result, folder ? folder : "", CONVERT_BUFFER_SIZE);
    int len = lstrlenA(result);
    if (suffix && suffix[0]) {
        if (len && result[len - 1] != '\\' && suffix[0] != '\\') AppendBounded(result, "\\", CONVERT_BUFFER_SIZE);
        AppendBounded(result, suffix, CONVERT_BUFFER_SIZE);
    }
    CONVERTMACRO(result, 3);
    return 0;
}
