// The product's entry in Windows' list of installed programs (Add/Remove
// Programs), made at the end of the copy when [UNINST] "Register" asks for
// it. Every value written is logged with the four registry records, so the
// uninstaller takes the values back, and with the last of them the emptied
// key of the product.
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/system_variables.h"
#include "base/settings.h"
#include "base/text.h"

// A record's text ends where its line of 256 bytes ends: tag, blank, CR LF.
#define RECORD_TEXT 244

void RegisterUninstallEntry() {
    if (!ReadSettingInt("UNINST", "Register", 0)) return;
    // Name (the setup title when absent), version, publisher, folder,
    // command, size.
    char texts[3][64], command[2 * LONG_TEXT], size[12], key[LONG_TEXT];
    const char *values[6] = {texts[0], texts[1], texts[2], g_installFolder, command, size};
    ReadSetting("UNINST", "Name", texts[0], 64);
    if (!texts[0][0]) CopyText(texts[0], g_windowTitle, 64);
    ReadSetting("UNINST", "Version", texts[1], 64);
    ReadSetting("UNINST", "Publisher", texts[2], 64);
    wsprintfA(command, "\"%s\" \"%s\"", g_uninstallerPath, g_installLogPath);
    wsprintfA(size, "%lu", (unsigned long)g_installedKB);
    wsprintfA(key, "%s\\Uninstall\\%s", g_windowsKey, texts[0]);
    // A command that a record cannot hold could not be taken back: no
    // entry then.
    HKEY entry;
    if (!InstallLogOpen() || !texts[0][0] || TextLength(command) > RECORD_TEXT ||
        GetFileAttributesA(g_uninstallerPath) == INVALID_FILE_ATTRIBUTES ||
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, 0, 0, KEY_SET_VALUE, 0, &entry, 0) != ERROR_SUCCESS)
        return;
    const char *name = "DisplayName\0DisplayVersion\0Publisher\0InstallLocation\0UninstallString\0EstimatedSize";
    for (int i = 0; i < 6; i++, name += TextLength(name) + 1) {
        const char *text = values[i];
        // The size is a number: DWORD data, logged as its decimal text.
        if (text[0] && RegSetValueExA(entry, name, 0, i == 5 ? REG_DWORD : REG_SZ,
                                      i == 5 ? (const BYTE *)&g_installedKB : (const BYTE *)text,
                                      i == 5 ? sizeof g_installedKB : (DWORD)TextLength(text) + 1) == ERROR_SUCCESS)
            LogRegistryValue(key, name, text);
    }
    RegCloseKey(entry);
}
