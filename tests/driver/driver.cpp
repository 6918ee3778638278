#include "driver.h"
#include <algorithm>

namespace driver {

DWORD Limit(DWORD ms) {
    char text[8] = "";
    GetEnvironmentVariableA("SETUP_TEST_TIME_SCALE", text, sizeof text);
    return ms == INFINITE ? ms : text[0] > '0' && text[0] <= '9' ? ms * (text[0] - '0') : ms;
}

Program::~Program() {
    if (process_) {
        Wait(0);
        CloseHandle(process_);
    }
}

bool Program::Start(const std::string &exe, const std::string &args, const std::string &folder) {
    std::string line = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    // The environment block: the test's own, with TMP and TEMP replaced.
    std::string environment;
    if (!temp_.empty()) {
        char *block = GetEnvironmentStringsA();
        for (const char *p = block; *p; p += lstrlenA(p) + 1)
            if (_strnicmp(p, "TMP=", 4) && _strnicmp(p, "TEMP=", 5)) environment.append(p).push_back(0);
        FreeEnvironmentStringsA(block);
        environment += "TMP=" + temp_ + '\0' + "TEMP=" + temp_ + '\0' + '\0';
    }
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &line[0], 0, 0, FALSE, 0,
                        environment.empty() ? 0 : (void *)environment.data(), folder.empty() ? 0 : folder.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
}

int Program::Wait(DWORD milliseconds) {
    if (!process_) return -1;
    if (WaitForSingleObject(process_, Limit(milliseconds)) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return (int)code;
}

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool HoldFile(Program &holder, const std::string &path) {
    std::string ready = MakeTempFolder("hold") + "\\ready";
    if (!holder.Start(ProgramFolder() + "\\holdfile.exe", "\"" + path + "\" \"" + ready + "\"")) return false;
    for (int i = 0; i < 400 && !FileExists(ready); i++) Sleep(25);
    return FileExists(ready);
}

namespace {
struct Search {
    DWORD pid;
    const char *className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    Search *search = (Search *)data;
    DWORD pid = 0;
    char name[64] = "";
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof name);
    if (pid == search->pid && IsWindowVisible(window) && (!search->className || !lstrcmpiA(name, search->className)))
        search->found.push_back(window);
    return TRUE;
}

template <typename Predicate> HWND WaitFor(const Program &program, const char *className, DWORD ms, Predicate ok) {
    for (DWORD start = GetTickCount();; Sleep(20)) {
        for (HWND w : TopWindows(program.Id(), className))
            if (ok(w)) return w;
        if (!program.Running() || GetTickCount() - start > Limit(ms)) return 0;
    }
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const char *className) {
    Search search = {pid, className, {}};
    EnumWindows(CollectWindow, (LPARAM)&search);
    return search.found;
}

HWND WaitForWindow(const Program &program, const char *className, DWORD ms) {
    return WaitFor(program, className, ms, [](HWND) { return true; });
}

HWND WaitForMessageBox(const Program &program, DWORD ms) {
    // The text item 0xFFFF, a plain static, and at least one of the answer
    // buttons: the engine's notice dialog has an icon as its item 0xFFFF
    // and no button, the wizard frame a group box.
    HWND box = WaitFor(program, "#32770", ms, [](HWND w) {
        HWND text = GetDlgItem(w, 0xFFFF);
        char kind[16] = "";
        if (!text || !GetClassNameA(text, kind, sizeof kind) || lstrcmpiA(kind, "Static")) return false;
        if ((GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return false;
        for (int id = IDOK; id <= IDNO; id++)
            if (GetDlgItem(w, id)) return true;
        return false;
    });
    // The box's text is set while it initialises; on a loaded machine the
    // window can be seen a moment before that. Give the text time to come.
    for (DWORD start = GetTickCount(); box && MessageBoxText(box).empty() && GetTickCount() - start < Limit(5000);)
        Sleep(20);
    return box;
}

std::string AnswerMessageBox(const Program &program, int button, DWORD ms) {
    HWND box = WaitForMessageBox(program, ms);
    if (!box) return "(no message box)";
    std::string text = MessageBoxText(box);
    PressButton(box, button);
    WaitGone(box, 5000);
    return text;
}

HWND WaitForDialogWithItem(const Program &program, int itemId, DWORD ms) {
    return WaitFor(program, "#32770", ms, [itemId](HWND w) { return GetDlgItem(w, itemId) != 0; });
}

HWND WaitForPageWithItem(const Program &program, HWND frame, int itemId, DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < Limit(ms) && program.Running(); Sleep(50))
        for (HWND page = FindWindowExA(frame, 0, "#32770", 0); page; page = FindWindowExA(frame, page, "#32770", 0))
            if (IsWindowVisible(page) && IsWindowVisible(GetDlgItem(page, itemId))) return page;
    return 0;
}

std::string WindowText(HWND window) {
    char text[4096] = "";
    // WM_GETTEXT works across processes for text (the system marshals it).
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_NORMAL, 10000, 0);
    return text;
}

// A missing item (0) has no text.
std::string ItemText(HWND dialog, int itemId) { return WindowText(GetDlgItem(dialog, itemId)); }

std::string MessageBoxText(HWND box) { return ItemText(box, 0xFFFF); }

void PressButton(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)GetDlgItem(dialog, buttonId));
}

bool WaitGone(HWND window, DWORD ms) {
    for (DWORD start = GetTickCount(); IsWindow(window) && IsWindowVisible(window); Sleep(20))
        if (GetTickCount() - start > Limit(ms)) return false;
    return true;
}

std::string ReadFileBytes(const std::string &path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(f, chunk, sizeof chunk, &got, 0) && got) bytes.append(chunk, got);
    CloseHandle(f);
    return bytes;
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find_first_of("\r\n", at), text.size());
        if (end > at) lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, 0);
    CloseHandle(f);
    return ok && put == bytes.size();
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string MakeTempFolder(const char *prefix) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    for (unsigned n = GetTickCount();; n++) {
        char name[MAX_PATH];
        wsprintfA(name, "%s%s%08x", temp, prefix, n);
        if (CreateDirectoryA(name, 0)) return name;
    }
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    std::string s(path, GetModuleFileNameA(0, path, sizeof path));
    return s.substr(0, s.find_last_of('\\'));
}

std::vector<std::string> FilesIn(const std::string &folder, const char *pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(folder + "\\" + data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

void RemoveTree(const std::string &path) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link: the link goes, not what it leads to.
                if (!RemoveDirectoryA(full.c_str())) DeleteFileA(full.c_str());
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::string PendingRenames() {
    HKEY key;
    std::string data(65536, '\0');
    DWORD size = 0;
    if (!RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key)) {
        size = (DWORD)data.size();
        if (RegQueryValueExA(key, "PendingFileRenameOperations", 0, 0, (BYTE *)&data[0], &size)) size = 0;
        RegCloseKey(key);
    }
    data.resize(size);
    std::replace(data.begin(), data.end(), '\0', '|');
    return data;
}

}  // namespace driver
