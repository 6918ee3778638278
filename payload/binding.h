// The libraries of the start-up: the support library (always), the plug-in
// library and the ODBC setup library (when the payload carries them).
#pragma once
#include "payload/support_entries.h"

struct SupportLibrary {
    HMODULE module;
#define SUPPORT_FIELD(name) PFN_##name name;
    SUPPORT_ENTRY_LIST(SUPPORT_FIELD)
#undef SUPPORT_FIELD
};

struct PluginLibrary {
    int present;  // the payload carried vtdllx.dll
    HMODULE module;
    PFN_VANTREL_CALLDLL VANTREL_CALLDLL;
};

struct OdbcLibrary {
    int present;  // the payload carried "odbcdll.dll"
    HMODULE module;
    PFN_INSTALLODBC INSTALLODBC;
    PFN_ADDDRIVERARGUMENT ADDDRIVERARGUMENT;
    PFN_ADDDSN ADDDSN;
    PFN_ADDTODRIVERSTRING ADDTODRIVERSTRING;
    PFN_CLEARDRIVERSTRING CLEARDRIVERSTRING;
};

extern SupportLibrary g_support;
extern PluginLibrary g_plugin;
extern OdbcLibrary g_odbc;
extern WORD g_bindFailed;  // set by any entry that did not bind; never reset

// Binds every support-library entry in table order; 1 when all bound.
int BindSupportLibrary(HMODULE module);
// Binds "VANTREL_CALLDLL"; 1 when bound.
int BindPluginLibrary(HMODULE module);
// Binds the five ODBC entries; a missing one stays NULL.
void BindOdbcLibrary(HMODULE module);
// Calls the plug-in with code; 0 when there is no plug-in entry.
int CallPlugin(int code);
