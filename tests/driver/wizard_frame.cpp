#include "wizard_frame.h"
#include "screenshot.h"
#include <gtest/gtest.h>

namespace driver {
namespace {

// Each page template has an item no other template has.
struct PageMark {
    int templateId, item;
};
const PageMark kMarks[] = {{2000, 501},   {3000, 513},   {4000, 541},   {6000, 628},  {7000, 614},
                           {8000, 587},   {9000, 572},   {10000, 522},  {11000, 596}, {12000, 704},
                           {13000, 807},  {14000, 1001}, {15000, 1012}, {30000, 551}};

}  // namespace

Wizard::Wizard(const char *setup, const char *args) {
    program_.SetTempFolder(temp_);
    EXPECT_TRUE(program_.Start(ProgramFolder() + "\\" + setup, args));
    frame_ = WaitForDialogWithItem(program_, kNext, 20000);
    EXPECT_NE(frame_, (HWND)0) << "no wizard frame";  // the first step then fails too
    if (frame_) WaitForPage(0);
}

HWND Wizard::Page() const {
    HWND found = 0;
    for (HWND child = FindWindowExA(frame_, 0, "#32770", 0); child; child = FindWindowExA(frame_, child, "#32770", 0)) {
        if (!IsWindowVisible(child)) continue;
        if (found) return 0;
        found = child;
    }
    return found;
}

int Wizard::TemplateOf(HWND page) {
    if (!page) return 0;
    for (const PageMark &mark : kMarks)
        if (GetDlgItem(page, mark.item)) return mark.templateId;
    return -1;
}

HWND Wizard::WaitForPage(HWND old, DWORD ms) {
    shown_ = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms && program_.Running(); Sleep(20)) {
        HWND page = Page();
        if (page && page != old && Settled()) {
            Sleep(150);  // let the page finish its painting
            // A page on its way out has lost its items: ask again after.
            if ((shown_ = TemplateOf(page)) > 0 && Page() == page) return page;
        }
    }
    return 0;
}

bool Wizard::Settled() {
    DWORD_PTR answer;
    return SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0;
}

int Wizard::WaitPastCopy(DWORD ms) {
    DWORD start = GetTickCount();
    int page = 0;
    while ((page == 0 || page == 13000) && GetTickCount() - start < ms && program_.Running())
        page = WaitForPage(0, 300) ? shown_ : 0;
    return page == 13000 ? 0 : page;
}

int Wizard::Press(int button) {
    HWND old = Page();
    PressButton(frame_, button);
    int page = WaitForPage(old) ? shown_ : 0;
    return page == 13000 ? WaitPastCopy() : page;
}

int Wizard::KeyToPage(WORD key, WORD modifier) {
    HWND old = Page();
    TypeKey(key, modifier);
    int page = WaitForPage(old) ? shown_ : 0;
    return page == 13000 ? WaitPastCopy() : page;
}

HWND Wizard::Focus() const {
    GUITHREADINFO info = {sizeof info};
    return GetGUIThreadInfo(GetWindowThreadProcessId(frame_, 0), &info) ? info.hwndFocus : 0;
}

std::string Wizard::Cancel(int answer) {
    PressButton(frame_, IDCANCEL);
    return AnswerMessageBox(program_, answer, 10000);
}

int Wizard::Finish() {
    PressButton(frame_, kNext);
    return program_.Wait(15000);
}

void Wizard::Shot(const char *name) {
    // What a test changed by messages is on the screen only once the
    // program has painted it and its window surface has reached the
    // display: paint now, then wait until the screen stays the same.
    RedrawWindow(frame_, 0, 0, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<DWORD> before;
    WaitUntil(
        [&] {
            Sleep(100);
            std::vector<DWORD> now = CapturePixels(0, 0, 0, width, height);
            bool same = now == before;
            before.swap(now);
            return same;
        },
        3000);
    EXPECT_TRUE(SaveShot(name)) << name;
}

void TypeKey(WORD key, WORD modifier) {
    INPUT inputs[4] = {};
    int count = 0;
    auto add = [&](WORD vk, DWORD flags) {
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = vk;
        inputs[count].ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
        inputs[count++].ki.dwFlags = flags;
    };
    if (modifier) add(modifier, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (modifier) add(modifier, KEYEVENTF_KEYUP);
    SendInput(count, inputs, sizeof(INPUT));
}

bool WaitUntil(const std::function<bool()> &test, DWORD ms) {
    for (DWORD start = GetTickCount(); !test(); Sleep(20))
        if (GetTickCount() - start > Limit(ms)) return false;
    return true;
}

std::vector<std::string> ListBoxLines(HWND list) {
    std::vector<std::string> lines;
    for (int i = 0, count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0); i < count; i++) {
        // Across processes the system hands list-box texts over in UTF-16.
        wchar_t wide[512] = L"";
        char line[512] = "";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 511) SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, 0, 0);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace driver
