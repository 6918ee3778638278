#include "install/install_driver.h"
#include "display/pictures.h"
#include "install/file_checks.h"
#include "install/file_copy.h"
#include "install/file_record.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "install/later_steps.h"
#include "install/registrations.h"
#include "install/rollback.h"
#include "install/walk_display.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "script/variables.h"
#include "base/settings.h"
#include "base/text.h"
#include "wizard/page_framework.h"

#ifdef SETUP_WALK_FIGURES
// Measurement build only: how long the copy walk took, how much of it was
// spent inside ticks and how many ticks there were, and on the wall clock
// when the start-up began, the integrity check ended and the walk began and
// ended (seconds.microseconds since 1970, for the bench to set against its
// own clock). Written at the end of the walk to the file that the
// environment variable SETUP_WALK_FIGURES names, one line "ticks=N
// busy_us=N walk_us=N main_at=S.U checked_at=S.U walk_at=S.U walked_at=S.U".
static LARGE_INTEGER s_walkStart;
static LONGLONG s_busyTicks;
static DWORD s_ticks;
static ULONGLONG s_walkAt;
ULONGLONG g_figureMainAt, g_figureCheckedAt;

ULONGLONG FigureClock() {
    FILETIME f;
    GetSystemTimeAsFileTime(&f);
    return (((ULONGLONG)f.dwHighDateTime << 32 | f.dwLowDateTime) - 116444736000000000ull) / 10;
}

static int FigureTime(char *out, ULONGLONG at) {
    return wsprintfA(out, "%lu.%06lu", (unsigned long)(at / 1000000), (unsigned long)(at % 1000000));
}

static void WriteWalkFigures() {
    char path[MAX_PATH];
    if (!GetEnvironmentVariableA("SETUP_WALK_FIGURES", path, sizeof path)) return;
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    char line[256];
    int n = wsprintfA(line, "ticks=%lu busy_us=%lu walk_us=%lu main_at=", (unsigned long)s_ticks,
                      (unsigned long)(s_busyTicks * 1000000 / frequency.QuadPart),
                      (unsigned long)((now.QuadPart - s_walkStart.QuadPart) * 1000000 / frequency.QuadPart));
    n += FigureTime(line + n, g_figureMainAt);
    n += wsprintfA(line + n, " checked_at=");
    n += FigureTime(line + n, g_figureCheckedAt);
    n += wsprintfA(line + n, " walk_at=");
    n += FigureTime(line + n, s_walkAt);
    n += wsprintfA(line + n, " walked_at=");
    n += FigureTime(line + n, FigureClock());
    n += wsprintfA(line + n, "\r\n");
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put;
    WriteFile(f, line, (DWORD)n, &put, 0);
    CloseHandle(f);
}
#endif

// A tick handles entries until this much time has gone by (one entry when
// it alone takes longer), then lets the message loop paint and take input.
// One entry a tick made the walk wait for the timer far longer than it
// worked: the system raises a 1 ms timer to its own minimum of about 10 ms.
#define TICK_BUDGET 25
#define DISPLAY_TIMER 1
#define WM_WALK_NEXT (WM_APP + 1)

static HFONT s_titleFont;
static int s_detectionRecord;
static int s_detectionCount;
static int s_walkEnded;
static HWND s_walkPage;  // the page that walks
static int s_pageGone;   // it was destroyed, perhaps while a tick ran
static int s_inStep;     // a step runs (the library lets messages through)
static int s_rollBackDue;  // cancelled during a step: undone once it returns

static void ShowText(HWND page, int id, const char *text) {
    if (page) SetDlgItemTextA(page, id, text);
}

static void ShowDlgText(HWND page, int id, const char *key, int mode) {
    char text[CONVERT_BUFFER_SIZE];
    ReadDlgText(key, text, 255);
    if (mode && g_support.CONVERTMACRO) g_support.CONVERTMACRO(text, mode);
    text[CONVERT_BUFFER_SIZE - 1] = 0;
    ShowText(page, id, text);
}

