// Placeholders for the system changes whose units are not built yet: each
// is replaced by its own unit, which then deletes its line here. Until
// then the copy page's finishing steps make no change of these kinds; the
// billboard entry is still consumed so that the payload walk stays in step.
#include "install/later_steps.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "startup/globals.h"

void CreateScriptFolders() {}
void CreateShortcuts() {}
void ChangeIniFiles() {}
void InstallOdbcEntries() {}
void RegisterClarionTemplates() {}
void ShowBillboardEntry(HWND page) {
    if (g_support.KWP_UNPACK)
        g_support.KWP_UNPACK(EntryName(), EntryFolderText(), g_ownPath, g_workingFolder,
                             UNPACK_CONSUME_ONLY | UNPACK_CREATE_FOLDER);
}
