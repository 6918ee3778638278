// The wizard as a person uses it: the keyboard alone from the welcome page to
// the finish page, Back while the files are copied, folders typed into the
// browser, the space a setup type needs, the program group list, Cancel
// before anything was installed, and the headings with large fonts.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <string>
#include "driver.h"
#include "screenshot.h"
#include "wizard_frame.h"

using namespace driver;

namespace {

const char kSuite[] = "C:\\Sample Suite";

// The text of a list box's selected item; "" when none is selected.
std::string SelectedLine(HWND list) {
    int selected = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected < 0) return "";
    std::vector<std::string> lines = ListBoxLines(list);
    return selected < (int)lines.size() ? lines[selected] : "";
}

bool Checked(HWND list, int box) { return IsDlgButtonChecked(list, box) == BST_CHECKED; }

}  // namespace

// Enter alone walks the sample from the welcome page to its end: every page
// leaves the focus on Next (the program folder page on its field), the
// finish page too after the copy. On the components page Tab reaches the
// list, the arrows move in it and Space ticks and unticks, the total
// following. The group list selects the group the field shows.
TEST(WizardKeysTest, EnterWalksTheSampleAndSpaceTicksTheComponents) {
    RemoveTree(kSuite);
    char programs[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, programs, CSIDL_PROGRAMS, TRUE));
    std::string group = std::string(programs) + "\\Sample Suite";
    CreateDirectoryA(group.c_str(), 0);
    Wizard wizard("sample_wizard_setup.exe");
    ASSERT_EQ(wizard.PageId(), 2000);
    SetForegroundWindow(wizard.frame());
    HWND next = GetDlgItem(wizard.frame(), kNext);
    // Page reached by Enter, and the control that then has the focus
    // (0: Next).
    struct Step {
        int page, focus;
    };
    const Step steps[] = {{7000, 0}, {8000, 0}, {10000, 0}, {11000, 593}, {12000, 0}};
    EXPECT_EQ(wizard.Focus(), next) << "welcome page";
    for (const Step &step : steps) {
        if (wizard.PageId() == 7000) SendMessageA(GetDlgItem(wizard.Page(), 604), BM_CLICK, 0, 0);  // Custom
        if (wizard.PageId() == 8000) {
            HWND list = GetDlgItem(wizard.Page(), 581);
            for (int tab = 0; tab < 8 && wizard.Focus() != list; tab++) {
                HWND before = wizard.Focus();
                TypeKey(VK_TAB);
                WaitUntil([&] { return wizard.Focus() != before; }, 2000);
            }
            ASSERT_EQ(wizard.Focus(), list) << "Tab never reaches the components";
            // Help ticked by default: 24 KB. Space on it, Down, Space on
            // the examples, Space twice more.
            struct Press {
                WORD key;
                bool help, examples;
                const char *total;
            };
            const Press presses[] = {{VK_SPACE, false, false, "12 KB"}, {VK_DOWN, false, false, "12 KB"},
                                     {VK_SPACE, false, true, "24 KB"},  {VK_SPACE, false, false, "12 KB"},
                                     {VK_SPACE, false, true, "24 KB"}};
            for (const Press &press : presses) {
                TypeKey(press.key);
                EXPECT_TRUE(WaitUntil([&] { return wizard.Item(584) == press.total; }, 3000))
                    << press.key << ": " << wizard.Item(584);
                EXPECT_EQ(Checked(list, 1002), press.help);
                EXPECT_EQ(Checked(list, 1003), press.examples);
            }
            EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
        }
        int page = wizard.PageId();
        ASSERT_EQ(wizard.KeyToPage(VK_RETURN), step.page) << "Enter on page " << page;
        HWND focus = step.focus ? GetDlgItem(wizard.Page(), step.focus) : next;
        EXPECT_EQ(wizard.Focus(), focus) << "page " << step.page;
        if (step.page == 11000) {
            EXPECT_EQ(wizard.Item(593), "Sample Suite");
            EXPECT_EQ(SelectedLine(GetDlgItem(wizard.Page(), 590)), "Sample Suite");
        }
    }
    // The copy, then the finish page, which Enter closes.
    ASSERT_EQ(wizard.KeyToPage(VK_RETURN), 30000);
    EXPECT_EQ(wizard.Focus(), next) << "finish page";
    TypeKey(VK_RETURN);
    EXPECT_EQ(wizard.program().Wait(15000), 0);
    RemoveDirectoryA(group.c_str());
    EXPECT_TRUE(FileExists(std::string(kSuite) + "\\examples\\examples.txt"));
    EXPECT_FALSE(FileExists(std::string(kSuite) + "\\help\\help.txt"));
}

