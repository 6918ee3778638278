// Variables of the main script's [VARIABLES] section expanded in texts, and
// the component condition of list items.
#include "supportlib/library.h"

// Replaces every occurrence of name by value in text (size bytes); a result
// that would not fit is cut.
static void ReplaceAll(char *text, int size, const char *name, const char *value) {
    int nameLen = lstrlenA(name), valueLen = lstrlenA(value);
    if (nameLen == 0) return;
    for (char *p = text; *p;) {
        if (CompareStringA(LOCALE_INVARIANT, 0, p, nameLen, name, nameLen) != CSTR_EQUAL) {
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

LIBRARY_ENTRY CONVERTMACRO(char *buffer, int mode) {
    if (!buffer || !g_scriptPath[0]) return 0;
    int size = mode == 5 ? CONVERT_BLOCK_SIZE : CONVERT_BUFFER_SIZE;
    int count = GetPrivateProfileIntA("VARIABLES", "#", 0, g_scriptPath);
    for (int i = 1; i <= count; i++) {
        char key[16], name[256], value[256];
        wsprintfA(key, "%i", i);
        GetPrivateProfileStringA("VARIABLES", key, "", name, sizeof name, g_scriptPath);
        if (!name[0]) continue;
        GetPrivateProfileStringA("VARIABLES", name, "", value, sizeof value, g_scriptPath);
        ReplaceAll(buffer, size, name, value);
    }
    return 0;
}

// 0 when the item's component letter ("+%iz", first character) is empty or
// among the component letters selected last (WRITEREG tells them; "A" until
// then).
LIBRARY_ENTRY CHECKCONDITION(int item, const char *section) {
    if (!section || !g_scriptPath[0]) return 0;
    char key[20], value[64];
    wsprintfA(key, "+%iz", item);
    GetPrivateProfileStringA(section, key, "", value, sizeof value, g_scriptPath);
    if (!value[0]) return 0;
    for (const char *p = g_componentLetters; *p; p++)
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
