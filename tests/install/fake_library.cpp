#include "fake_library.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "base/text.h"

namespace fake {

std::vector<Entry> entries;
std::vector<UnpackCall> calls;
std::vector<std::string> writeRegCalls;
int nextIndex;
int endAnswer = NEXTLOOP_END;
int maxNextLoopDepth;
static int s_depth;
bool pumpDuringUnpack;
static std::string s_renamed;
static HWND s_progressWindow;

static void CreatePath(const std::string &folder) {
    for (size_t at = 3; (at = folder.find('\\', at)) != std::string::npos; at++)
        CreateDirectoryA(folder.substr(0, at).c_str(), 0);
    CreateDirectoryA(folder.c_str(), 0);
}

static int SUPPORT_CALL NextLoop(const char *, int, char *record) {
    if (++s_depth > maxNextLoopDepth) maxNextLoopDepth = s_depth;
    int result = endAnswer;
    if (nextIndex < (int)entries.size()) {
        const Entry &e = entries[nextIndex++];
        ZeroMemory(record, ENTRY_RECORD_SIZE);
        CopyText(record + ENTRY_RECORD_NAME, e.name.c_str(), ENTRY_RECORD_TEXT_MAX);
        CopyText(record + ENTRY_RECORD_FOLDER, e.folder.c_str(), ENTRY_RECORD_TEXT_MAX);
        result = NEXTLOOP_ENTRY;
    }
    s_depth--;
    return result;
}

static int SUPPORT_CALL Unpack(const char *name, const char *folder, const char *, const char *target, int options) {
    calls.push_back({name, options});
    const Entry *entry = nextIndex > 0 ? &entries[nextIndex - 1] : 0;
    if (!entry || entry->name != name) return 7;
    if (options & UNPACK_CONSUME_ONLY) return 0;
    if (pumpDuringUnpack) {
        // The real library lets the window messages flow while it writes.
        s_depth++;
        MSG msg;
        DWORD until = GetTickCount() + 5;
        while (GetTickCount() < until)
            while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (s_progressWindow) SendMessageA(s_progressWindow, RegisterWindowMessageA("CKWP1"), 0, 50);
        s_depth--;
    }
    if (entry->lie) return 0;
    std::string dir = target;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    if (options & UNPACK_ADD_FOLDER) dir += folder;
    if (options & UNPACK_CREATE_FOLDER) CreatePath(dir);
    std::string path = dir + ((options & UNPACK_RENAMED) ? s_renamed : std::string(name));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 5;
    DWORD size = (DWORD)entry->bytes.size(), done = 0;
    if (entry->fail) size /= 2;
    WriteFile(file, entry->bytes.data(), size, &done, 0);
    CloseHandle(file);
    return entry->fail ? 4 : 0;
}

static int SUPPORT_CALL FileRename(const char *name) {
    s_renamed = name;
    return 0;
}

static int SUPPORT_CALL ConvertMacro(char *buffer, int) {
    std::string out = buffer;
    for (size_t at; (at = out.find("%INSTDIR%")) != std::string::npos;) out.replace(at, 9, g_installFolder);
    CopyText(buffer, out.c_str(), CONVERT_BUFFER_SIZE);
    return 0;
}

static int SUPPORT_CALL CreatePathEntry(const char *path) {
    CreatePath(path);
    return 0;
}

static int SUPPORT_CALL WriteReg(const char *letters) {
    writeRegCalls.push_back(letters);
    return 0;
}

static int SUPPORT_CALL InitProgress(HWND window) {
    s_progressWindow = window;
    return 0;
}

void Install() {
    ZeroMemory(&g_support, sizeof g_support);
    g_support.KWP_NEXTLOOP = NextLoop;
    g_support.KWP_UNPACK = Unpack;
    g_support.KWP_U_FILERENAME = FileRename;
    // Log records are written by the shipped library itself.
    static HMODULE library = LoadLibraryA("supportlib.dll");
    g_support.LOGINFO = (PFN_LOGINFO)GetProcAddress(library, "LOGINFO");
    g_support.CONVERTMACRO = ConvertMacro;
    g_support.KWP_CREATEPATH = CreatePathEntry;
    g_support.WRITEREG = WriteReg;
    g_support.KWP_UINIT_MP = InitProgress;
    endAnswer = NEXTLOOP_END;
    writeRegCalls.clear();
    s_depth = maxNextLoopDepth = 0;
    pumpDuringUnpack = false;
    s_renamed.clear();
    s_progressWindow = 0;
}

}  // namespace fake
