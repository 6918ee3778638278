#include "wizard/folder_name.h"
#include <windows.h>

// CON, PRN, AUX, NUL, COM1..COM9 and LPT1..LPT9, with any extension: names
// that open a device in every folder.
static int IsDeviceName(const char *name, int length) {
    static const char kNames[] = "CON\0PRN\0AUX\0NUL\0COM\0LPT";
    int base = 0;
    while (base < length && name[base] != '.') base++;
    for (const char *device = kNames; device < kNames + sizeof kNames; device += 4) {
        int numbered = device >= kNames + 16;  // COM and LPT take a digit
        if (base != 3 + numbered) continue;
        if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, name, 3, device, 3) != CSTR_EQUAL) continue;
        if (!numbered || (name[3] >= '1' && name[3] <= '9')) return 1;
    }
    return 0;
}

static int IsUsableName(const char *name, int length) {
    if (length == 0 || name[length - 1] == ' ' || name[length - 1] == '.') return 0;
    for (int i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        if (c < 32) return 0;
        for (const char *refused = "<>:\"/|?*"; *refused; refused++)
            if (c == (unsigned char)*refused) return 0;
    }
    return !IsDeviceName(name, length);
}

int IsUsableFolder(const char *folder) {
    const char *names;
    int least;  // names the path must have after its start
    char first = folder[0] & ~0x20;
    if (first >= 'A' && first <= 'Z' && folder[1] == ':' && folder[2] == '\\') {
        names = folder + 3;
        least = 0;
    } else if (folder[0] == '\\' && folder[1] == '\\') {
        names = folder + 2;
        least = 2;
    } else {
        return 0;
    }
    if (!*names) return least == 0;  // a drive's root
    int count = 0;
    for (const char *name = names;; count++) {
        const char *end = name;
        while (*end && *end != '\\') end++;
        if (!IsUsableName(name, (int)(end - name))) return 0;
        if (!*end) break;
        name = end + 1;
    }
    return count + 1 >= least;
}