// The frame that created the page (its owner for the stand-alone dialog).
static HWND Frame(HWND page) { return page ? GetParent(page) : 0; }

static void EnableNext(HWND page, BOOL enable) {
    HWND frame = Frame(page);
    if (frame) EnableWindow(GetDlgItem(frame, IDC_FRAME_NEXT), enable);
}

// A question box (Cancel's or any other modal one) disables the frame: the
// walk waits for the answer instead of going on behind it.
static int WalkPaused(HWND page) {
    HWND frame = Frame(page);
    return frame && !IsWindowEnabled(frame);
}

// Runs one step of a walk after the other until the budget is spent, the
// walk ends, the page is gone or a question waits for its answer. Returns
// what the last step returned (1: the walk has ended).
static int RunTick(HWND page, int (*step)(HWND)) {
    if (s_walkEnded) return 1;
    if (WalkPaused(page)) return 0;
    DWORD start = GetTickCount();
    int ended;
    do {
        s_inStep = 1;
        ended = step(page);
        s_inStep = 0;
    } while (!ended && !s_pageGone && !WalkPaused(page) && GetTickCount() - start < TICK_BUDGET);
    if (s_rollBackDue) {
        s_rollBackDue = 0;
        RollBackRun("copy cancelled");
    }
    if (!s_pageGone) ShowWalkDisplay();
    return ended;
}

static void StartWalk(HWND page) {
    s_walkEnded = 0;
    s_pageGone = 0;
    s_walkPage = page;
    g_progressPage = page;
    ForgetVariableNames();
    StartWalkDisplay(page);
    if (page) SetTimer(page, DISPLAY_TIMER, WALK_DISPLAY_PERIOD, 0);
}

static void HandBack(HWND page) {
    s_walkEnded = 1;
    ShowWalkDisplay();
    if (page) KillTimer(page, DISPLAY_TIMER);
    HWND frame = Frame(page);
    if (!frame) return;
    EnableNext(page, TRUE);
    SendMessageA(frame, WM_COMMAND, IDC_FRAME_NEXT, 0);
}

static void SetTitleLooks(HWND page, const char *titleKey, int titleMode, const char *subtitleKey) {
    if (!page) return;
    s_titleFont = CreateHeadingFont(page, IDC_PAGE_TITLE, 13, 0, 600);
    ShowDlgText(page, IDC_PAGE_TITLE, titleKey, titleMode);
    ShowDlgText(page, IDC_PAGE_SUBTITLE, subtitleKey, 2);
}

static void DeleteTitleFont() {
    if (s_titleFont) DeleteObject(s_titleFont);
    s_titleFont = 0;
}

void StartCopy(HWND page) {
    StartWalk(page);
    g_progressMessage = RegisterWindowMessageA("CKWP1");
    g_progressMessage2 = RegisterWindowMessageA("CKWP2");
    // A silent setup gives the library no window: its errors and questions
    // then take their safe answer and go to the log instead of waiting for
    // somebody to press a button.
    if (g_support.KWP_UINIT_MP) g_support.KWP_UINIT_MP(g_silentMode ? 0 : page);
    ShowDlgText(page, IDC_PHASE_TEXT, "P1", 0);
    g_skipOptimised = ReadSettingInt("FLE", "OPT", 0);

    int createdFolder = OpenInstallLog();
    if (createdFolder == LOG_UNUSABLE) {
        // Stopped before the first file: an installation without its log
        // could never be removed.
        g_setupStatus = 2;
        if (!g_silentMode) {
            char text[300];
            wsprintfA(text, "The install log cannot be written:\n%s", g_installLogPath);
            MessageBoxA(0, text, g_messageTitle, MB_ICONHAND);
        }
        return;
    }
    WriteLogHeader();
    char drive[3];
    CopyText(drive, g_ownPath, sizeof drive);
    WriteSetting("VARIABLES", "%SOURCEDRV%", drive);

    JoinPath(g_backupFolder, sizeof g_backupFolder, g_installFolder, "_BACKUP_");
    if (g_support.INITMAK)
        g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, (int)g_installLog);
    g_backupsOn = ReadDlgInt("BU", 0) != 0;
    g_unpackOptions = 0x400Au | (ReadDlgInt("OW", 0) ? UNPACK_REPLACE : 0u);
    if (createdFolder) LogRecord("Create :", g_installFolder);
    if (!g_testMode) CreateScriptFolders();
    RewindFileScript(g_fileScript);
