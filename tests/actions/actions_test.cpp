// Custom actions in whole setup programs under Wine: a product with an item
// of every action type at its phase (and items that components, phases and
// unknown types switch off), driven through its windows and then run again
// silently; and a product whose registry check stops it at start-up.
#include <gtest/gtest.h>
#include <string>
#include "driver.h"

using namespace driver;

namespace {

const std::string kFolder = "C:\\Actions Product\\";
const int kNext = 201;

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

void SetMachineValue(const char *name, const char *value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Actions Test", 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0), 0);
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value, lstrlenA(value) + 1);
    RegCloseKey(key);
}

// Type 2500 in mode 3 at start-up: the value is missing, so the setup shows
// the author's text and ends before its wizard, running nothing after it.
TEST(ActionsTest, RegistryCheckStopsTheSetupAtStartUp) {
    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\actions_stop_setup.exe", ""));
    HWND box = WaitForMessageBox(setup, 30000);
    ASSERT_NE(box, (HWND)0);
    EXPECT_EQ(MessageBoxText(box), "Actions Product needs its licence key. The setup ends now.");
    EXPECT_EQ(WindowText(box), "Actions Stop Setup");
    PressButton(box, IDOK);
    EXPECT_EQ(setup.Wait(20000), 1);  // ended before the wizard: not installed
    EXPECT_FALSE(FileExists("C:\\Actions Stop\\after"));
}

