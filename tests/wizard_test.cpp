// The wizard of real setup programs under Wine: which pages show in which
// order for several switch sets, Next, Back and Cancel on every page, the
// finish page after a stop, and damaged pictures and texts.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "driver.h"
#include "screenshot.h"

using namespace driver;

namespace {

const int kNext = 201, kBack = 200;

// Each page template has an item no other template has.
struct PageMark {
    int templateId, item;
};
const PageMark kMarks[] = {{2000, 501},   {3000, 513},   {4000, 541},   {6000, 628},  {7000, 614},
                           {8000, 587},   {9000, 572},   {10000, 522},  {11000, 596}, {12000, 704},
                           {13000, 807},  {14000, 1001}, {15000, 1012}, {30000, 551}};

std::string Setup(const char *name) { return ProgramFolder() + "\\" + name; }

std::string ShotPath(const std::string &name) {
    std::string folder = ProgramFolder() + "\\screenshots";
    CreateDirectoryA(folder.c_str(), 0);
    return folder + "\\" + name + ".png";
}

class Wizard {
  public:
    explicit Wizard(const char *setup, const char *args = "") {
        program_.SetTempFolder(temp_);
        EXPECT_TRUE(program_.Start(Setup(setup), args));
        frame_ = WaitForDialogWithItem(program_, kNext, 20000);
        EXPECT_NE(frame_, (HWND)0) << "no wizard frame";
        if (frame_) WaitForPage(0);
    }
    HWND frame() const { return frame_; }
    Program &program() { return program_; }

    // The page dialog on screen; 0 while two exist (during a switch) or none.
    HWND Page() const {
        HWND found = 0;
        for (HWND child = FindWindowExA(frame_, 0, "#32770", 0); child;
             child = FindWindowExA(frame_, child, "#32770", 0)) {
            if (!IsWindowVisible(child)) continue;
            if (found) return 0;
            found = child;
        }
        return found;
    }
    int PageId() const { return TemplateOf(Page()); }
    static int TemplateOf(HWND page) {
        if (!page) return 0;
        for (const PageMark &mark : kMarks)
            if (GetDlgItem(page, mark.item)) return mark.templateId;
        return -1;
    }
    std::string Item(int id) const { return ItemText(Page(), id); }
    std::string Button(int id) const { return ItemText(frame_, id); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(frame_, id)) != 0; }

    // Waits until a page other than `old` is alone on screen and the frame
    // has taken the switch that made it to its end (the buttons' states and
    // texts come after the page): a message sent to the frame is answered
    // only once the command that runs the switch has returned. The page's
    // template; the page stays in found().
    int WaitForPage(HWND old, DWORD ms = 15000) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms && program_.Running()) {
            HWND page = Page();
            if (page && page != old && Settled()) {
                Sleep(150);  // let the page finish its painting
                // A page on its way out has lost its items: ask again after.
                int id = TemplateOf(page);
                if (id > 0 && Page() == page) return found_ = page, id;
            }
            Sleep(20);
        }
        return 0;
    }
    HWND found() const { return found_; }
    // True once the frame has returned from the command it was running.
    bool Settled() {
        DWORD_PTR answer;
        return SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0;
    }
    // The detection and copy pages (13000) move on by themselves: waits
    // until a page of another template stands alone; its template. What is
    // on screen at the call may already be gone, so it is never asked for.
    int WaitPastCopy(DWORD ms = 20000) {
        DWORD start = GetTickCount();
        int page = 0;
        while ((page == 0 || page == 13000) && GetTickCount() - start < ms && program_.Running())
            page = WaitForPage(0, 300);
        return page == 13000 ? 0 : page;
    }
    int Press(int button) {
        HWND old = Page();
        PressButton(frame_, button);
        return WaitForPage(old);
    }
    int Next() { return Press(kNext); }
    int Back() { return Press(kBack); }
    // Presses Cancel and gives the answer; the question's text.
    std::string Cancel(int answer) {
        PressButton(frame_, IDCANCEL);
        HWND box = WaitForMessageBox(program_, 10000);
        if (!box) return "(no question)";
        std::string text = MessageBoxText(box);
        PressButton(box, answer);
        WaitGone(box, 5000);
        return text;
    }
    // Next on the last page: the program ends by itself.
    int Finish() {
        PressButton(frame_, kNext);
        return program_.Wait(15000);
    }
    void Shot(const char *name) { EXPECT_TRUE(SaveScreenshot(ShotPath(name))) << name; }

  private:
    std::string temp_ = MakeTempFolder("wz");
    Program program_;
    HWND frame_ = 0;
    HWND found_ = 0;
};

