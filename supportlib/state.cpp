#include "supportlib/library.h"

DWORD g_entryPosition;
EntryHeader g_entry;
DWORD g_entryData;
int g_entryPending;
HWND g_progressWindow;
UINT g_progressMessage;
int g_logHandle;
char g_scriptPath[MAX_PATH];
char g_fileScriptPath[MAX_PATH];
char g_newName[MAX_PATH];
char g_componentLetters[21] = "A";
int g_platformCode;
static char g_messages[20][256];

void CopyBounded(char *dst, const char *src, int size) {
    int i = 0;
    if (size <= 0) return;
    for (; i < size - 1 && src[i]; i++) dst[i] = src[i];
    dst[i] = 0;
}

void AppendBounded(char *dst, const char *src, int size) {
    int len = lstrlenA(dst);
    if (len < size) CopyBounded(dst + len, src, size - len);
}

void WriteLogRecord(const char *tag, const char *text, int handle) {
    if (handle == 0 || handle == (int)HFILE_ERROR) return;
    char line[256];
    int n = 0;
    // The tag as it stands: the callers' tags are eight wide already, the
    // banner and "Aborted" are not and must not be cut or padded.
    for (; n < 250 && tag[n]; n++) line[n] = tag[n];
    line[n++] = ' ';
    // Room for CR LF keeps the whole record within 256 bytes.
    for (int i = 0; text[i] && n < 254; i++) line[n++] = text[i];
    line[n++] = '\r';
    line[n++] = '\n';
    _lwrite((HFILE)handle, line, n);
}

void ReportProblem(const char *caption, const char *text, const char *subject) {
    char message[600];
    CopyBounded(message, text, sizeof message);
    AppendBounded(message, subject, sizeof message);
    WriteLogRecord("Error  :", message, g_logHandle);
    OutputDebugStringA(message);
    if (g_progressWindow) MessageBoxA(g_progressWindow, message, caption, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

bool AskYesNo(const char *text) {
    // Nobody to ask (start-up, or a silent setup that gave no window): the
    // safe answer, which neither replaces nor creates anything unasked.
    if (!g_progressWindow) return false;
    return MessageBoxA(g_progressWindow, text, "Unpack", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

bool CreateFolders(const char *path) {
    char part[MAX_PATH];
    CopyBounded(part, path, sizeof part);
    int len = lstrlenA(part);
    while (len > 0 && (part[len - 1] == '\\' || part[len - 1] == '/')) part[--len] = 0;
    for (int i = 0; i <= len; i++) {
        if (i == len || ((part[i] == '\\' || part[i] == '/') && i > 0 && part[i - 1] != ':')) {
            char c = part[i];
            part[i] = 0;
            if (GetFileAttributesA(part) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(part, 0);
            part[i] = c;
        }
    }
    DWORD a = GetFileAttributesA(part);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

LIBRARY_ENTRY KWP_UINIT_MP(HWND progressWindow) {
    g_progressWindow = progressWindow;
    g_progressMessage = RegisterWindowMessageA("CKWP1");
    return 0;
}

LIBRARY_ENTRY LOGINFO(const char *tag, const char *text, int logHandle) {
    WriteLogRecord(tag ? tag : "", text ? text : "", logHandle);
    return 0;
}

LIBRARY_ENTRY INITMAK(const char *scriptPath, int platform, int family, int clarionVersion, int logHandle) {
    if (scriptPath) CopyBounded(g_scriptPath, scriptPath, sizeof g_scriptPath);
    g_platformCode = platform;
    g_logHandle = logHandle;
    // The copy starts with its log open: the right time to take away what
    // killed runs left, and to say so in it.
    if (logHandle && logHandle != HFILE_ERROR) RemoveKilledRunsLeftovers(logHandle);
    return 0;
}

LIBRARY_ENTRY INITSCRIPT(const char *fileScriptPath) {
    if (fileScriptPath) CopyBounded(g_fileScriptPath, fileScriptPath, sizeof g_fileScriptPath);
    return 0;
}

LIBRARY_ENTRY KWP_U_SETMSG(int number, const char *text) {
    if (number >= 0 && number < 20 && text) CopyBounded(g_messages[number], text, sizeof g_messages[0]);
    return 0;
}

LIBRARY_ENTRY KWP_U_FILERENAME(const char *fileName) {
    CopyBounded(g_newName, fileName ? fileName : "", sizeof g_newName);
    return 0;
}

LIBRARY_ENTRY KWP_FILEEXISTS(const char *path) {
    return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

LIBRARY_ENTRY KWP_CREATEPATH(const char *path) {
    if (!path || !path[0]) return 0;
    if (CreateFolders(path)) return 1;
    ReportProblem("Error", "Error creating directory: ", path);
    return 0;
}

LIBRARY_ENTRY CREATEFOLDER(const char *path) { return path && CreateDirectoryA(path, 0) ? 1 : 0; }

// The library's entry point: there is no C run-time to start; when the
// setup unloads it at its end, the journal of its work folders goes.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) EndWorkJournal();
    return TRUE;
}
