#include "wizard/default_folder.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "startup/globals.h"
#include "startup/text.h"

int g_defaultFolderComputed;
int g_clarionFolderChosen;
char g_folderLastPart[127];
char g_folderWithoutDrive[127];

static int IsDriveQualified(const char *path) { return path[0] && path[1] == ':'; }

static void PrefixDriveC(const char *path) {
    char folder[sizeof g_installFolder];
    CopyText(folder, "C:\\", sizeof folder);
    AppendText(folder, path[0] == '\\' ? path + 1 : path, sizeof folder);
    CopyText(g_installFolder, folder, sizeof g_installFolder);
}

static void RemoveTrailingBackslash(char *path) {
    int length = TextLength(path);
    if (length > 3 && path[length - 1] == '\\') path[length - 1] = 0;
}

// "%RegDir%" forms: the base folder from the registry or an INI file, then
// the part of "DF" after the marker.
static void FolderFromRegistry(const char *df, char *scratch, int size) {
    char key[127], value[127], file[CONVERT_BUFFER_SIZE];
    ReadDlgText("R1", key, sizeof key);
    ReadDlgText("R2", value, sizeof value);
    ReadDlgText("R3", file, 127);
    if (file[0] && g_support.CONVERTMACRO) g_support.CONVERTMACRO(file, 3);
    if (!file[0]) {
        // GETREG writes at most 255 bytes and a terminator.
        char result[CONVERT_BUFFER_SIZE] = "";
        if (g_support.GETREG) g_support.GETREG(ReadDlgInt("PK", 3), key, value, result, 0);
        CopyText(scratch, result, size);
    } else {
        GetPrivateProfileStringA(key, value, "", scratch, (DWORD)size, file);
    }
    if (!scratch[0]) ReadDlgText("DFX", scratch, size);
    int length = TextLength(df);
    int start = (length > 10 && df[10] == ':') || (length > 11 && df[11] == '\\') ? 12 : 9;
    const char *relative = length > start ? df + start : "";
    if (!g_installFolder[0]) {
        CopyText(g_installFolder, scratch, sizeof g_installFolder);
        int used = TextLength(g_installFolder);
        if (used && g_installFolder[used - 1] != '\\' && relative[0] != '\\')
            AppendText(g_installFolder, "\\", sizeof g_installFolder);
        AppendText(g_installFolder, relative, sizeof g_installFolder);
    }
    RemoveTrailingBackslash(g_installFolder);
}

void SplitInstallFolder() {
    const char *last = g_installFolder;
    for (const char *c = g_installFolder; *c; c++)
        if (*c == '\\' && c[1]) last = c + 1;
    CopyText(g_folderLastPart, last, sizeof g_folderLastPart);
    CopyText(g_folderWithoutDrive, IsDriveQualified(g_installFolder) ? g_installFolder + 2 : g_installFolder,
             sizeof g_folderWithoutDrive);
    SetVariableValue("%INSTDIR%", g_installFolder);
    char drive[3] = {g_installFolder[0], g_installFolder[0] ? g_installFolder[1] : (char)0, 0};
    SetVariableValue("%ROOTDRV%", drive);
}

void ComputeDefaultFolder() {
    g_defaultFolderComputed = 1;
    char df[81], scratch[127] = "";
    ReadDlgText("DF", df, sizeof df);
    // A chosen Clarion product's folder replaces this computation.
    if (!g_clarionFolderChosen) {
        if (StartsWithText(df, "%RegDir%"))
            FolderFromRegistry(df, scratch, sizeof scratch);
        else
            CopyText(g_installFolder, df, sizeof g_installFolder);
        if (ReadDlgInt("DLL100", 0)) {
            CallPlugin(3000);
            char value[VARIABLE_TEXT + 1];
            ReadVariable("%INSTDIR%", value);
            CopyText(g_installFolder, value, sizeof g_installFolder);
        }
        // A folder without a drive goes to drive C:. With "%RegDir%" the
        // base folder decides; a base that has no drive either is put on C:
        // too.
        if (!IsDriveQualified(g_installFolder) && !(g_installFolder[0] == '\\' && g_installFolder[1] == '\\'))
            PrefixDriveC(g_installFolder[0] ? g_installFolder : scratch);
        RemoveTrailingBackslash(g_installFolder);
    }
    SplitInstallFolder();
}
