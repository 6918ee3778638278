#include "script/system_variables.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "startup/globals.h"

int DetectWindowsFamily() {
    g_platform = (GetVersion() & 0x80000000u) ? 1 : 2;
    return 1;
}

void InitVariables() {
    g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, 0);
}
