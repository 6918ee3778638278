#include "payload/binding.h"

SupportLibrary g_support;
PluginLibrary g_plugin;
OdbcLibrary g_odbc;
WORD g_bindFailed;

// GetProcAddress gives a FARPROC; the entry's own type is stored.
template <typename T> static void Bind(HMODULE module, const char *name, T &slot) {
    FARPROC entry = GetProcAddress(module, name);
    if (!entry) g_bindFailed = 1;
    slot = (T)(void *)entry;
}

int BindSupportLibrary(HMODULE module) {
    g_support.module = module;
#define SUPPORT_BIND(name) Bind(module, #name, g_support.name);
    SUPPORT_ENTRY_LIST(SUPPORT_BIND)
#undef SUPPORT_BIND
    return !g_bindFailed;
}

int BindPluginLibrary(HMODULE module) {
    g_plugin.module = module;
    Bind(module, "VANTREL_CALLDLL", g_plugin.VANTREL_CALLDLL);
    return !g_bindFailed;
}

void BindOdbcLibrary(HMODULE module) {
    // A missing ODBC entry is not a start-up failure; the ODBC step checks
    // each entry before it calls it. The bind-failure flag belongs to the
    // support library and the plug-in, so it is kept as it was.
    WORD before = g_bindFailed;
    g_odbc.module = module;
    Bind(module, "INSTALLODBC", g_odbc.INSTALLODBC);
    Bind(module, "ADDDRIVERARGUMENT", g_odbc.ADDDRIVERARGUMENT);
    Bind(module, "ADDDSN", g_odbc.ADDDSN);
    Bind(module, "ADDTODRIVERSTRING", g_odbc.ADDTODRIVERSTRING);
    Bind(module, "CLEARDRIVERSTRING", g_odbc.CLEARDRIVERSTRING);
    g_bindFailed = before;
}

int CallPlugin(int code) {
    if (!g_plugin.VANTREL_CALLDLL) return 0;
    return g_plugin.VANTREL_CALLDLL(code);
}