// Back, by its button and by its access key, while the copy of a product
// of many files runs: neither leaves the copy page, which installs all of
// it and moves on to the finish page; nothing is undone.
TEST(WizardKeysTest, BackIsOffWhileTheFilesAreCopied) {
    const std::string folder = "C:\\Sample Suite Many";
    RemoveTree(folder);
    Wizard wizard("wizard_many_setup.exe");
    for (int page : {7000, 10000, 11000, 12000}) ASSERT_EQ(wizard.Next(), page);
    SetForegroundWindow(wizard.frame());
    HWND ready = wizard.Page();
    PressButton(wizard.frame(), kNext);
    ASSERT_NE(wizard.WaitForPage(ready), (HWND)0);
    ASSERT_EQ(wizard.shown(), 13000) << "the copy ended before it could be watched";
    EXPECT_FALSE(wizard.Enabled(kBack));
    TypeKey('B', VK_MENU);
    PressButton(wizard.frame(), kBack);
    EXPECT_EQ(wizard.WaitPastCopy(60000), 30000);
    std::string log = ReadFileBytes(folder + "\\install.log");
    EXPECT_EQ(log.find("Undone"), std::string::npos);
    EXPECT_TRUE(FileExists(folder + "\\many\\f1499.txt"));
    EXPECT_EQ(wizard.Finish(), 0);
}

// Folders typed into the browser's path field that the engine cannot use
// are refused on Next with a message, and nothing is cut or created; a
// sound one then installs.
TEST(WizardFoldersTest, TypedFoldersAreCheckedOnNext) {
    std::string tooLong = "C:";
    while (tooLong.size() < 336) tooLong += "\\Folder" + std::to_string(tooLong.size());
    tooLong.resize(336);
    const std::string typed = "C:\\Sample Suite Typed";
    RemoveTree(typed);
    struct Case {
        std::string folder;
        const char *said;  // part of the message
    } const cases[] = {
        {tooLong, "126"},
        {"C:\\Sample SuiteC:\\Other", "C:\\Sample SuiteC:\\Other"},
        {"Sample Suite", "Sample Suite"},
        {"C:Sample Suite", "C:Sample Suite"},
        {"C:\\Sample|Suite", "C:\\Sample|Suite"},
        {"C:\\Sample Suite\\con", "C:\\Sample Suite\\con"},
        {"C:\\Sample Suite\\lpt1.txt", "C:\\Sample Suite\\lpt1.txt"},
        {"C:\\Sample Suite.", "C:\\Sample Suite."},
        {"C:\\Sample Suite \\Data", "C:\\Sample Suite \\Data"},
        {"C:\\Sample\\\\Suite", "C:\\Sample\\\\Suite"},
        {typed, 0},
    };
    Wizard wizard("sample_wizard_setup.exe");
    for (int page : {7000, 10000}) ASSERT_EQ(wizard.Next(), page);
    for (const Case &c : cases) {
        PressButton(wizard.Page(), 102);
        HWND browser = WaitForDialogWithItem(wizard.program(), 1088, 10000);
        ASSERT_NE(browser, (HWND)0);
        // The path field follows the folder list, which is filled once the
        // browser shows.
        WaitUntil([&] { return SendDlgItemMessageA(browser, 1121, LB_GETCOUNT, 0, 0) > 0; });
        Sleep(150);
        SetDlgItemTextA(browser, 1088, c.folder.c_str());
        PressButton(browser, IDOK);
        ASSERT_TRUE(WaitGone(browser, 10000));
        if (!c.said) break;
        PressButton(wizard.frame(), kNext);
        std::string message = AnswerMessageBox(wizard.program());
        EXPECT_NE(message.find(c.said), std::string::npos) << c.folder << ": " << message;
        EXPECT_EQ(wizard.PageId(), 10000) << c.folder;
    }
    EXPECT_EQ(wizard.Item(101), typed);
    for (int page : {11000, 12000, 30000}) ASSERT_EQ(wizard.Next(), page);
    EXPECT_EQ(wizard.Finish(), 0);
    EXPECT_TRUE(FileExists(typed + "\\program.txt"));
    EXPECT_FALSE(FileExists("C:\\Folder2"));
    EXPECT_FALSE(FileExists("C:\\Sample SuiteC:"));
}