#ifdef SETUP_WALK_FIGURES
    s_busyTicks = 0;
    s_ticks = 0;
    s_walkAt = FigureClock();
    QueryPerformanceCounter(&s_walkStart);
#endif
}

// Ends the walk with setup status 2 and the "Aborted" record.
static void AbortWalk(int result) {
    g_setupStatus = 2;
    char text[LONG_TEXT];
    CopyText(text, EntryResultText(result), sizeof text);
    AppendText(text, EntryName(), sizeof text);
    LogRecord("Aborted", text);
}

// The file script must not hold records for files the payload does not
// carry: those files would silently be missing from the installation.
static void CheckLeftoverRecords() {
    char record[FILE_RECORD_SIZE];
    while (ReadFileRecord(g_fileScript, record) == RECORD_READ) {
        char folder[LONG_TEXT], name[LONG_TEXT];
        RecordField(record, 23, folder, sizeof folder);
        if (lstrcmpA(folder, BILLBOARD_FOLDER) == 0) continue;
        RecordField(record, 22, name, sizeof name);
        g_setupStatus = 2;
        char text[LONG_TEXT];
        CopyText(text, "no payload entry for ", sizeof text);
        AppendText(text, name[0] ? name : record, sizeof text);
        LogRecord("Aborted", text);
        return;
    }
}

static void FinishCopy(HWND page) {
    if (g_setupStatus == 2) RollBackRun("copy stopped");
    ShowDlgText(page, IDC_PHASE_TEXT, "P2", 0);
    if (!g_testMode && g_setupStatus == 0) {
        CreateShortcuts();
        ChangeIniFiles();
        if (g_support.WRITEREG) g_support.WRITEREG(g_componentLetters);
        RegisterQueuedFiles();
        EmptySelfRegistrationQueue();
        InstallOdbcEntries();
        ShowDlgText(page, IDC_PHASE_TEXT, "P3", 0);
        if (ListCount("TPL") != 0) {
            char text[255], caption[255];
            ReadDlgText("C72", text, sizeof text);
            ReadDlgText("C73", caption, sizeof caption);
            // A silent setup asks nobody: it registers the templates as a
            // Yes would.
            if (g_silentMode || MessageBoxA(0, text, caption, MB_YESNO | MB_TASKMODAL) == IDYES)
                RegisterClarionTemplates();
        }
        RegisterUninstallEntry();
    }
    EmptySelfRegistrationQueue();
    WalkBar(IDC_OVERALL_BAR, 99);
    HandBack(page);
}