TEST(ActionsTest, EveryActionTypeAtItsPhase) {
    SetMachineValue("Colour", "green");
    // A program whose window the phase-10 items warn about and then close.
    std::string warnFolder = MakeTempFolder("warn");
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\runrecord.exe").c_str(), (warnFolder + "\\warner.exe").c_str(), 0));
    ASSERT_TRUE(WriteFileBytes(warnFolder + "\\warner.ini", "[run]\r\ntitle=Actions Warner Window\r\n"));
    Program warner;
    ASSERT_TRUE(warner.Start(warnFolder + "\\warner.exe", ""));
    ASSERT_NE(WaitForWindow(warner, "RunRecord", 20000), (HWND)0);

    // The build's tree with a link out of it; an action reads its path here.
    const std::string linkTree = ProgramFolder() + "\\linktree";
    ASSERT_TRUE(WriteFileBytes("C:\\actions-link.ini", "[paths]\r\ntree=" + linkTree + "\r\n"));

    Program setup;
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\actions_setup.exe", ""));
    HWND box = WaitForMessageBox(setup, 30000);
    ASSERT_NE(box, (HWND)0);
    EXPECT_EQ(MessageBoxText(box), "Please close Actions Warner before you go on.");
    PressButton(box, IDOK);
    EXPECT_EQ(warner.Wait(20000), 0);
    EXPECT_TRUE(Has(ReadFileBytes(warnFolder + "\\warner.log"), "closed"));

    // Phase 50: the status window names the item while the setup waits.
    HWND status = 0;
    for (DWORD start = GetTickCount(); !status && GetTickCount() - start < 60000 && setup.Running(); Sleep(20))
        for (HWND w : TopWindows(setup.Id()))
            if (ItemText(w, 901) == "Running waiter") status = w;
    ASSERT_NE(status, (HWND)0);
    EXPECT_EQ(ItemText(status, 911), kFolder + "waiter.exe");

    HWND frame = WaitForDialogWithItem(setup, kNext, 60000);
    HWND finish = WaitForPageWithItem(setup, frame, 333, 60000);
    ASSERT_NE(finish, (HWND)0);
    const char *captions[] = {"Start one", "Start two", "Start three"};
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(ItemText(finish, 333 + k), captions[k]);
        EXPECT_EQ(IsDlgButtonChecked(finish, 333 + k), BST_CHECKED);
    }
    CheckDlgButton(finish, 335, BST_UNCHECKED);
    PressButton(frame, kNext);
    ASSERT_EQ(setup.Wait(60000), 0);

    // Files and folders made, moved and removed; items switched off (letter
    // B, no phase, an unknown type); the finish page's boxes: one and two
    // ticked, the unlinked item too, box three and the item of component B
    // not; a tree copied whole, a "..\\" source not led out of the target.
    const std::string linkCopy = kFolder + "linkcopy" + linkTree.substr(2);
    for (std::string made : {"cfgcopy\\one.cfg", "cfgcopy\\two.cfg", "moved.txt", "junk\\sub\\y.tmp", "made\\deep",
                             "treecopy\\Actions Product\\tree\\sub\\t2.txt", "treecopy\\Actions Product\\tree\\t1.txt",
                             "esc\\in\\Actions Product\\tree\\t1.txt", "offb.txt", "run4.log"})
        EXPECT_TRUE(FileExists(kFolder + made)) << made;
    EXPECT_TRUE(FileExists(linkCopy + "\\inside.txt")) << linkCopy;
    for (std::string gone : {"cfgcopy\\skip.txt", "moveme.txt", "del1.txt", "junk\\x.tmp", "junk\\keep.txt", "gone",
                             "Actions Product", "unknown.txt", "run3.log", "run5.log"})
        EXPECT_FALSE(FileExists(kFolder + gone)) << gone;
    EXPECT_FALSE(FileExists(linkCopy + "\\link")) << "the copy followed a link out of the tree";
    EXPECT_TRUE(FilesIn(kFolder + "cfgcopy2", "*.txt").empty()) << "a pattern with a folder part was followed";
    EXPECT_TRUE(FilesIn(kFolder, "xxx*").empty()) << "a target path cut to its buffer was written";
    EXPECT_EQ(ReadFileBytes(kFolder + "copied.txt"), "copy source\r\n");
    const std::string edited = "PATH=C:\\DOS;C:\\Actions Product\r\nSET X=1\r\n";
    EXPECT_EQ(ReadFileBytes(kFolder + "config.001"), "REM set up\r\nPATH=C:\\DOS\r\nSET X=1");
    EXPECT_EQ(ReadFileBytes(kFolder + "config.002"), "REM set up\r\n" + edited);
    EXPECT_EQ(ReadFileBytes(kFolder + "config.txt"), edited);
    // The copy after the waiting start holds the program's last record.
    std::string waited = ReadFileBytes(kFolder + "waited.txt");
    EXPECT_TRUE(Has(waited, "|C:\\Actions Product\\made|") && Has(waited, "end 3")) << waited;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string vars = std::string("set at start in ") + windows +
                             "|C:\\Actions Product\\deep\\er|blue|unset|green||unset|unset\r\n";
    EXPECT_EQ(ReadFileBytes(kFolder + "vars.txt"), vars);

    std::string log = ReadFileBytes(kFolder + "install.log");
    for (const char *record : {"Copy   : C:\\Actions Product\\copied.txt", "Create : C:\\Actions Product\\cfgcopy\r",
                               "Copy   : C:\\Actions Product\\cfgcopy\\one.cfg",
                               "Create : C:\\Actions Product\\treecopy\\Actions Product\\tree\\sub\r",
                               "Copy   : C:\\Actions Product\\treecopy\\Actions Product\\tree\\t1.txt",
                               "RunWait: C:\\Actions Product\\waiter.exe",
                               "Error  : Cannot start: C:\\Actions Product\\missing.exe",
                               "Error  : Action 34: text too long"})
        EXPECT_TRUE(Has(log, record)) << record;
    EXPECT_FALSE(Has(log, "cfgcopy2\\"));

    std::string run1 = ReadFileBytes(kFolder + "run1.log");
    EXPECT_EQ(run1.rfind("start \"C:\\Actions Product\\run1.exe\" |", 0), 0u) << run1;
    std::string run2 = ReadFileBytes(kFolder + "run2.log");
    EXPECT_TRUE(Has(run2, "start \"C:\\Actions Product\\run2.exe\" -x C:\\Actions Product|C:\\Actions Product\\made|"))
        << run2;

    // Silently once more: the actions run again, the [RUN] list does not;
    // the edits leave new backups beside the old ones.
    ASSERT_TRUE(setup.Start(ProgramFolder() + "\\actions_setup.exe", "-s"));
    ASSERT_EQ(setup.Wait(120000), 0);
    EXPECT_EQ(ReadFileBytes(kFolder + "config.001"), "REM set up\r\nPATH=C:\\DOS\r\nSET X=1");
    EXPECT_TRUE(FileExists(kFolder + "config.004"));
    EXPECT_EQ(ReadFileBytes(kFolder + "vars.001"), vars);
    EXPECT_EQ(ReadFileBytes(kFolder + "vars.txt"), vars + vars);
    for (const char *run : {"run1.log", "run2.log", "run4.log"}) {
        std::string text = ReadFileBytes(kFolder + run);
        EXPECT_EQ(text.find("start", 1), std::string::npos) << run << " started by the silent run";
    }
}

}  // namespace