// A setup type that fixes the components needs the space its own figure
// gives, the one the ready page shows: "Complete" asks for more than any
// disk has and is refused; "Typical" passes.
TEST(WizardSpaceTest, TheSetupTypesFigureIsChecked) {
    Wizard wizard("wizard_edge_setup.exe");
    ASSERT_EQ(wizard.Next(), 7000);
    SendMessageA(GetDlgItem(wizard.Page(), 603), BM_CLICK, 0, 0);  // Complete
    ASSERT_EQ(wizard.Next(), 10000);
    PressButton(wizard.frame(), kNext);
    std::string message = AnswerMessageBox(wizard.program());
    EXPECT_NE(message.find("KB more are needed on drive C:"), std::string::npos) << message;
    EXPECT_EQ(wizard.PageId(), 10000);
    ASSERT_EQ(wizard.Back(), 7000);
    SendMessageA(GetDlgItem(wizard.Page(), 602), BM_CLICK, 0, 0);  // Typical
    for (int page : {10000, 11000, 12000}) ASSERT_EQ(wizard.Next(), page);
    std::vector<std::string> ready = ListBoxLines(GetDlgItem(wizard.Page(), 703));
    EXPECT_NE(std::find(ready.begin(), ready.end(), "    24 KB"), ready.end());
    wizard.Cancel(IDYES);
    EXPECT_EQ(wizard.program().Wait(15000), 2);
}

// A setup that asks for a restart at its end ("Rbt") and is cancelled
// before its copy installed nothing: no restart is offered.
TEST(WizardCancelTest, NoRestartIsOfferedWhenNothingWasInstalled) {
    for (int pages : {0, 4}) {
        Wizard wizard("wizard_edge_setup.exe");
        for (int step = 0; step < pages; step++) ASSERT_GT(wizard.Next(), 0);
        EXPECT_EQ(wizard.Cancel(IDYES), "Do you really want to cancel the setup of Sample Suite?");
        // Any further question is answered Cancel, so nothing restarts.
        std::string more;
        while (wizard.program().Running()) {
            HWND box = WaitForMessageBox(wizard.program(), 500);
            if (box) more = AnswerMessageBox(wizard.program(), IDCANCEL);
        }
        EXPECT_EQ(more, "") << "after " << pages << " pages";
        EXPECT_EQ(wizard.program().Wait(0), 2);
    }
}

// Small fonts (96 dots an inch) and large fonts (120): the heading grows
// with the system's font, so that it is no smaller beside the subheading
// with large fonts than with small ones.
TEST(WizardLargeFontsTest, TheHeadingScalesWithTheSystemFont) {
    int headings[2] = {}, subheadings[2] = {};
    for (int large = 0; large < 2; large++) {
        HKEY desktop;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_ALL_ACCESS, &desktop), 0);
        DWORD dpi = large ? 120 : 96;
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, (const BYTE *)&dpi, sizeof dpi);
        Wizard wizard("sample_wizard_setup.exe");
        RegDeleteValueA(desktop, "LogPixels");
        RegCloseKey(desktop);
        ASSERT_EQ(wizard.Next(), 7000);
        // Rows with red text in a label: the height of its ink.
        auto inkHeight = [&](int item) {
            RECT r;
            GetWindowRect(GetDlgItem(wizard.Page(), item), &r);
            int width = r.right - r.left, height = r.bottom - r.top, top = -1, bottom = -1;
            std::vector<DWORD> pixels = CapturePixels(0, r.left, r.top, width, height);
            for (int y = 0; y < height && !pixels.empty(); y++)
                for (int x = 0; x < width; x++)
                    if (pixels[y * width + x] == 0xFF0000) {
                        if (top < 0) top = y;
                        bottom = y;
                        break;
                    }
            return top < 0 ? 0 : bottom - top + 1;
        };
        int heading = inkHeight(614), subheading = inkHeight(601);
        if (large) wizard.Shot("60-large-fonts");
        EXPECT_GT(subheading, 0);
        headings[large] = heading;
        subheadings[large] = subheading;
        wizard.Cancel(IDYES);
        EXPECT_EQ(wizard.program().Wait(15000), 2);
    }
    EXPECT_GT(headings[1], headings[0]);
    EXPECT_GE(headings[1] * subheadings[0], headings[0] * subheadings[1])
        << "heading " << headings[0] << " and " << headings[1] << ", subheading " << subheadings[0] << " and "
        << subheadings[1];
}
