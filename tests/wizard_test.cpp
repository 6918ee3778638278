// The wizard of real setup programs under Wine: which pages show in which
// order for several switch sets, Next, Back and Cancel, the finish page
// after a stop, damaged pictures and texts, and the choosing pages.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <algorithm>
#include <vector>
#include "driver.h"
#include "wizard_frame.h"
#include "screenshot.h"

using namespace driver;

namespace {

bool SameText(const std::string &a, const std::string &b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Position of a line in a list, ignoring case; -1 when it is not there.
int LineOf(const std::vector<std::string> &lines, const std::string &line) {
    for (size_t i = 0; i < lines.size(); i++)
        if (SameText(lines[i], line)) return (int)i;
    return -1;
}

// The pages of the full product before the copy, in their order.
const int kBeforeCopy[] = {2000, 3000, 4000, 6000, 7000, 8000, 10000, 14000, 11000, 12000};

}  // namespace

// Welcome to finish with every page the product switches on, Back where it
// goes, the licence captions, the default folder put on drive C: (the
// script's has none), the ready list, and a screenshot of each page.
TEST(WizardWalkTest, FullProductWalksFromWelcomeToFinish) {
    std::string folder = "C:\\Sample Product";
    DeleteFileA((folder + "\\program.txt").c_str());
    Wizard wizard("wizard_full_setup.exe");
    EXPECT_EQ(WindowText(wizard.frame()), "Sample Product Setup");
    ASSERT_EQ(wizard.PageId(), 2000);
    EXPECT_EQ(wizard.Item(501), "Welcome to the Sample Product Setup");
    EXPECT_NE(wizard.Item(502).find("This program installs Sample Product"), std::string::npos);
    EXPECT_FALSE(wizard.Enabled(kBack));
    EXPECT_EQ(wizard.Button(kNext), "&Next >");
    wizard.Shot("01-welcome");

    ASSERT_EQ(wizard.Next(), 3000);
    EXPECT_EQ(wizard.Button(kNext), "I &Agree");
    EXPECT_EQ(wizard.Button(IDCANCEL), "I &Disagree");
    EXPECT_TRUE(wizard.Enabled(kBack));
    // The licence block is RTF source; the control shows its text only.
    EXPECT_NE(wizard.Item(513).find("You may install and use Sample Product"), std::string::npos);
    EXPECT_EQ(wizard.Item(513).find("\\rtf1"), std::string::npos);
    wizard.Shot("02-licence");
    // Cancel (here "I Disagree") asks the question; No keeps the page.
    HWND licence = wizard.Page();
    EXPECT_EQ(wizard.Cancel(IDNO), "Do you really want to cancel the setup of Sample Product?");
    EXPECT_TRUE(wizard.Settled());
    EXPECT_EQ(wizard.Page(), licence);

    ASSERT_EQ(wizard.Next(), 4000);
    EXPECT_EQ(wizard.Button(kNext), "&Next >");
    EXPECT_EQ(wizard.Button(IDCANCEL), "Cancel");
    EXPECT_EQ(wizard.Item(543), "Please read the following notes before you install Sample Product.");
    wizard.Shot("03-readme");
    // Back to the licence: its captions again; Back to the welcome page:
    // the plain captions and Back disabled.
    ASSERT_EQ(wizard.Back(), 3000);
    EXPECT_EQ(wizard.Button(kNext), "I &Agree");
    ASSERT_EQ(wizard.Back(), 2000);
    EXPECT_EQ(wizard.Button(kNext), "&Next >");
    EXPECT_FALSE(wizard.Enabled(kBack));
    for (int page : {3000, 4000, 6000, 7000, 8000, 10000}) ASSERT_EQ(wizard.Next(), page);
    EXPECT_EQ(wizard.Item(101), folder);
    EXPECT_EQ(wizard.Item(522), "Destination Folder");
    wizard.Shot("07-destination");
    ASSERT_EQ(wizard.Next(), 14000);  // the information page of the first action
    EXPECT_EQ(wizard.Item(1002), "Before you go on");
    EXPECT_EQ(wizard.Item(1001), "This page comes from an action of the script.");
    wizard.Shot("08-action-information");
    for (int page : {11000, 12000}) ASSERT_EQ(wizard.Next(), page);
    std::vector<std::string> ready = ListBoxLines(GetDlgItem(wizard.Page(), 703));
    for (std::string line : {"Setup type:", "    C:\\Sample Product", "    12 KB", "User information:"})
        EXPECT_GE(LineOf(ready, line), 0) << line;
    wizard.Shot("10-ready");

    // The copy page installs and moves on by itself: to the readme page of
    // the second action, where Back stays disabled for good.
    ASSERT_EQ(wizard.Next(), 4000);
    EXPECT_EQ(wizard.Item(541), "Notes shown after the copy.");
    EXPECT_FALSE(wizard.Enabled(kBack));
    EXPECT_TRUE(FileExists(folder + "\\program.txt"));
    wizard.Shot("11-action-readme");

    ASSERT_EQ(wizard.Next(), 30000);
    EXPECT_NE(wizard.Item(551).find("Sample Product has been installed"), std::string::npos);
    EXPECT_EQ(wizard.Button(kNext), "&Finish");
    EXPECT_FALSE(wizard.Enabled(IDCANCEL) || wizard.Enabled(kBack));
    wizard.Shot("12-finish");
    EXPECT_EQ(wizard.Finish(), 0);
}

// Silent mode: welcome, licence and readme do not exist; the other pages
// still show. The plug-in asked when the ready page is reached lets it show;
// Yes to Cancel ends the program with nothing installed.
TEST(WizardOrderTest, SilentModeDropsTheFirstThreePages) {
    DeleteFileA("C:\\Sample Product Plugin\\program.txt");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", "0");
    Wizard wizard("wizard_plugin_setup.exe", "-s");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", 0);
    EXPECT_EQ(wizard.PageId(), 6000);
    EXPECT_FALSE(wizard.Enabled(kBack));
    const size_t count = sizeof kBeforeCopy / sizeof kBeforeCopy[0];
    for (size_t i = 4; i < count; i++) ASSERT_EQ(wizard.Next(), kBeforeCopy[i]);
    // Back walks down again to the first page shown, where it is disabled.
    for (size_t i = count - 1; i > 3; i--) ASSERT_EQ(wizard.Back(), kBeforeCopy[i - 1]);
    EXPECT_FALSE(wizard.Enabled(kBack));
    wizard.Cancel(IDYES);
    EXPECT_EQ(wizard.program().Wait(15000), 2);  // cancelled: not installed
    EXPECT_FALSE(FileExists("C:\\Sample Product Plugin\\program.txt"));
}

// A plug-in that stops the setup when the ready page is reached: the same
// Next lands on the finish page with the failure text and nothing copied.
TEST(WizardOrderTest, PluginStopBeforeTheReadyPageShowsTheFinishPage) {
    DeleteFileA("C:\\Sample Product Plugin\\program.txt");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", "1");
    Wizard wizard("wizard_plugin_setup.exe");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", 0);
    const size_t count = sizeof kBeforeCopy / sizeof kBeforeCopy[0];
    for (size_t i = 1; i + 1 < count; i++) ASSERT_EQ(wizard.Next(), kBeforeCopy[i]);
    ASSERT_EQ(wizard.Next(), 30000);
    EXPECT_EQ(wizard.Item(551), "The setup was stopped before Sample Product was installed. Nothing was "
                                "changed that cannot be undone.");
    EXPECT_EQ(wizard.Button(kNext), "&Close");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard.Page(), 333)));
    wizard.Shot("13-finish-stopped");
    EXPECT_EQ(wizard.Finish(), 2);
    EXPECT_FALSE(FileExists("C:\\Sample Product Plugin\\program.txt"));
}

