// Registry value records: a value goes when it still holds what the setup
// wrote; emptied keys of the product go with it.
#include "uninstaller/reversal.h"
#include "base/text.h"
#include "payload/registry_roots.h"

static DWORD Decimal(const char *text) {
    DWORD n = 0;
    for (; *text >= '0' && *text <= '9'; text++) n = n * 10 + (DWORD)(*text - '0');
    return n;
}

static int EndsWith(const char *text, const char *end) {
    int n = TextLength(text), m = TextLength(end);
    return n >= m && SameText(text + n - m, end, m);
}

#ifdef UNDO_WHOLE_LOGS
// Keys Windows and other programs own: emptied keys below these are kept,
// except a product's own entries in the uninstall list and App Paths.
static int OwnedBySystem(int root, const char *key) {
    int depth = 1;
    for (const char *p = key; *p; p++)
        if (*p == '\\') depth++;
    if (depth < 2) return 1;
    if (root == 1) return 0;
    static const char *const owners[] = {"Software\\Microsoft\\", "System\\", "Software\\Classes\\",
                                         "Software\\Policies\\"};
    for (unsigned i = 0; i < sizeof owners / sizeof owners[0]; i++)
        if (SameText(key, owners[i], TextLength(owners[i]))) {
            static const char *const products[] = {"\\CurrentVersion\\Uninstall\\", "\\CurrentVersion\\App Paths\\"};
            for (unsigned j = 0; j < 2; j++)
                for (const char *p = key; *p; p++)
                    if (SameText(p, products[j], TextLength(products[j])) && p[TextLength(products[j])]) return 0;
            return 1;
        }
    return 0;
}

// Deletes the key and its parents while they are empty.
static void DeleteEmptyKeys(int root, char *key) {
    while (!OwnedBySystem(root, key)) {
        HKEY k;
        if (RegOpenKeyExA(RegistryRoot(root), key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return;
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyA(k, 0, 0, 0, &subkeys, 0, 0, &values, 0, 0, 0, 0);
        RegCloseKey(k);
        if (subkeys || values || RegDeleteKeyA(RegistryRoot(root), key) != ERROR_SUCCESS) return;
        int n = TextLength(key);
        while (n > 0 && key[n - 1] != '\\') n--;
        if (n == 0) return;
        key[n - 1] = 0;
    }
}

#endif

static int RegistryValueMatches(HKEY key, const char *name, const char *data) {
    BYTE value[512];
    DWORD type = 0, size = sizeof value - 1;
    if (RegQueryValueExA(key, name, 0, &type, value, &size) != ERROR_SUCCESS) return -1;
    if (type == REG_DWORD && size == 4) return *(DWORD *)value == Decimal(data);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
    value[size] = 0;
    return lstrcmpA((const char *)value, data) == 0;
}

// "RegRoot:" ... "RegVal :": the value goes when it still holds what the
// setup wrote; a font value also leaves the font table.
void UndoRegistryValue(UndoRun *run, int i) {
    char rootText[16], key[MAX_PATH], name[MAX_PATH], data[MAX_PATH];
    UndoRecord *r = run->records + i;
    RecordText(r, rootText, sizeof rootText);
    int root = (int)Decimal(rootText);
    if (!RegistryRoot(root) || !RecordText(r + 1, key, sizeof key) || !RecordText(r + 2, name, sizeof name) ||
        !RecordText(r + 3, data, sizeof data) || !key[0]) {
        Note(run, NOTE_DAMAGED, r->line, "");
        return;
    }
    HKEY k;
    if (RegOpenKeyExA(RegistryRoot(root), key, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    const char *valueName = name[0] ? name : 0;
    int match = RegistryValueMatches(k, valueName, data);
    if (match == 1 && RegDeleteValueA(k, valueName) == ERROR_SUCCESS) run->changes++;
    RegCloseKey(k);
    if (match == 0) {
        Note(run, NOTE_CHANGED, r->line, name);
        return;
    }
    if (root == 3 && EndsWith(key, "\\CurrentVersion\\Fonts")) {
        if (PlainPath(data)) RemoveFontResourceA(data);
        DWORD_PTR result;
        SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
        return;
    }
#ifdef UNDO_WHOLE_LOGS
    DeleteEmptyKeys(root, key);
#endif
}
