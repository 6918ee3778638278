#include "wizard/folder_name.h"
#include <windows.h>

// Each name: not empty, none of the characters Windows refuses, no blank
// or dot at its end (Windows drops them), and not CON, PRN, AUX, NUL,
// COM1..COM9 or LPT1..LPT9 with any extension, which open a device in
// every folder.
int IsUsableFolder(const char *folder) {
    const char *c = folder + 3;
    if (folder[0] == '\\' && folder[1] == '\\') c = folder + 2;
    else if (folder[1] != ':' || folder[2] != '\\') return 0;
    for (;;) {
        const char *name = c;
        int base = 0;
        for (; *c && *c != '\\'; c++) {
            if ((unsigned char)*c < 32) return 0;
            for (const char *refused = "<>:\"/|?*"; *refused; refused++)
                if (*c == *refused) return 0;
            if (*c == '.' && !base) base = (int)(c - name);
        }
        int length = (int)(c - name);
        if (!base) base = length;
        if (!length || c[-1] == ' ' || c[-1] == '.') return 0;
        if (base == 3 || (base == 4 && name[3] >= '1' && name[3] <= '9')) {
            // Letters to upper case; no other character becomes one.
            for (const char *device = base == 3 ? "CONPRNAUXNUL" : "COMLPT"; *device; device += 3)
                if ((name[0] & 0xDF) == device[0] && (name[1] & 0xDF) == device[1] && (name[2] & 0xDF) == device[2])
                    return 0;
        }
        if (!*c++) return 1;
    }
}