// Damaged pictures, texts far longer than their buffers, blocks that are
// missing or never closed, and more action pages than the list holds: every
// page still shows and the program ends normally.
TEST(WizardBadInputTest, DamagedPicturesAndTextsStillShowEveryPage) {
    // More program groups than the Program Manager's reply may carry.
    char programs[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, programs, CSIDL_PROGRAMS, TRUE));
    std::vector<std::string> fillers;
    for (int n = 1000; n < 1300; n++) {
        fillers.push_back(programs + ("\\Filler group " + std::to_string(n)) + " with a name long enough to fill");
        CreateDirectoryA(fillers.back().c_str(), 0);
    }
    Wizard wizard("wizard_bad_setup.exe");
    EXPECT_EQ(WindowText(wizard.frame()).size(), 49u);  // "TI" is read up to 50 characters
    EXPECT_EQ(wizard.PageId(), 2000);
    EXPECT_LT(wizard.Item(502).size(), 6000u);
    EXPECT_EQ(wizard.Button(kNext).size(), 254u);  // 255 bytes with the terminator
    wizard.Shot("20-bad-welcome");
    std::vector<int> seen = {wizard.PageId()};
    HWND old = wizard.Page();
    for (int step = 0; step < 120 && wizard.program().Running(); step++) {
        // Next is disabled while the detection and copy pages walk, and
        // they press it themselves when done: a press of ours could land on
        // the page after them.
        if (seen.back() != 13000) PressButton(wizard.frame(), kNext);
        HWND shown = 0;
        for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < 20000 && wizard.program().Running();) {
            shown = wizard.WaitForPage(old, 300);
            AnswerMessageBox(wizard.program(), IDOK, 1);
        }
        if (!wizard.program().Running()) break;
        int page = shown ? wizard.shown() : 0;
        ASSERT_GT(page, 0) << "no page after step " << step << " from page " << seen.back();
        seen.push_back(page);
        old = shown;
        if (page == 3000) wizard.Shot("21-bad-licence");
        if (page == 11000) {
            // The reply is cut after 10239 characters: part of the groups.
            std::vector<std::string> groups = ListBoxLines(GetDlgItem(wizard.Page(), 590));
            size_t characters = 0;
            for (const std::string &g : groups) characters += g.size() + 2;
            EXPECT_GT(groups.size(), 100u);
            EXPECT_LT(groups.size(), 300u);
            EXPECT_LE(characters, 10241u);
            SetDlgItemTextA(wizard.Page(), 593, "Group");  // no default group: type one
        }
        if (page == 8000) {
            // More components than letters, each of 2000000000 KB: the list
            // stops at the letters, the total stays at the largest figure;
            // unticked, the base space alone passes the space check.
            HWND list = GetDlgItem(wizard.Page(), 581);
            EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 18);
            EXPECT_EQ(wizard.Item(584), "4294967295 KB");
            for (int box = 1002; box < 1041; box++)
                if (IsDlgButtonChecked(list, box) == BST_CHECKED) SendDlgItemMessageA(list, box, BM_CLICK, 0, 0);
            EXPECT_EQ(wizard.Item(584), "10 KB");
        }
        if (page == 30000) break;
    }
    ASSERT_EQ(seen.back(), 30000) << "exit " << wizard.program().Wait(1000);
    // 51 places: the eight built-in pages up to the destination page and
    // the five from the program folder to the finish page leave 38 for
    // action pages; the built-in readme page makes 39 text pages.
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 14000) + std::count(seen.begin(), seen.end(), 4000), 39);
    // The copy page was not crowded out: the files are in the folder cut
    // from the far too long "DF" (read up to 80 characters).
    EXPECT_TRUE(FileExists("C:\\" + std::string(80, 'D') + "\\program.txt"));
    wizard.Shot("22-bad-finish");
    EXPECT_EQ(wizard.Finish(), 0);
    for (const std::string &folder : fillers) RemoveDirectoryA(folder.c_str());
}

