// [DIR] folders, made before the first file is copied so that empty folders
// exist too, and [GRP] shortcuts in shell folders, made after the copy.
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/choices.h"

static int Exists(const char *path) {
    return g_support.KWP_FILEEXISTS ? g_support.KWP_FILEEXISTS(path) != 0
                                    : GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// Creates the folder when it is missing; "Create :" for every level that
// was made, outermost first, so that a removal can take the whole new
// branch away again (deepest first) and nothing that was there before.
void CreateLoggedFolder(const char *folder) {
    if (Exists(folder) || !g_support.KWP_CREATEPATH) return;
    char level[PATH_TEXT];
    CopyText(level, folder, sizeof level);
    int n = TextLength(level), first = n;
    for (int i = n - 1; i > 2; i--) {
        if (level[i] != '\\') continue;
        level[i] = 0;
        int there = Exists(level);
        level[i] = '\\';
        if (there) break;
        first = i;
    }
    g_support.KWP_CREATEPATH(folder);
    if (!Exists(folder)) {
        LogPassedOver("folder not created: ", folder);
        return;
    }
    for (int i = first; i <= n; i++) {
        if (i < n && level[i] != '\\') continue;
        if (i == n && i > 0 && level[i - 1] == '\\') continue;
        char c = level[i];
        level[i] = 0;
        LogRecord("Create :", level);
        level[i] = c;
    }
}

void CreateScriptFolders() {
    int count = ListCount("DIR");
    for (int i = 1; i <= count; i++) {
        char text[PATH_TEXT + 1], folder[PATH_TEXT];
        ReadListField("DIR", i, "a", text, sizeof text);
        if (!text[0] || !ItemLetterSelected("DIR", i)) continue;
        if (TextLength(text) >= PATH_TEXT) {
            LogPassedOver("folder name too long: ", text);
            continue;
        }
        if (BuildItemPath(text, folder, sizeof folder, "folder passed over: ")) CreateLoggedFolder(folder);
    }
}

static void ReadField(int item, const char *field, char *buffer, int size) {
    ReadListField("GRP", item, field, buffer, size);
}

// One [GRP] item: the base folder from the registry, the program group
// below it, the shortcut file in it.
static void CreateShortcut(int i) {
    int root = ReadListFieldInt("GRP", i, "a", 1);
    char key[PATH_TEXT], value[80], group[PATH_TEXT], target[PATH_TEXT + 1], name[PATH_TEXT + 1];
    char work[PATH_TEXT], icon[PATH_TEXT], arguments[PATH_TEXT];
    ReadField(i, "b", key, sizeof key);
    ReadField(i, "c", value, sizeof value);
    ReadField(i, "d", group, sizeof group);
    ReadField(i, "e", target, sizeof target);
    ReadField(i, "f", name, sizeof name);
    ReadField(i, "h", work, sizeof work);
    ReadField(i, "i", icon, sizeof icon);
    ReadField(i, "k", arguments, sizeof arguments);
    int iconIndex = ReadListFieldInt("GRP", i, "j", 0);
    int hotKey = ReadListFieldInt("GRP", i, "s", 0);
    if (group[0] && g_programGroup[0]) CopyText(group, g_programGroup, sizeof group);
    if (g_platform == 1 && root == 3) root = 2;
    if (root < 1 || root > 5) {
        LogPassedOver("shortcut root not 1 to 5: ", name);
        return;
    }
    if (!name[0] || TextLength(name) >= PATH_TEXT || TextLength(target) >= PATH_TEXT || ClimbsOut(name) ||
        ClimbsOut(group)) {
        LogPassedOver("shortcut passed over: ", name);
        return;
    }
    // The library may return up to 255 characters.
    char base[CONVERT_BUFFER_SIZE];
    base[0] = 0;
    if (g_support.GETREG) g_support.GETREG(root, key, value, base, root);
    base[CONVERT_BUFFER_SIZE - 1] = 0;
    // Without its base folder the shortcut would land in whatever folder
    // is current.
    if (!base[0] || (base[1] != ':' && !(base[0] == '\\' && base[1] == '\\'))) {
        LogPassedOver("no shell folder for shortcut: ", name);
        return;
    }
    char folder[CONVERT_BUFFER_SIZE], link[CONVERT_BUFFER_SIZE + 1], path[CONVERT_BUFFER_SIZE];
    CopyText(folder, base, sizeof folder);
    if (group[0]) {
        JoinPath(folder, sizeof folder, base, group);
        CreateLoggedFolder(folder);
    }
    JoinPath(link, sizeof link, folder, name);
    if (TextLength(link) >= CONVERT_BUFFER_SIZE - 1) {
        LogPassedOver("shortcut path too long: ", name);
        return;
    }
    if (target[0] == '%') CopyText(path, target, sizeof path);
    else JoinPath(path, sizeof path, g_installFolder, target);
    if (g_support.CREATELINK) g_support.CREATELINK(path, link, work, icon, iconIndex, arguments, hotKey);
    if (Exists(link)) LogRecord("SLink  :", link);
    else LogPassedOver("shortcut not created: ", link);
}

void CreateShortcuts() {
    int count = ListCount("GRP");
    for (int i = 1; i <= count; i++)
        if (ItemChosen("GRP", i)) CreateShortcut(i);
}