// One payload entry; 1 when the walk has ended.
static int CopyEntry(HWND page) {
    if (g_setupStatus) {
        FinishCopy(page);
        return 1;
    }
    int next = g_support.KWP_NEXTLOOP ? g_support.KWP_NEXTLOOP(g_ownPath, 0, g_entryRecord) : NEXTLOOP_END;
    int ended = 0;
    if (next != NEXTLOOP_ENTRY) {
        // Any other answer: no further entry.
        if (g_setupStatus == 0) CheckLeftoverRecords();
        ended = 1;
    } else {
        WalkBar(IDC_FILE_BAR, 0);
        g_perFileProgressOff = 0;
        if (lstrcmpA(EntryFolderText(), BILLBOARD_FOLDER) == 0) {
            ShowBillboardEntry(page);
        } else {
            int result = InstallCurrentEntry(page);
            if (result != ENTRY_INSTALLED) {
                AbortWalk(result);
                ended = 1;
            } else {
                if (!g_perFileProgressOff && g_lastSkipState == SKIP_NONE) WalkBar(IDC_FILE_BAR, 100);
                if (g_lastSkipState != SKIP_LEFT_OUT) {
                    DWORD bytes;
                    memcpy(&bytes, g_entryRecord + ENTRY_RECORD_EXPANDED, sizeof bytes);
                    g_installedKB += (bytes >> 10) + ((bytes & 1023) != 0);
                }
                CountStep();
                WalkBar(IDC_OVERALL_BAR, g_overallPercent);
            }
        }
    }
#ifdef SETUP_WALK_FIGURES
    if (ended) WriteWalkFigures();
#endif
    // Cancelled while this entry was written: no step after the copy.
    if (ended && !s_rollBackDue) FinishCopy(page);
    return ended;
}

int CopyTick(HWND page) {
#ifdef SETUP_WALK_FIGURES
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    s_ticks++;
#endif
    int ended = RunTick(page, CopyEntry);
#ifdef SETUP_WALK_FIGURES
    QueryPerformanceCounter(&end);
    s_busyTicks += end.QuadPart - start.QuadPart;
#endif
    return ended;
}

void StartDetection(HWND page) {
    StartWalk(page);
    s_detectionRecord = 0;
    s_detectionCount = ReadSettingInt("FLE", "Ndx", 0);
    RewindFileScript(g_fileScript);
    if (page) {
        ShowWindow(GetDlgItem(page, IDC_OVERALL_BAR), SW_HIDE);
        ShowWindow(GetDlgItem(page, IDC_OVERALL_FRAME), SW_HIDE);
    }
}

// One file record; 1 when the walk has ended.
static int DetectRecord(HWND page) {
    s_detectionRecord++;
    int read = ReadFileRecord(g_fileScript, g_fileRecord);
    // A script with fewer records than [FLE] "Ndx" ends the walk at its
    // end rather than testing its last record again and again.
    if (s_detectionRecord > s_detectionCount || g_setupStatus != 0 || read != RECORD_READ) {
        HandBack(page);
        return 1;
    }
    char name[LONG_TEXT], folder[LONG_TEXT];
    RecordField(g_fileRecord, 22, name, sizeof name);
    RecordField(g_fileRecord, 23, folder, sizeof folder);
    if (lstrcmpA(folder, BILLBOARD_FOLDER) == 0) return 0;
    char target[LONG_TEXT], display[LONG_TEXT];
    if (BuildTargetPath(name, folder, target, sizeof target) == TARGET_OK) {
        BuildDisplayPath(target, name, folder, display, sizeof display);
        WalkText(IDC_TARGET_TEXT, display);
        char description[LONG_TEXT];
        RecordField(g_fileRecord, 1, description, sizeof description);
        WalkText(IDC_DESCRIPTION_TEXT, description);
        int replace = 0;
        int skip = DecideFile(g_fileRecord, target, GetFileAttributesA(target), &replace);
        if (skip == SKIP_NONE && replace && FileInUse(target)) g_setupStatus = 9;
    }
    CountStep();
    WalkBar(IDC_FILE_BAR, g_overallPercent);
    return 0;
}

int DetectionTick(HWND page) { return RunTick(page, DetectRecord); }

void EndDetection() { g_progressCounter = 0; }

// Painting and static colours as on every page: the page picture in its
// slot, the title and subtitle in the header's colours.
static INT_PTR PageLooks(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    static const int red[] = {IDC_PAGE_TITLE, IDC_PAGE_SUBTITLE};
    INT_PTR result = 0;
    CommonPageMessage(page, message, wParam, lParam, 1, red, 2, &result);
    return result;
}