// The choosing and typing pages of a product whose files differ by the
// components chosen.
namespace {

const char kChosen[] = "C:\\Chosen Product";

// Clicks a check box or radio button as a person would.
void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

// From the ready page through the copy to the finish page and out.
void InstallFromReady(Wizard &wizard) {
    ASSERT_EQ(wizard.PageId(), 12000);
    int after = wizard.Next();
    if (after != 30000) wizard.Shot("39-install-failed");
    ASSERT_EQ(after, 30000) << "exit " << wizard.program().Wait(1000);
    EXPECT_EQ(wizard.Finish(), 0);
}

class ChosenProduct : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *folder : {kChosen, "C:\\Browsed Here", "C:\\Chosen Data", "C:\\C55EE"}) RemoveTree(folder);
        CreateDirectoryA("C:\\Browsed Here", 0);
        SetEnvironmentVariableA("VTDLLX_ANSWER_2000", "1");
    }
    void TearDown() override { SetEnvironmentVariableA("VTDLLX_ANSWER_2000", 0); }
};

}  // namespace

// A type that fixes the components skips their page both ways; the open
// one: components ticked and unticked with the running total, too little
// space for a huge component, the Clarion environments from WIN.INI (the
// second one chosen gives the folder and the two variables the file script
// uses), the folder browser, the folder-prompt and input pages, the program
// groups; A and C installed.
TEST_F(ChosenProduct, CustomComponentsClarionBrowsedFolderAndActionPages) {
    const char *sections[] = {"Clarion 5", "Clarion 5.5  Enterprise Edition"};
    const char *workdirs[] = {"C:\\C5", "C:\\C55EE"};
    for (int i = 0; i < 2; i++) {
        WriteProfileStringA(sections[i], "exename", "clarion");
        WriteProfileStringA(sections[i], "workdir", workdirs[i]);
    }
    Wizard wizard("wizard_choose_setup.exe");
    ASSERT_EQ(wizard.PageId(), 6000);
    // The name is required: an empty one keeps the page (Next sent, so the
    // frame has dealt with it on return).
    SetDlgItemTextA(wizard.Page(), 625, "");
    SendMessageTimeoutA(wizard.frame(), WM_COMMAND, MAKEWPARAM(kNext, BN_CLICKED),
                        (LPARAM)GetDlgItem(wizard.frame(), kNext), SMTO_BLOCK, 10000, 0);
    EXPECT_EQ(wizard.PageId(), 6000);
    wizard.Shot("30-user-information");
    SetDlgItemTextA(wizard.Page(), 625, "Tester");
    SetDlgItemTextA(wizard.Page(), 626, "Testers Ltd");
    SetDlgItemTextA(wizard.Page(), 627, "42");
    ASSERT_EQ(wizard.Next(), 7000);

    EXPECT_EQ(wizard.Item(609), "You choose the parts to install.");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard.Page(), 605)));
    EXPECT_EQ(IsDlgButtonChecked(wizard.Page(), 603), BST_CHECKED);  // "+2c" makes Custom the default
    wizard.Shot("31-setup-type");
    Click(GetDlgItem(wizard.Page(), 602));  // "Complete"
    ASSERT_EQ(wizard.Next(), 9000);
    ASSERT_EQ(wizard.Back(), 7000);
    Click(GetDlgItem(wizard.Page(), 603));
    ASSERT_EQ(wizard.Next(), 8000);

    HWND list = GetDlgItem(wizard.Page(), 581);
    EXPECT_EQ(wizard.Item(584), "30 KB");  // base 10 and the help files ticked by default
    Click(GetDlgItem(list, 1003));
    EXPECT_EQ(wizard.Item(584), "70 KB");
    Click(GetDlgItem(list, 1002));
    EXPECT_EQ(wizard.Item(584), "50 KB");
    Click(GetDlgItem(list, 1004));  // the archive is larger than any disk
    EXPECT_EQ(wizard.Item(584), "2000000050 KB");
    wizard.Shot("32-components");
    ASSERT_EQ(wizard.Next(), 9000);
    ASSERT_EQ(wizard.Next(), 10000);
    PressButton(wizard.frame(), kNext);
    std::string message = AnswerMessageBox(wizard.program());
    EXPECT_NE(message.find("KB more are needed on drive C:"), std::string::npos) << message;
    EXPECT_EQ(wizard.PageId(), 10000);
    ASSERT_EQ(wizard.Back(), 9000);
    ASSERT_EQ(wizard.Back(), 8000);
    Click(GetDlgItem(GetDlgItem(wizard.Page(), 581), 1004));
    EXPECT_EQ(wizard.Item(584), "50 KB");
    ASSERT_EQ(wizard.Next(), 9000);
    HWND second = FindWindowExA(wizard.Page(), 0, "Button", sections[1]);
    ASSERT_NE(second, (HWND)0);
    EXPECT_NE(FindWindowExA(wizard.Page(), 0, "Button", "None of these"), (HWND)0);
    Click(second);
    wizard.Shot("38-clarion");
    ASSERT_EQ(wizard.Next(), 10000);
    EXPECT_EQ(wizard.Item(101), "C:\\C55EE\\BIN");

    // The real common dialog on its folder template: into the new folder.
    PressButton(wizard.Page(), 102);
    HWND browser = WaitForDialogWithItem(wizard.program(), 1088, 10000);
    ASSERT_NE(browser, (HWND)0);
    EXPECT_EQ(ItemText(browser, 581), "Folders:");
    HWND folders = GetDlgItem(browser, 1121);
    int item = LineOf(ListBoxLines(folders), "[browsed here]");
    ASSERT_GE(item, 0);
    SendMessageA(folders, LB_SETCURSEL, item, 0);
    SendMessageA(browser, WM_COMMAND, MAKEWPARAM(1121, LBN_DBLCLK), (LPARAM)folders);
    for (DWORD start = GetTickCount(); !SameText(ItemText(browser, 1088), "C:\\Browsed Here") &&
                                       GetTickCount() - start < 10000;)
        Sleep(50);
    wizard.Shot("33-browse");
    PressButton(browser, IDOK);
    ASSERT_TRUE(WaitGone(browser, 10000));
    EXPECT_TRUE(SameText(wizard.Item(101), "C:\\Browsed Here")) << wizard.Item(101);
    wizard.Shot("34-destination");

    ASSERT_EQ(wizard.Next(), 10000);  // the folder prompt of the first action
    EXPECT_EQ(wizard.Item(522), "Data Folder");
    EXPECT_EQ(wizard.Item(101), "C:\\Chosen Data");
    wizard.Shot("35-action-folder");
    ASSERT_EQ(wizard.Next(), 15000);  // fields 1 and 3 of the second action
    EXPECT_EQ(wizard.Item(1014), "0000");
    EXPECT_EQ(wizard.Item(1019), "Seat name:");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard.Page(), 1015)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(wizard.Page(), 1016)));
    SetDlgItemTextA(wizard.Page(), 1014, "1234");
    SetDlgItemTextA(wizard.Page(), 1016, "lab");
    wizard.Shot("36-action-input");

    // The Program Manager's groups are the folders of the start menu.
    char programs[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(0, programs, CSIDL_PROGRAMS, TRUE));
    CreateDirectoryA((std::string(programs) + "\\Tools of Tests").c_str(), 0);
    ASSERT_EQ(wizard.Next(), 11000);
    EXPECT_EQ(wizard.Item(593), "Chosen Product");
    HWND groups = GetDlgItem(wizard.Page(), 590);
    int group = LineOf(ListBoxLines(groups), "Tools of Tests");
    ASSERT_GE(group, 0) << "the group is not in the list";
    SendMessageA(groups, LB_SETCURSEL, group, 0);
    SendMessageA(wizard.Page(), WM_COMMAND, MAKEWPARAM(590, LBN_SELCHANGE), (LPARAM)groups);
    EXPECT_EQ(wizard.Item(593), "Tools of Tests");
    wizard.Shot("37-program-folder");

    ASSERT_EQ(wizard.Next(), 12000);
    std::vector<std::string> ready = ListBoxLines(GetDlgItem(wizard.Page(), 703));
    for (const char *line : {"    Custom : You choose the parts to install.", "    50 KB", "     Name: Tester"})
        EXPECT_GE(LineOf(ready, line), 0) << line;
    InstallFromReady(wizard);
    for (const char *section : sections) WriteProfileStringA(section, 0, 0);

    std::string folder = "C:\\Browsed Here";
    EXPECT_TRUE(FileExists(folder + "\\main.txt"));
    EXPECT_TRUE(FileExists(folder + "\\examples\\example.txt"));
    EXPECT_FALSE(FileExists(folder + "\\help\\help.txt"));
    EXPECT_TRUE(FileExists("C:\\Chosen Data\\data.txt"));
    EXPECT_TRUE(FileExists(folder + "\\1234-lab\\serial.txt"));
    EXPECT_TRUE(FileExists(folder + "\\C55EE\\Clarion 5.5  Enterprise Edition\\clarion.txt"));
    EXPECT_NE(ReadFileBytes(folder + "\\install.log").find("\r\nCompInf: AC\r\n"), std::string::npos);
}