std::vector<std::string> ListBoxLines(HWND list) {
    std::vector<std::string> lines;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        // Across processes the system hands list-box texts over in UTF-16.
        wchar_t wide[512] = L"";
        char line[512] = "";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 511) SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, 0, 0);
        lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::vector<std::string> &lines, const std::string &line) {
    for (const std::string &l : lines)
        if (l == line) return true;
    return false;
}

// The pages of the full product before the copy, in their order.
const int kBeforeCopy[] = {2000, 3000, 4000, 6000, 7000, 8000, 10000, 14000, 11000, 12000};

}  // namespace

// Welcome to finish with every page the product switches on, Back where it
// goes, the licence captions, the ready list, and a screenshot of each page.
TEST(WizardWalkTest, FullProductWalksFromWelcomeToFinish) {
    std::string folder = "C:\\Sample Product";
    DeleteFileA((folder + "\\program.txt").c_str());
    Wizard wizard("wizard_full_setup.exe");
    ASSERT_NE(wizard.frame(), (HWND)0);
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
    EXPECT_EQ(wizard.Item(514), "Licence Agreement");
    // The licence block is RTF source; the control shows its text only.
    EXPECT_NE(wizard.Item(513).find("You may install and use Sample Product"), std::string::npos);
    EXPECT_EQ(wizard.Item(513).find("\\rtf1"), std::string::npos);
    wizard.Shot("02-licence");

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
    ASSERT_EQ(wizard.Next(), 3000);
    ASSERT_EQ(wizard.Next(), 4000);

    ASSERT_EQ(wizard.Next(), 6000);
    wizard.Shot("04-user-information");
    ASSERT_EQ(wizard.Next(), 7000);
    wizard.Shot("05-setup-type");
    ASSERT_EQ(wizard.Next(), 8000);
    wizard.Shot("06-components");
    ASSERT_EQ(wizard.Next(), 10000);
    EXPECT_EQ(wizard.Item(101), folder);
    EXPECT_EQ(wizard.Item(522), "Destination Folder");
    wizard.Shot("07-destination");
    ASSERT_EQ(wizard.Next(), 14000);  // the information page of the first action
    EXPECT_EQ(wizard.Item(1002), "Before you go on");
    EXPECT_EQ(wizard.Item(1001), "This page comes from an action of the script.");
    EXPECT_EQ(wizard.Item(1003), "An information page");
    wizard.Shot("08-action-information");
    ASSERT_EQ(wizard.Next(), 11000);
    wizard.Shot("09-program-folder");
    ASSERT_EQ(wizard.Next(), 12000);
    std::vector<std::string> ready = ListBoxLines(GetDlgItem(wizard.Page(), 703));
    std::string all;
    for (const std::string &line : ready) all += "[" + line + "]";
    SCOPED_TRACE(all);
    EXPECT_TRUE(Contains(ready, "Setup type:"));
    EXPECT_TRUE(Contains(ready, "    " + folder));
    EXPECT_TRUE(Contains(ready, "    12 KB"));
    EXPECT_TRUE(Contains(ready, "User information:"));
    wizard.Shot("10-ready");

    // The copy page installs and moves on by itself: to the readme page of
    // the second action, where Back stays disabled for good.
    int after = wizard.Next();
    if (after == 13000) after = wizard.WaitPastCopy();
    ASSERT_EQ(after, 4000);
    EXPECT_EQ(wizard.Item(542), "After the copy");
    EXPECT_EQ(wizard.Item(541), "Notes shown after the copy.");
    EXPECT_FALSE(wizard.Enabled(kBack));
    EXPECT_TRUE(FileExists(folder + "\\program.txt"));
    wizard.Shot("11-action-readme");

    ASSERT_EQ(wizard.Next(), 30000);
    EXPECT_NE(wizard.Item(551).find("Sample Product has been installed"), std::string::npos);
    EXPECT_EQ(wizard.Button(kNext), "&Finish");
    EXPECT_FALSE(wizard.Enabled(IDCANCEL));
    EXPECT_FALSE(wizard.Enabled(kBack));
    wizard.Shot("12-finish");
    EXPECT_EQ(wizard.Finish(), 0);
}

