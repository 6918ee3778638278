#include "payload/extract.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "base/settings.h"
#include "base/text.h"
#include <lzexpand.h>

char g_supportLibraryPath[127];
char g_workingFolder[127];
char g_picturePath[3][127];
char g_textBlockPath[127];
char g_fileScriptPath[127];
char g_odbcPath[127];
char g_pluginPath[127];
char g_mainScriptPath[127];
int g_lastUnpackResult;
HFILE g_fileScript;
char g_entryRecord[ENTRY_RECORD_SIZE];

const char *EntryName() { return g_entryRecord + ENTRY_RECORD_NAME; }
const char *EntryFolderText() { return g_entryRecord + ENTRY_RECORD_FOLDER; }

// Reads the library slot through the LZ functions from offset into a new
// temp file (path). Always writes exactly PAYLOAD_LIBRARY_SIZE bytes, so the
// result has that size whatever the source or its header claim.
static void CopyLibrarySlot(INT lzFile, LONG offset, char *path) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, PAYLOAD_LIBRARY_SIZE + 1);
    char *bytes = memory ? (char *)GlobalLock(memory) : 0;
    if (bytes) {
        LZSeek(lzFile, offset, 0);
        INT got = LZRead(lzFile, bytes, PAYLOAD_LIBRARY_SIZE);
        if (got < 0) got = 0;
        bytes[got] = 0;
        HFILE out = CreateTempFile(path);
        if (out != HFILE_ERROR) {
            _lwrite(out, bytes, PAYLOAD_LIBRARY_SIZE);
            _lclose(out);
        }
        GlobalUnlock(memory);
    }
    if (memory) GlobalFree(memory);
}

int ExtractSupportLibrary() {
    OFSTRUCT of;
    INT own = LZOpenFileA(g_ownPath, &of, OF_READ);
    if (own < 0) return -1;
    char firstTemp[127] = "";
    CopyLibrarySlot(own, PAYLOAD_LIBRARY_OFFSET, firstTemp);
    LZClose(own);

    // The first temp file starts with the SZDD header, so reading it through
    // the LZ functions yields the expanded library.
    INT packed = LZOpenFileA(firstTemp, &of, OF_READ);
    if (packed < 0) return -1;
    CopyLibrarySlot(packed, 0, g_supportLibraryPath);
    LZClose(packed);

    DirectoryOfPath(firstTemp, g_workingFolder, sizeof g_workingFolder);
    DeleteFileA(firstTemp);
    return 0;
}

void OpenFileScript(const char *path) { g_fileScript = _lopen(path, OF_READ); }

void CloseFileScript() {
    if (g_fileScript && g_fileScript != HFILE_ERROR) _lclose(g_fileScript);
}

// Moves the unpacked file out of the working folder to a fresh temp name.
static void MoveToTempFile(const char *fullName, char *path) {
    HFILE h = CreateTempFile(path);
    if (h != HFILE_ERROR) _lclose(h);
    DeleteFileA(path);
    MoveFileA(fullName, path);
}

int UnpackStartupEntries(int mode) {
    if (mode != 0) return 1;
    for (;;) {
        if (!g_support.KWP_NEXTLOOP) return 0;
        // A non-zero result means the entry record does not hold a setup
        // file; ask again. The library answers -1 once no entry is left.
        int r = g_support.KWP_NEXTLOOP(g_ownPath, 1, g_entryRecord);
        if (r < 0) return 0;
        if (r != 0) continue;
        const char *name = EntryName();
        g_lastUnpackResult =
            g_support.KWP_UNPACK(name, EntryFolderText(), g_ownPath, g_workingFolder, UNPACK_STARTUP);
        char fullName[LONG_TEXT + 1];
        char shortName[LONG_TEXT + 1];
        CopyText(shortName, name, sizeof shortName);
        wsprintfA(fullName, "%s\\", g_workingFolder);
        AppendText(fullName, shortName, sizeof fullName);

        if (lstrcmpA(name, SETUP_FILE_PICTURE0) == 0) MoveToTempFile(fullName, g_picturePath[0]);
        if (lstrcmpA(name, SETUP_FILE_PICTURE1) == 0) MoveToTempFile(fullName, g_picturePath[1]);
        if (lstrcmpA(name, SETUP_FILE_PICTURE2) == 0) MoveToTempFile(fullName, g_picturePath[2]);
        if (lstrcmpA(name, SETUP_FILE_TEXT_BLOCKS) == 0) MoveToTempFile(fullName, g_textBlockPath);
        if (lstrcmpA(name, SETUP_FILE_FILE_SCRIPT) == 0) {
            MoveToTempFile(fullName, g_fileScriptPath);
            OpenFileScript(g_fileScriptPath);
            g_support.INITSCRIPT(g_fileScriptPath);
        }
        if (lstrcmpA(name, SETUP_FILE_ODBC) == 0) {
            g_odbc.present = 1;
            MoveToTempFile(fullName, g_odbcPath);
        }
        if (lstrcmpiA(name, SETUP_FILE_PLUGIN) == 0) {
            g_plugin.present = 1;
            MoveToTempFile(fullName, g_pluginPath);
        }
        if (lstrcmpA(name, SETUP_FILE_MAIN_SCRIPT) == 0) {
            MoveToTempFile(fullName, g_mainScriptPath);
            return 1;
        }
    }
}