// A plug-in that refuses the user's entries: "C74" and the page stays.
TEST_F(ChosenProduct, PluginRefusalKeepsTheUserPage) {
    SetEnvironmentVariableA("VTDLLX_ANSWER_2000", "0");
    Wizard wizard("wizard_choose_setup.exe");
    SetDlgItemTextA(wizard.Page(), 625, "Tester");
    PressButton(wizard.frame(), kNext);
    EXPECT_EQ(AnswerMessageBox(wizard.program()), "The registration service did not accept these entries.");
    EXPECT_EQ(wizard.PageId(), 6000);
    wizard.Cancel(IDYES);
    EXPECT_EQ(wizard.program().Wait(15000), 2);  // cancelled: nothing installed
}

// The sample with its wizard on: a type that leaves the parts open, the
// examples ticked for the help files, the folder browser opened and left,
// the program folder page; program and examples installed, no help. Its
// screenshots are the README's (scripts/readme-pictures.sh).
TEST(WizardSample, CustomPartsFolderAndGroup) {
    RemoveTree("C:\\Sample Suite");
    Wizard wizard("sample_wizard_setup.exe");
    ASSERT_EQ(wizard.PageId(), 2000);
    ASSERT_EQ(wizard.Next(), 7000);
    Click(GetDlgItem(wizard.Page(), 604));
    wizard.Shot("50-sample-setup-type");
    ASSERT_EQ(wizard.Next(), 8000);
    HWND list = GetDlgItem(wizard.Page(), 581);
    Click(GetDlgItem(list, 1003));
    Click(GetDlgItem(list, 1002));
    EXPECT_EQ(wizard.Item(584), "24 KB");  // the program and the examples
    wizard.Shot("51-sample-components");
    ASSERT_EQ(wizard.Next(), 10000);
    PressButton(wizard.Page(), 102);
    HWND browser = WaitForDialogWithItem(wizard.program(), 1088, 10000);
    ASSERT_NE(browser, (HWND)0);
    // The common dialog fills its folder list after it shows.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000 &&
                                       SendDlgItemMessageA(browser, 1121, LB_GETCOUNT, 0, 0) <= 0;)
        Sleep(50);
    Sleep(150);  // let it finish its painting
    wizard.Shot("52-sample-browse");
    PressButton(browser, IDCANCEL);
    ASSERT_TRUE(WaitGone(browser, 10000));
    EXPECT_EQ(wizard.Item(101), "C:\\Sample Suite");
    wizard.Shot("53-sample-destination");
    ASSERT_EQ(wizard.Next(), 11000);
    EXPECT_EQ(wizard.Item(593), "Sample Suite");
    wizard.Shot("54-sample-program-folder");
    ASSERT_EQ(wizard.Next(), 12000);
    wizard.Shot("55-sample-ready");
    InstallFromReady(wizard);
    EXPECT_TRUE(FileExists("C:\\Sample Suite\\program.txt"));
    EXPECT_TRUE(FileExists("C:\\Sample Suite\\examples\\examples.txt"));
    EXPECT_FALSE(FileExists("C:\\Sample Suite\\help\\help.txt"));
}
