// The root numbers of registry records and [REG] items (1 to 5), shared by
// the support library that writes the values and the uninstaller that
// removes them.
#pragma once
#include <windows.h>

static inline HKEY RegistryRoot(int root) {
    switch (root) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_USER;
    case 3: return HKEY_LOCAL_MACHINE;
    case 4: return HKEY_USERS;
    case 5: return HKEY_CURRENT_CONFIG;
    }
    return 0;
}