// Cancel asks the question on every page before the copy: No stays on the
// page, Yes ends the program with nothing installed.
TEST(WizardWalkTest, CancelFromEveryPageAsksAndEnds) {
    std::string marker = "C:\\Sample Product\\program.txt";
    for (size_t stop = 0; stop < sizeof kBeforeCopy / sizeof kBeforeCopy[0]; stop++) {
        SCOPED_TRACE(kBeforeCopy[stop]);
        DeleteFileA(marker.c_str());
        Wizard wizard("wizard_full_setup.exe");
        ASSERT_NE(wizard.frame(), (HWND)0);
        for (size_t i = 1; i <= stop; i++) ASSERT_EQ(wizard.Next(), kBeforeCopy[i]);
        HWND page = wizard.Page();
        EXPECT_EQ(wizard.Cancel(IDNO), "Do you really want to cancel the setup of Sample Product?");
        EXPECT_TRUE(wizard.Settled());
        EXPECT_EQ(wizard.Page(), page);
        EXPECT_TRUE(wizard.program().Running());
        wizard.Cancel(IDYES);
        EXPECT_EQ(wizard.program().Wait(15000), 2);  // cancelled: not installed
        EXPECT_FALSE(FileExists(marker));
    }
}

// No page switched on: the copy page comes first, then the finish page.
TEST(WizardOrderTest, NoPagesSwitchedOnOpensOnTheCopyPage) {
    Wizard wizard("wizard_off_setup.exe");
    ASSERT_NE(wizard.frame(), (HWND)0);
    int first = wizard.WaitPastCopy();
    ASSERT_EQ(first, 30000);
    EXPECT_FALSE(wizard.Enabled(kBack));
    EXPECT_EQ(wizard.Button(kNext), "&Finish");
    // The skipped destination page computed the default folder on drive C:.
    EXPECT_TRUE(FileExists("C:\\Sample Product Off\\program.txt"));
    EXPECT_EQ(wizard.Finish(), 0);
}

// Silent mode: welcome, licence and readme do not exist; the other pages
// still show, and the finish page leaves itself.
TEST(WizardOrderTest, SilentModeDropsTheFirstThreePages) {
    Wizard wizard("wizard_full_setup.exe", "-s");
    ASSERT_NE(wizard.frame(), (HWND)0);
    EXPECT_EQ(wizard.PageId(), 6000);
    EXPECT_FALSE(wizard.Enabled(kBack));
    const size_t count = sizeof kBeforeCopy / sizeof kBeforeCopy[0];
    for (size_t i = 4; i < count; i++) ASSERT_EQ(wizard.Next(), kBeforeCopy[i]);
    // Back walks down again to the first page shown, where it is disabled.
    for (size_t i = count - 1; i > 3; i--) ASSERT_EQ(wizard.Back(), kBeforeCopy[i - 1]);
    EXPECT_EQ(wizard.PageId(), 6000);
    EXPECT_FALSE(wizard.Enabled(kBack));
    wizard.Cancel(IDYES);
    EXPECT_EQ(wizard.program().Wait(15000), 2);
}

