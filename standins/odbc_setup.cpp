// Stand-in ODBC setup library "odbcdll.dll": keeps the driver string the
// setup builds ("name\0attribute\0...\0\0") and does the work through the
// ODBC installer API of odbccp32, so the driver lands in ODBCINST.INI and
// the data sources in ODBC.INI as a product's own library would put them.
#include <windows.h>
#include <odbcinst.h>

#define ENTRY extern "C" __declspec(dllexport) int WINAPI

static char s_string[4096];
static int s_used;  // bytes used, without the closing NUL

ENTRY CLEARDRIVERSTRING() {
    s_used = 0;
    s_string[0] = s_string[1] = 0;
    return 0;
}

ENTRY ADDTODRIVERSTRING(const char *text) {
    int n = lstrlenA(text);
    if (s_used + n + 2 > (int)sizeof s_string) return 1;
    lstrcpyA(s_string + s_used, text);
    s_used += n + 1;
    s_string[s_used] = 0;
    return 0;
}

static int Starts(const char *text, const char *prefix) {
    int n = lstrlenA(prefix);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text, n, prefix, n) == CSTR_EQUAL;
}

// The installer puts the driver's files into one folder and keeps their
// names below it: a "Driver=" or "Setup=" path is split into that folder
// and the name.
ENTRY INSTALLODBC(const char *name) {
    static char driver[sizeof s_string];
    char folder[MAX_PATH] = "", path[MAX_PATH];
    int used = 0;
    for (const char *a = s_string; *a; a += lstrlenA(a) + 1) {
        const char *value = Starts(a, "Driver=") ? a + 7 : Starts(a, "Setup=") ? a + 6 : 0;
        const char *slash = 0;
        for (const char *c = value ? value : ""; *c; c++)
            if (*c == '\\') slash = c;
        if (slash) {
            if (Starts(a, "Driver=") && slash - value < MAX_PATH) lstrcpynA(folder, value, (int)(slash - value) + 1);
            lstrcpynA(driver + used, a, (int)(value - a) + 1);
            lstrcpyA(driver + used + (value - a), slash + 1);
        } else {
            lstrcpyA(driver + used, a);
        }
        used += lstrlenA(driver + used) + 1;
    }
    driver[used] = 0;
    WORD length = 0;
    DWORD usage = 0;
    return SQLInstallDriverEx(driver, folder[0] ? folder : 0, path, sizeof path, &length, ODBC_INSTALL_COMPLETE,
                              &usage)
               ? 0
               : 1;
}

// The driver string's attributes as a data source of the driver `name`:
// "DSN=" names it, the others become its values.
static int AddSource(const char *driver, UWORD mode) {
    const char *dsn = 0;
    for (const char *a = s_string; *a; a += lstrlenA(a) + 1)
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, 4, "DSN=", 4) == CSTR_EQUAL) dsn = a + 4;
    if (!dsn || !dsn[0]) return 1;
    SQLSetConfigMode(mode);
    int ok = SQLWriteDSNToIni(dsn, driver);
    for (const char *a = s_string; ok && *a; a += lstrlenA(a) + 1) {
        char key[256];
        const char *equals = a;
        while (*equals && *equals != '=') equals++;
        if (!*equals || equals - a >= (int)sizeof key || a == dsn - 4) continue;
        lstrcpynA(key, a, (int)(equals - a) + 1);
        ok = SQLWritePrivateProfileString(dsn, key, equals + 1, "ODBC.INI");
    }
    SQLSetConfigMode(ODBC_BOTH_DSN);
    return ok ? 0 : 1;
}

// A data source of the current user.
ENTRY ADDDSN(const char *driver, HWND owner) { return AddSource(driver, ODBC_USER_DSN); }

// A data source for every user of the machine.
ENTRY ADDDRIVERARGUMENT(const char *driver, HWND owner) { return AddSource(driver, ODBC_SYSTEM_DSN); }

// The uninstaller's entries. The driver's usage count goes down; at 0 it
// leaves ODBCINST.INI. Its data sources are left alone: each has a record
// of its own, or is none of the setup's.
ENTRY REMOVEODBC(const char *name) {
    DWORD usage = 0;
    return SQLRemoveDriver(name, FALSE, &usage) ? 0 : 1;
}

// A data source of the machine, named by the attribute the setup logged
// ("DSN=name"). It was written straight into ODBC.INI, not through the
// driver's own setup (which the driver here does not have), so it goes
// the same way. Wine's profile call writes a system source's values into
// the user's ODBC.INI, and its removal leaves a section there that lists
// no source: that section goes too, when no user's source of the name is
// listed.
ENTRY REMOVEDSN(const char *attribute) {
    const char *dsn = attribute + 4;
    if (!Starts(attribute, "DSN=") || !*dsn) return 1;
    SQLSetConfigMode(ODBC_SYSTEM_DSN);
    int ok = SQLRemoveDSNFromIni(dsn);
    char listed[8] = "", key[300] = "Software\\ODBC\\ODBC.INI\\";
    SQLSetConfigMode(ODBC_USER_DSN);
    if (ok && !SQLGetPrivateProfileString("ODBC Data Sources", dsn, "", listed, sizeof listed, "ODBC.INI") &&
        lstrlenA(dsn) < 256)
        RegDeleteKeyA(HKEY_CURRENT_USER, lstrcatA(key, dsn));
    SQLSetConfigMode(ODBC_BOTH_DSN);
    return ok ? 0 : 1;
}
