// [INI] changes: each key set in its INI file, recorded with the value it
// replaced so that the uninstaller can put it back.
#include "install/install_log.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

// A field expanded with mode 3, cut to size.
static void ReadExpanded(int item, const char *field, char *result, int size) {
    char text[CONVERT_BUFFER_SIZE];
    ReadListField("INI", item, field, text, size);
    if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(text, 3);
    text[CONVERT_BUFFER_SIZE - 1] = 0;
    CopyText(result, text, size);
}

static void ChangeIniKey(int i) {
    char name[LONG_TEXT + 1], file[LONG_TEXT];
    ReadListField("INI", i, "a", name, sizeof name);
    if (!name[0]) return;
    // A name without a variable is a path below the installation folder,
    // as every other path of the script.
    if (TextLength(name) >= LONG_TEXT || !BuildItemPath(name, file, sizeof file, "INI file passed over: ")) {
        if (TextLength(name) >= LONG_TEXT) LogPassedOver("INI file name too long: ", name);
        return;
    }
    char section[80], key[80], value[PATH_TEXT], old[PATH_TEXT];
    ReadExpanded(i, "b", section, sizeof section);
    ReadExpanded(i, "c", key, sizeof key);
    ReadExpanded(i, "d", value, sizeof value);
    if (!section[0] || !key[0]) {
        LogPassedOver("INI change without section or key: ", file);
        return;
    }
    GetPrivateProfileStringA(section, key, "", old, sizeof old, file);
    // A read-only file, or one that cannot be written (its folder is
    // missing), keeps its old value; nothing is recorded as changed.
    DWORD attributes = GetFileAttributesA(file);
    if ((attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) ||
        !WritePrivateProfileStringA(section, key, value, file)) {
        LogPassedOver("INI file not written: ", file);
        return;
    }
    LogRecord("INIFile:", file);
    LogRecord("INISec :", section);
    LogRecord("INIItem:", key);
    if (old[0]) LogRecord("INIOld :", old);
    LogRecord("INIVal :", value);
}

void ChangeIniFiles() {
    int count = ListCount("INI");
    for (int i = 1; i <= count; i++)
        if (ItemChosen("INI", i)) ChangeIniKey(i);
}