// A plug-in that stops the setup when the ready page is reached: the same
// Next lands on the finish page with the failure text and nothing copied.
TEST(WizardOrderTest, PluginStopBeforeTheReadyPageJumpsToFinish) {
    DeleteFileA("C:\\Sample Product Plugin\\program.txt");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", "1");
    Wizard wizard("wizard_plugin_setup.exe");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", 0);
    ASSERT_NE(wizard.frame(), (HWND)0);
    for (int expected : {3000, 4000, 6000, 7000, 8000, 10000, 14000, 11000}) ASSERT_EQ(wizard.Next(), expected);
    ASSERT_EQ(wizard.Next(), 30000);
    EXPECT_EQ(wizard.Item(551), "The setup was stopped before Sample Product was installed. Nothing was changed "
                                "that cannot be undone.");
    EXPECT_EQ(wizard.Button(kNext), "&Close");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wizard.Page(), 333)));
    wizard.Shot("13-finish-stopped");
    EXPECT_EQ(wizard.Finish(), 2);
    EXPECT_FALSE(FileExists("C:\\Sample Product Plugin\\program.txt"));
}

// The same product when the plug-in lets it go on: the ready page shows.
TEST(WizardOrderTest, PluginThatAgreesKeepsTheReadyPage) {
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", "0");
    Wizard wizard("wizard_plugin_setup.exe");
    SetEnvironmentVariableA("VTDLLX_ANSWER_4000", 0);
    ASSERT_NE(wizard.frame(), (HWND)0);
    for (size_t i = 1; i < sizeof kBeforeCopy / sizeof kBeforeCopy[0]; i++) ASSERT_EQ(wizard.Next(), kBeforeCopy[i]);
    EXPECT_EQ(wizard.Cancel(IDYES), "Do you really want to cancel the setup of Sample Product?");
    EXPECT_EQ(wizard.program().Wait(15000), 2);
}

// Damaged pictures, texts far longer than their buffers, blocks that are
// missing or never closed, and more action pages than the list holds: every
// page still shows and the program ends normally.
TEST(WizardBadInputTest, DamagedPicturesAndTextsStillShowEveryPage) {
    Wizard wizard("wizard_bad_setup.exe");
    ASSERT_NE(wizard.frame(), (HWND)0);
    EXPECT_EQ(WindowText(wizard.frame()).size(), 49u);  // "TI" is read up to 50 characters
    EXPECT_EQ(wizard.PageId(), 2000);
    EXPECT_LT(wizard.Item(502).size(), 6000u);
    EXPECT_EQ(wizard.Button(kNext).size(), 254u);  // 255 bytes with the terminator
    wizard.Shot("20-bad-welcome");
    std::vector<int> seen = {wizard.PageId()};
    std::vector<std::string> messages;
    HWND old = wizard.found();
    for (int step = 0; step < 120 && wizard.program().Running(); step++) {
        // Next is disabled while the detection and copy pages walk, and
        // they press it themselves when done: a press of ours could land on
        // the page after them.
        if (seen.back() != 13000) PressButton(wizard.frame(), kNext);
        int page = 0;
        DWORD start = GetTickCount();
        while (!page && GetTickCount() - start < 20000 && wizard.program().Running()) {
            page = wizard.WaitForPage(old, 300);
            HWND box = WaitForMessageBox(wizard.program(), 1);
            if (box) {
                messages.push_back(MessageBoxText(box));
                PressButton(box, IDOK);
                WaitGone(box, 5000);
            }
        }
        if (!wizard.program().Running()) break;
        ASSERT_GT(page, 0) << "no page after step " << step << " from page " << seen.back();
        seen.push_back(page);
        old = wizard.found();
        if (page == 3000) wizard.Shot("21-bad-licence");
        if (page == 30000) break;
    }
    ASSERT_EQ(seen.back(), 30000);
    int actionPages = 0;
    for (int page : seen) actionPages += page == 14000 || page == 4000;
    // 51 places: the eight built-in pages up to the destination page and
    // the five from the program folder to the finish page leave 38 for
    // action pages; the built-in readme page makes 39 text pages.
    EXPECT_EQ(actionPages, 39);
    // The copy page was not crowded out: the files are in the folder cut
    // from the far too long "DF" (read up to 80 characters).
    EXPECT_TRUE(FileExists("C:\\" + std::string(80, 'D') + "\\program.txt"));
    wizard.Shot("22-bad-finish");
    EXPECT_EQ(wizard.Finish(), 0);
}
