// The copy page as a real modeless dialog on its timer: no tick begins
// while the library lets messages through during a write; the bars, the
// phase texts and the hand-back to the frame.
#include "install_fixture.h"
#include "install/file_copy.h"

using namespace driver;

namespace {

std::vector<std::pair<int, int>> s_barValues;  // (control id, position)
int s_handBacks;
bool s_nextEnabledAtHandBack;

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBAR_SETPOS) s_barValues.push_back({GetDlgCtrlID(bar), (int)wParam});
    return DefWindowProcA(bar, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_FRAME_NEXT) {
        s_handBacks++;
        s_nextEnabledAtHandBack = IsWindowEnabled(GetDlgItem(frame, IDC_FRAME_NEXT)) != 0;
        return 0;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}

// An in-memory page template with the copy page's controls.
class PageTemplate {
  public:
    PageTemplate() {
        Align();
        DLGTEMPLATE t = {};
        t.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
        t.cx = 300;
        t.cy = 200;
        Put(&t, sizeof t);
        Word(0), Word(0), Word(0);  // no menu, default class, no title
        countAt_ = offsetof(DLGTEMPLATE, cdit);
        Item(IDC_FILE_BAR, L"TestBar");
        Item(IDC_OVERALL_BAR, L"TestBar");
        for (int id : {IDC_TARGET_TEXT, IDC_PHASE_TEXT, IDC_DESCRIPTION_TEXT, IDC_PAGE_TITLE, IDC_PAGE_SUBTITLE})
            Item(id, L"STATIC");
    }
    const DLGTEMPLATE *Get() const { return (const DLGTEMPLATE *)bytes_.data(); }

  private:
    void Put(const void *p, size_t n) { bytes_.insert(bytes_.end(), (const char *)p, (const char *)p + n); }
    void Word(WORD w) { Put(&w, 2); }
    void Align() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    void Item(int id, const wchar_t *cls) {
        Align();
        DLGITEMTEMPLATE item = {};
        item.style = WS_CHILD | WS_VISIBLE;
        item.x = 5;
        item.y = (short)(5 + 15 * count_);
        item.cx = 200;
        item.cy = 12;
        item.id = (WORD)id;
        Put(&item, sizeof item);
        for (const wchar_t *p = cls; *p; p++) Word(*p);
        Word(0);
        Word(0);  // no text
        Word(0);  // no creation data
        count_++;
        ((DLGTEMPLATE *)bytes_.data())->cdit = (WORD)count_;
    }
    std::vector<char> bytes_;
    size_t countAt_ = 0;
    int count_ = 0;
};

class CopyPageTest : public InstallFixture {};

TEST_F(CopyPageTest, TimerWalkHandsBackWithBarsAndPhases) {
    WNDCLASSA bar = {};
    bar.lpfnWndProc = BarProc;
    bar.hInstance = GetModuleHandleA(0);
    bar.lpszClassName = "TestBar";
    RegisterClassA(&bar);
    WNDCLASSA frameClass = bar;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.lpszClassName = "TestFrame";
    RegisterClassA(&frameClass);

    std::vector<FileSpec> files;
    for (int i = 0; i < 30; i++) {
        FileSpec f;
        f.name = "p" + std::to_string(i) + ".bin";
        f.folder = i % 2 ? "odd\\" : "";
        f.bytes = Bytes(f.name, 2000 + i);
        if (i == 29) f.fields[17] = "1";  // no per-file progress for this one
        files.push_back(f);
    }
    Prepare(files, "P3=Done\r\nC65=Sub\r\n");
    g_recordsPerTick = 30;  // [DLG] "NO", read at start-up
    fake::pumpDuringUnpack = true;
    g_silentMode = 0;  // the library gets the page for its progress messages
    s_barValues.clear();
    s_handBacks = 0;

    HWND frame = CreateWindowA("TestFrame", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, 0, 0,
                               GetModuleHandleA(0), 0);
    ASSERT_TRUE(frame);
    CreateWindowA("BUTTON", "Next", WS_CHILD | WS_VISIBLE, 300, 250, 60, 20, frame, (HMENU)IDC_FRAME_NEXT,
                  GetModuleHandleA(0), 0);
    PageTemplate tpl;
    HWND page = CreateDialogIndirectParamA(GetModuleHandleA(0), tpl.Get(), frame, CopyPageProc, 0);
    ASSERT_TRUE(page);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(frame, IDC_FRAME_NEXT)));

    DWORD until = GetTickCount() + 20000;
    MSG msg;
    while (!s_handBacks && GetTickCount() < until) {
        if (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            Sleep(0);
    }
    ASSERT_EQ(1, s_handBacks);
    EXPECT_TRUE(s_nextEnabledAtHandBack);
    // No tick began while the library was writing a file.
    EXPECT_EQ(1, fake::maxNextLoopDepth);
    for (const FileSpec &f : files) EXPECT_EQ(f.bytes, Installed(f.folder + f.name));
    EXPECT_EQ("Done", ItemText(page, IDC_PHASE_TEXT));
    EXPECT_EQ("Sub", ItemText(page, IDC_PAGE_SUBTITLE));
    EXPECT_EQ("file p29.bin", ItemText(page, IDC_DESCRIPTION_TEXT));

    // Overall bar: steps of 1/30 in percent, shown as they change (a tick
    // handles several files and shows the last), then 99.
    std::vector<int> overall, perFile;
    for (auto &v : s_barValues) (v.first == IDC_OVERALL_BAR ? overall : perFile).push_back(v.second);
    ASSERT_GE(overall.size(), 2u);
    ASSERT_LE(overall.size(), 31u);
    for (size_t i = 0; i + 2 < overall.size(); i++) EXPECT_LT(overall[i], overall[i + 1]);
    EXPECT_GT(overall[overall.size() - 2], 50);
    for (size_t i = 0; i + 1 < overall.size(); i++) {
        bool step = false;
        for (int k = 1; k <= 30; k++) step |= overall[i] == k * 100 / 30;
        EXPECT_TRUE(step) << overall[i];
    }
    EXPECT_EQ(99, overall.back());
    // Per file: 0, the library's 50, 100; the last file has field 17, so
    // its bar stays at 0 whatever the library sends.
    for (int v : perFile) EXPECT_TRUE(v == 0 || v == 50 || v == 100) << v;
    ASSERT_FALSE(perFile.empty());
    EXPECT_EQ(0, perFile.back());

    // Later timer messages do nothing once the walk has ended.
    size_t calls = fake::calls.size();
    SendMessageA(page, WM_TIMER, WALK_TIMER, 0);
    EXPECT_EQ(calls, fake::calls.size());
    EXPECT_EQ(1, s_handBacks);
    DestroyWindow(page);
    DestroyWindow(frame);
    CloseLog();
}

}  // namespace
