#include "install/file_copy.h"
#include "install/file_checks.h"
#include "install/file_record.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_steps.h"
#include "install/registrations.h"
#include "install/walk_display.h"
#include "payload/binding.h"
#include "payload/entry_names.h"
#include "payload/extract.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "script/variables.h"
#include "base/settings.h"
#include "base/text.h"

#define TARGET_SIZE 255
#define NEW_NAME_PATH_SIZE 512

// Everything one entry needs; lives for one tick.
int g_lastSkipState;

struct FileState {
    int skip;
    int replace;
    int replaced;
    int locked;
    int existed;
    DWORD attributes;   // the target's before any rule changed them
    int backedUp;       // the old file was moved (not copied) to the backup
    int variant;        // field 14
    char target[TARGET_SIZE];
    char display[TARGET_SIZE];
    char backup[TARGET_SIZE];
    char newName[TARGET_SIZE];
    char newNamePath[NEW_NAME_PATH_SIZE];
};

static int Exists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

static int IsFolder(const char *path) {
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

static int HasPercent(const char *text) {
    for (; *text; text++)
        if (*text == '%') return 1;
    return 0;
}

// Appends and reports whether everything fitted.
static int Append(char *dst, const char *src, int size) {
    int used = TextLength(dst), add = TextLength(src);
    if (used + add >= size) return 0;
    AppendText(dst, src, size);
    return 1;
}

// folder := base, then the entry's folder text, with one backslash between
// the pieces and behind them. The installation folder carries no trailing
// backslash and folder texts may or may not start with one; pasting them
// together as they stand would name a file beside the folder instead of
// inside it. Returns 0 when the result does not fit.
static int JoinFolderText(char *folder, int size, const char *base, const char *folderText) {
    folder[0] = 0;
    if (!Append(folder, base, size)) return 0;
    int n = TextLength(folder);
    if (n > 0 && folder[n - 1] != '\\' && folderText[0] != '\\' && !Append(folder, "\\", size)) return 0;
    if (n > 0 && folder[n - 1] == '\\' && folderText[0] == '\\') folderText++;
    if (!Append(folder, folderText, size)) return 0;
    n = TextLength(folder);
    if (n > 0 && folder[n - 1] != '\\' && !Append(folder, "\\", size)) return 0;
    return 1;
}

static void Expand(char *text) {
    // The library reads the script's variables for every expansion; most
    // paths name none.
    if (g_support.CONVERTMACRO && TextMayHoldVariable(text)) g_support.CONVERTMACRO(text, 3);
    text[CONVERT_BUFFER_SIZE - 1] = 0;
}

// Variables that expand to nothing leave doubled backslashes ("\%A%\"
// with %A% empty); Windows reads a run of them inside a path as one, and so
// does the check below. A leading pair (a share) stays.
static void CollapseSeparators(char *path) {
    char *to = path;
    const char *from = path;
    if (from[0] == '\\' && from[1] == '\\') to += 2, from += 2;
    for (; *from; from++)
        if (*from != '\\' || to == path || to[-1] != '\\') *to++ = *from;
    *to = 0;
}

int BuildTargetPath(const char *name, const char *folderText, char *target, int size) {
    // CONVERTMACRO works in 255 characters: a path that does not fit there
    // before or after expansion would be cut and name some other file.
    char path[CONVERT_BUFFER_SIZE];
    path[0] = 0;
    int fits = folderText[0] == '%' ? JoinFolderText(path, TARGET_SIZE, "", folderText)
                                    : JoinFolderText(path, TARGET_SIZE, g_installFolder, folderText);
    fits = fits && Append(path, name, TARGET_SIZE);
    if (!fits) {
        CopyText(target, path, size);
        return TARGET_TOO_LONG;
    }
    Expand(path);
    CollapseSeparators(path);
    CopyText(target, path, size);
    if (TextLength(path) >= TARGET_SIZE - 1 || TextLength(path) >= size) return TARGET_TOO_LONG;
    // Only a variable at the start of the folder text may lead out of the
    // installation folder; from the folder it names (or from the
    // installation folder) the rest must not climb, jump to a drive, a root
    // or a share, nor is the name more than a plain file name.
    char base[CONVERT_BUFFER_SIZE];
    int variable = LeadingVariableLength(folderText);
    CopyText(base, variable ? folderText : g_installFolder, variable ? variable + 1 : (int)sizeof base);
    Expand(base);
    int plainFolder = variable || IsContainedFolderText(folderText);
    if (!IsPlainEntryName(name) || !plainFolder || !IsTargetInside(path, base, name)) return TARGET_OUTSIDE;
    return TARGET_OK;
}

void BuildDisplayPath(const char *target, const char *name, const char *folderText, char *display, int size) {
    if (TextLength(target) <= 100) {
        CopyText(display, target, size);
        return;
    }
    if (folderText[0] == '%') {
        CopyText(display, "....\\", size);
    } else {
        CopyText(display, g_installFolder, size);
        AppendText(display, "\\....\\", size);
    }
    AppendText(display, name, size);
}

// A file (not a folder) stands at the path with these attributes.
static int IsFile(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DecideFile(const char *record, const char *target, DWORD attributes, int *replace) {
    int skip = SKIP_NONE;
    *replace = 0;
    char letter[2];
    RecordField(record, 20, letter, sizeof letter);
    if (letter[0]) {
        int selected = 0;
        for (const char *p = g_componentLetters; *p; p++)
            if (*p == letter[0]) selected = 1;
        if (!selected) skip = SKIP_LEFT_OUT;
    }
    if (skip == SKIP_NONE) {
        DWORD family = RecordNumber(record, 15), clarion = RecordNumber(record, 16);
        if ((family && !(family & (DWORD)g_windowsFamily)) || (clarion && !(clarion & (DWORD)g_clarionVersion)))
            skip = SKIP_LEFT_OUT;
    }
    int present = IsFile(attributes);
    if (skip == SKIP_NONE && present) {
        char version[50], time[50];
        RecordField(record, 6, version, sizeof version);
        RecordField(record, 7, time, sizeof time);
        DWORD date = RecordNumber(record, 6), clock = RecordNumber(record, 7);
        int says = -1;
        switch (RecordNumber(record, 5)) {
        case 1: says = 1; break;
        case 2: says = VersionSaysReplace(target, version, RULE_NOT_OLDER); break;
        case 3: says = VersionSaysReplace(target, version, RULE_NEWER); break;
        case 4: says = DateSaysReplace(target, date, clock, RULE_NOT_OLDER); break;
        case 5: says = DateSaysReplace(target, date, clock, RULE_NEWER); break;
        case 9: says = 0; break;
        default: break;  // written over as a plain copy
        }
        if (says == 1) *replace = 1;
        if (says == 0) skip = SKIP_KEPT;
    }
    if (RecordNumber(record, 18) && !present) {
        skip = SKIP_KEPT;
        *replace = 0;
    }
    return skip;
}

const char *EntryResultText(int result) {
    switch (result) {
    case ENTRY_UNPACK_FAILED: return "unpack failed: ";
    case ENTRY_NO_RECORD: return "no file record for ";
    case ENTRY_BAD_RECORD: return "file record does not match ";
    case ENTRY_PATH_TOO_LONG: return "target path too long: ";
    case ENTRY_TARGET_OUTSIDE: return "target outside its folder: ";
    case ENTRY_NOT_WRITTEN: return "file not written: ";
    }
    return "";
}

static void ShowText(HWND page, int id, const char *text) {
    if (page) WalkText(id, text);
}

// Gives the uninstaller a name of its own when one is already installed.
// Its path is kept for the product's entry in Add/Remove Programs.
static void MakeUninstallerUnique(FileState *s, const char *name) {
    if (lstrcmpiA(name, "uninstx.exe") != 0) return;
    int n = 0;
    while (ReadSettingInt("UNINST", "Unique", 0) && Exists(s->target) && n < 9999) {
        n++;
        wsprintfA(s->newName, "uninstx%i.exe", n);
        JoinPath(s->target, sizeof s->target, g_installFolder, s->newName);
    }
    CopyText(g_uninstallerPath, s->target, sizeof g_uninstallerPath);
    if (n == 0) return;
    g_unpackOptions |= UNPACK_RENAMED;
    if (g_support.KWP_U_FILERENAME) g_support.KWP_U_FILERENAME(s->newName);
    WriteSetting("VARIABLES", "1", "%UNINSTNAME%");
    WriteSetting("VARIABLES", "%UNINSTNAME%", s->newName);
}

// Steps 5 to 8 of the decision: the copy page's own rules.
static void ApplyCopyRules(FileState *s, DWORD attributes) {
    int present = IsFile(attributes);
    if (s->skip == SKIP_NONE && present && g_noReadOnlyFlag == 1 && (attributes & FILE_ATTRIBUTE_READONLY))
        s->skip = SKIP_LEFT_OUT;
    if (s->skip == SKIP_NONE && present && g_noLogFlag == 1 && FileInUse(s->target)) s->skip = SKIP_LEFT_OUT;
    if (s->skip == SKIP_NONE && present && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(s->target, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (s->skip != SKIP_NONE) LogRecord("Skipped:", s->target);
}

// Keeps the old file before it is replaced; 0 when backups are on and no
// backup name is left (path too long, 999 backups): the old file is then
// kept and the new one not installed, rather than replaced without a copy.
static int ProtectOldFile(FileState *s, const char *name) {
    if (g_backupsOn) {
        if (!IsFolder(g_backupFolder)) {
            CreateDirectoryA(g_backupFolder, 0);
            LogRecord("Create :", g_backupFolder);
        }
        char plain[TARGET_SIZE];
        JoinPath(plain, sizeof plain, g_backupFolder, name);
        if (!NumberedBackupName(plain, s->backup, sizeof s->backup)) return 0;
    }
    if (FileInUse(s->target)) {
        if (g_backupsOn && s->backup[0]) CopyFileA(s->target, s->backup, TRUE);
        s->locked = 1;
    } else if (g_backupsOn && s->backup[0]) {
        s->backedUp = MoveFileA(s->target, s->backup) != 0;
    }
    // The read-only rule cleared the old file's attribute: the backup keeps
    // the attributes the file had, which a restore then gives back.
    SetFileAttributesA(s->backup, s->attributes);
    s->replaced = 1;
    if (s->locked) {
        char folder[TARGET_SIZE];
        DirectoryOfPath(s->target, folder, sizeof folder);
        if (TemporaryName(folder, s->newName, sizeof s->newName)) {
            g_unpackOptions |= UNPACK_RENAMED;
            if (g_support.KWP_U_FILERENAME) g_support.KWP_U_FILERENAME(s->newName);
        }
    }
    return 1;
}

// After a failed unpack: no half-written file stays behind as if it were
// installed, and a file moved to the backup goes back to its place.
static void UndoFailedUnpack(FileState *s) {
    if (s->locked) {
        if (s->newNamePath[0]) DeleteFileA(s->newNamePath);
        return;
    }
    if (!s->existed || s->backedUp) DeleteFileA(s->target);
    if (s->backedUp) MoveFileA(s->backup, s->target);
}

static int Unpack(HWND page, FileState *s, const char *name, const char *folder) {
    int consume = g_testMode || s->skip != SKIP_NONE;
    if (consume) g_unpackOptions |= UNPACK_CONSUME_ONLY;
    int call = !(g_skipOptimised && s->skip != SKIP_NONE);
    int result = g_lastUnpackResult;
    if (!HasPercent(folder)) {
        if (call) {
            ShowText(page, IDC_TARGET_TEXT, s->display);
            result = g_support.KWP_UNPACK(name, folder, g_ownPath, g_installFolder, (int)g_unpackOptions);
        }
        char dir[NEW_NAME_PATH_SIZE];
        JoinFolderText(dir, sizeof dir, g_installFolder, folder);
        JoinPath(s->newNamePath, sizeof s->newNamePath, dir, s->newName);
    } else {
        char dest[CONVERT_BUFFER_SIZE];
        JoinFolderText(dest, sizeof dest, folder[0] == '%' ? "" : g_installFolder, folder);
        if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(dest, 3);
        dest[CONVERT_BUFFER_SIZE - 1] = 0;
        g_unpackOptions &= ~UNPACK_ADD_FOLDER;
        if (call) {
            ShowText(page, IDC_TARGET_TEXT, dest);
            result = g_support.KWP_UNPACK(name, folder, g_ownPath, dest, (int)g_unpackOptions);
        }
        JoinPath(s->newNamePath, sizeof s->newNamePath, dest, s->newName);
        g_unpackOptions |= UNPACK_ADD_FOLDER;
    }
    if (consume) g_unpackOptions &= ~UNPACK_CONSUME_ONLY;
    g_lastUnpackResult = result;
    return result;
}

static void ScheduleReplacement(FileState *s) {
    g_restartNeeded = 1;
    LogRecord("Locked :", s->target);
    if (g_platform == 2)
        MoveFileExA(s->newNamePath, s->target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        WritePrivateProfileStringA("rename", s->target, s->newNamePath, "wininit.ini");
}

int InstallCurrentEntry(HWND page) {
    static FileState s;
    ZeroMemory(&s, sizeof s);
    g_lastSkipState = SKIP_NONE;
    const char *name = EntryName();
    const char *folder = EntryFolderText();

    // Decided and checked before any file is touched.
    int built = BuildTargetPath(name, folder, s.target, sizeof s.target);
    if (built != TARGET_OK) {
        // Consume the entry so that the library stays in step.
        g_support.KWP_UNPACK(name, folder, g_ownPath, g_installFolder, (int)(g_unpackOptions | UNPACK_CONSUME_ONLY));
        return built == TARGET_OUTSIDE ? ENTRY_TARGET_OUTSIDE : ENTRY_PATH_TOO_LONG;
    }
    MakeUninstallerUnique(&s, name);
    BuildDisplayPath(s.target, name, folder, s.display, sizeof s.display);

    // The build tool gives billboard entries records of their own, while
    // the walk shows a billboard without reading one: such records are
    // passed over here, so the files after a billboard keep their records.
    int read;
    char recordFolder[LONG_TEXT];
    do {
        read = ReadFileRecord(g_fileScript, g_fileRecord);
        RecordField(g_fileRecord, 23, recordFolder, sizeof recordFolder);
    } while (read == RECORD_READ && lstrcmpA(recordFolder, BILLBOARD_FOLDER) == 0);
    if (read != RECORD_READ) return read == RECORD_NONE ? ENTRY_NO_RECORD : ENTRY_BAD_RECORD;
    // The record must belong to this entry: when it names a file, it names
    // this one; a script out of step would put every file under the rules
    // of another.
    char recordName[LONG_TEXT];
    RecordField(g_fileRecord, 22, recordName, sizeof recordName);
    if (g_fileRecord[0] != '|' || (recordName[0] && lstrcmpiA(recordName, name) != 0)) return ENTRY_BAD_RECORD;

    char description[LONG_TEXT];
    RecordField(g_fileRecord, 1, description, sizeof description);
    ShowText(page, IDC_DESCRIPTION_TEXT, description);
    g_perFileProgressOff = RecordNumber(g_fileRecord, 17) != 0;
    s.variant = RecordNumber(g_fileRecord, 14) != 0;
    // One look at the target serves every rule below: on a system that
    // matches names without regard to case, a look for a file that is not
    // there reads the whole folder.
    DWORD attributes = GetFileAttributesA(s.target);
    s.existed = attributes != INVALID_FILE_ATTRIBUTES;
    s.attributes = attributes;

    s.skip = DecideFile(g_fileRecord, s.target, attributes, &s.replace);
    ApplyCopyRules(&s, attributes);
    g_lastSkipState = s.skip;
    if (s.replace && s.skip == SKIP_NONE && !g_testMode && !ProtectOldFile(&s, name)) {
        s.skip = g_lastSkipState = SKIP_KEPT;
        LogRecord("Skipped:", s.target);
    }

    // The folders of a new file are made here rather than by the library,
    // so that the log names each folder the setup created.
    if (!g_testMode && s.skip == SKIP_NONE) {
        char dir[TARGET_SIZE];
        DirectoryOfPath(s.target, dir, sizeof dir);
        CreateLoggedFolder(dir);
    }
    int result = Unpack(page, &s, name, folder);
    if (result != 0) {
        if (!g_testMode && s.skip == SKIP_NONE) UndoFailedUnpack(&s);
        g_unpackOptions &= ~UNPACK_RENAMED;
        return ENTRY_UNPACK_FAILED;
    }
    DWORD shared = RecordNumber(g_fileRecord, 4);
    if (!g_testMode && s.skip == SKIP_KEPT && shared) RaiseSharedCount(s.target);
    int renamed = (g_unpackOptions & UNPACK_RENAMED) != 0;
    g_unpackOptions &= ~UNPACK_RENAMED;

    if (!g_testMode && s.skip == SKIP_NONE) {
        // Never log a file as installed that is not there.
        const char *written = s.locked && renamed ? s.newNamePath : s.target;
        if (!Exists(written)) {
            UndoFailedUnpack(&s);
            return ENTRY_NOT_WRITTEN;
        }
    }
    if (s.locked) {
        if (renamed)
            ScheduleReplacement(&s);
        else
            LogRecord("Skipped:", s.target);
        s.locked = 0;
    }
    if (!g_testMode && s.skip == SKIP_NONE) {
        if (shared) RaiseSharedCount(s.target);
        if (!s.replaced) {
            LogFileRecord("Copy   :", s.variant, s.target);
            // Written over without a backup: not the setup's to delete.
            if (s.existed) LogRecord("Existed:", s.target);
        } else {
            LogFileRecord("Replace:", s.variant, s.target);
            if (g_backupsOn && s.backup[0] && Exists(s.backup)) LogFileRecord("Backup :", s.variant, s.backup);
        }
    }
    if (s.skip == SKIP_NONE && RecordNumber(g_fileRecord, 2)) {
        char font[128];
        RecordField(g_fileRecord, 3, font, sizeof font);
        RegisterFont(font, s.target);
    }
    if (!g_testMode && s.skip == SKIP_NONE) {
        if (RecordNumber(g_fileRecord, 9))
            QueueSelfRegistration(s.variant ? SELFREG_SERVER_VARIANT : SELFREG_SERVER, s.target);
        if (RecordNumber(g_fileRecord, 8))
            QueueSelfRegistration(s.variant ? SELFREG_TYPELIB_VARIANT : SELFREG_TYPELIB, s.target);
    }
    s.replaced = 0;
    return ENTRY_INSTALLED;
}