// The page index given at creation, and the picture of the page's slot.
static void StartPageLooks(HWND page, LPARAM index, int picture) {
    SetWindowLongPtrA(page, DWLP_USER, (LONG_PTR)index);
    if (picture) LoadPagePicture(page, (int)index, SetupPicturePath(2));
}

// The walk timer runs a tick: killed at its start and armed again at its
// end, so that no tick begins while one runs (the support library lets
// messages through while it writes). The display timer puts the texts and
// bars of a long file on the screen while it is written.
static INT_PTR WalkTimer(HWND page, WPARAM timer, int (*tick)(HWND)) {
    if (timer == DISPLAY_TIMER) {
        ShowWalkDisplayIfDue();
        return TRUE;
    }
    KillTimer(page, WALK_TIMER);
    if (tick(page) || s_pageGone) return TRUE;
    // The next tick: at once by a posted message while nothing waits, for
    // the timer would add its 10 ms minimum to every tick; after the input
    // and the painting by the timer, whose message comes after them.
    if (!WalkPaused(page) && !HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)))
        PostMessageA(page, WM_WALK_NEXT, 0, 0);
    else
        SetTimer(page, WALK_TIMER, 1, 0);
    return TRUE;
}

// The frame creates the next page before it destroys the one it leaves.
static void EndWalkTimers(HWND page) {
    KillTimer(page, WALK_TIMER);
    KillTimer(page, DISPLAY_TIMER);
    if (page != s_walkPage) return;
    s_pageGone = 1;
    StartWalkDisplay(0);
}

INT_PTR CALLBACK CopyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && g_progressMessage && message == g_progressMessage) {
        if (!g_perFileProgressOff) {
            WalkBar(IDC_FILE_BAR, (DWORD)lParam);
            ShowWalkDisplayIfDue();
        }
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        StartPageLooks(page, lParam, !g_speedFlag);
        if (g_speedFlag)
            ShowDlgText(page, IDCANCEL, "C2", 0);
        else
            SetTitleLooks(page, "P1", 0, "C65");
        StartCopy(page);
        EnableNext(page, FALSE);
        SetTimer(page, WALK_TIMER, 1, 0);
        return TRUE;
    case WM_TIMER:
        return WalkTimer(page, wParam, CopyTick);
    case WM_WALK_NEXT:
        return WalkTimer(page, WALK_TIMER, CopyTick);
    case WM_DESTROY:
        // Cancel ended the wizard while the copy was under way: the run is
        // undone, after the file being written (Cancel may come while the
        // library writes it) is whole and logged.
        if (page == s_walkPage && !s_walkEnded && !s_pageGone) {
            s_walkEnded = 1;
            if (s_inStep)
                s_rollBackDue = 1;
            else
                RollBackRun("copy cancelled");
        }
        EndWalkTimers(page);
        DeleteTitleFont();
        if (!g_silentMode && !g_speedFlag) FreePagePicture(PageIndexOf(page));
        return 0;
    case WM_PAINT:
    case WM_CTLCOLORSTATIC:
        // The separate copy window has no header: the page's banner and its
        // line would be drawn across its bars and texts.
        if (g_speedFlag) return 0;
        return PageLooks(page, message, wParam, lParam);
    }
    return 0;
}

INT_PTR CALLBACK DetectionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        StartPageLooks(page, lParam, 1);
        SetTitleLooks(page, "C69", 2, "C80");
        StartDetection(page);
        EnableNext(page, FALSE);
        SetTimer(page, WALK_TIMER, 1, 0);
        return TRUE;
    case WM_TIMER:
        return WalkTimer(page, wParam, DetectionTick);
    case WM_WALK_NEXT:
        return WalkTimer(page, WALK_TIMER, DetectionTick);
    case WM_DESTROY:
        EndWalkTimers(page);
        DeleteTitleFont();
        FreePagePicture(PageIndexOf(page));
        EndDetection();
        return 0;
    case WM_PAINT:
    case WM_CTLCOLORSTATIC:
        return PageLooks(page, message, wParam, lParam);
    }
    return 0;
}
