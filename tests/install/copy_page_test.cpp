// The copy page as a real modeless dialog on its timer: no tick begins
// while the library lets messages through during a write; the bars, the
// phase texts and the hand-back to the frame.
#include "install_fixture.h"
#include "display/progress_bar.h"
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

class CopyPageTest : public InstallFixture {};

TEST_F(CopyPageTest, TimerWalkHandsBackWithBarsAndPhases) {
    // The engine's own page; its bars record what they are sent.
    HMODULE engine = LoadLibraryExA((ProgramFolder() + "\\setupeng.exe").c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(engine);
    WNDCLASSA bar = {};
    bar.style = CS_GLOBALCLASS;
    bar.lpfnWndProc = BarProc;
    bar.hInstance = GetModuleHandleA(0);
    bar.lpszClassName = PBAR_CLASS;
    RegisterClassA(&bar);
    WNDCLASSA frameClass = bar;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.lpszClassName = "TestFrame";
    RegisterClassA(&frameClass);

    std::vector<FileSpec> files;
    for (int i = 0; i < 30; i++) {
        std::string name = "p" + std::to_string(i) + ".bin";
        files.push_back({name, i % 2 ? "odd\\" : "", Bytes(name, 2000 + i)});
    }
    files.back().fields[17] = "1";  // no per-file progress for the last one
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
    HWND page = CreateDialogParamA(engine, MAKEINTRESOURCEA(IDD_COPY_PAGE), frame, CopyPageProc, 0);
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

    // Overall bar: rising as it changes (a tick handles several files and
    // shows the last), then 99.
    std::vector<int> overall, perFile;
    for (auto &v : s_barValues) (v.first == IDC_OVERALL_BAR ? overall : perFile).push_back(v.second);
    ASSERT_GE(overall.size(), 2u);
    ASSERT_LE(overall.size(), 31u);
    for (size_t i = 0; i + 2 < overall.size(); i++) EXPECT_LT(overall[i], overall[i + 1]);
    EXPECT_GT(overall[overall.size() - 2], 50);
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
    FreeLibrary(engine);
    CloseLog();
}

}  // namespace
