// WinMain: the start-up sequence in its fixed order, the wizard, the exit.
#include "actions/action_runner.h"
#include "display/background.h"
#include "payload/binding.h"
#include "payload/extract.h"
#include "script/settings.h"
#include "script/system_variables.h"
#include "script/text_blocks.h"
#include "startup/checks.h"
#include "startup/command_line.h"
#include "base/settings.h"
#include "startup/shutdown.h"
#include "base/text.h"
#include "wizard/wizard.h"

// Exit code of a run that ended before the wizard: an error, a failed
// check, or the user's No to the start-up notice.
#define EXIT_NOT_RUN 1

// Steps 1 to 13: command line, own path, libraries and setup files.
// Returns 0 when the run must end (the error has been reported).
static int StartSetupFiles(HINSTANCE instance, const char *commandLine) {
    ParseCommandLine(commandLine);
    g_instance = instance;
    GetModuleFileNameA(instance, g_ownPath, sizeof g_ownPath);
    g_isAdministrator = IsAdministrator();
    GetWindowsDirectoryA(g_windowsDir, sizeof g_windowsDir);

    if (ExtractSupportLibrary() < 0) return ReportInstallerError("0001"), 0;
    HMODULE support = LoadLibraryA(g_supportLibraryPath);
    if (!support) return ReportInstallerError("0002"), 0;
    if (!BindSupportLibrary(support)) return ReportInstallerError("0003"), 0;
    g_support.UDF1(PAYLOAD_FIRST_ENTRY, PAYLOAD_UDF1_ARG);

    // A payload that ends before the main script carries no setup to run.
    if (!UnpackStartupEntries(0)) return ReportInstallerError("0008"), 0;

    if (g_plugin.present) {
        g_plugin.module = LoadLibraryA(g_pluginPath);
        if (!g_plugin.module) return ReportInstallerError("0010"), 0;
        if (!BindPluginLibrary(g_plugin.module)) return ReportInstallerError("0011"), 0;
    }
    if (g_odbc.present) {
        g_odbc.module = LoadLibraryA(g_odbcPath);
        if (!g_odbc.module) return ReportInstallerError("0012"), 0;
        BindOdbcLibrary(g_odbc.module);
    }
    CopyText(g_scriptPath, g_mainScriptPath, sizeof g_scriptPath);
    if (!LoadTextBlockFile(g_textBlockPath)) return ReportInstallerError("0008"), 0;
    return 1;
}

// Step 23: the start-up notice; 0 when the user answered No.
static int ShowStartupNotice() {
    if (!ExtractTextBlock("[STR FIRST]", "[END FIRST]", 0, 0, 1, 0)) return 1;
    UINT type = MB_TASKMODAL | (ReadDlgInt("FMOK", 0) ? MB_OK : MB_YESNO);
    return MessageBoxA(0, g_textBuffer, g_messageTitle, type) != IDNO;
}

// Step 28: the support library's own message texts.
static void HandMessagesToSupportLibrary() {
    static const char keys[][4] = {"C53", "C54", "C55", "C56", "C57", "C58"};
    static const int numbers[] = {2, 3, 4, 6, 13, 18};
    for (int i = 0; i < 6; i++) {
        char text[255];
        ReadDlgText(keys[i], text, sizeof text);
        g_support.KWP_U_SETMSG(numbers[i], text);
    }
}

// Step 31: the owner window; the background window unless hidden.
static void CreateOwnerWindow(HINSTANCE instance, HINSTANCE previous) {
    if (g_hiddenMode)
        g_ownerWindow = GetDesktopWindow();
    else
        g_ownerWindow = CreateBackgroundWindow(instance, previous == 0, MAKEINTRESOURCEA(IDD_FRAME), WizardDialogProc);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
#ifdef SETUP_WALK_FIGURES
    g_figureMainAt = FigureClock();
#endif
    if (!StartSetupFiles(instance, commandLine)) return EXIT_NOT_RUN;
    if (!CheckIntegrity()) return ExitQuietly(), EXIT_NOT_RUN;
#ifdef SETUP_WALK_FIGURES
    g_figureCheckedAt = FigureClock();
#endif
    if (ReadDlgInt("Silent", 0)) g_silentMode = 1;
    DetectWindowsFamily();
    InitVariables();
    g_textBuffer = (char *)LocalAlloc(LMEM_FIXED, TEXT_BUFFER_SIZE);
    if (!g_textBuffer) return ReportInstallerError("0009"), EXIT_NOT_RUN;
    g_textBuffer[0] = 0;
    GetLocalTime(&g_startTime);
    if (!CheckAdministratorRequirement() || !CheckSystemRequirements()) return ExitQuietly(), EXIT_NOT_RUN;
    ReadDlgText("CA", g_cancelQuestion, sizeof g_cancelQuestion);
    if (!ShowStartupNotice()) return ExitQuietly(), EXIT_NOT_RUN;
    g_recordsPerTick = ReadDlgInt("NO", 0);
    if (g_recordsPerTick == 0) g_recordsPerTick = 1;
    g_backgroundStyle = ReadDlgInt("BG1", 0);
    char colour[10];
    ReadDlgText("BG2", colour, sizeof colour);
    g_backgroundColour = ParseDecimal(colour);
    if (ReadDlgInt("DLL50", 0) && CallPlugin(1000) != 0) return ExitQuietly(), EXIT_NOT_RUN;
    if (RunActions(10, 0) == 1) return ExitQuietly(), EXIT_NOT_RUN;
    HandMessagesToSupportLibrary();
    g_richEdit = LoadLibraryA("RICHED32.DLL");
    if (!g_richEdit) return ReportInstallerError("0015"), EXIT_NOT_RUN;
    g_noReadOnlyFlag = ReadDlgInt("NRROF", 0);
    g_noLogFlag = ReadDlgInt("NRLF", 0);
    ReadDlgText("TI", g_windowTitle, sizeof g_windowTitle);
    g_hiddenMode = ReadDlgInt("HW", 0) != 0 || g_silentMode;
    g_speedFlag = ReadDlgInt("SPD", 0) != 0;
    CreateOwnerWindow(instance, previous);
    g_summaryBuffer = (char *)LocalAlloc(LMEM_FIXED, SUMMARY_BUFFER_SIZE);
    if (g_summaryBuffer) g_summaryBuffer[0] = 0;
    g_diskRequired = g_diskRequiredTotal = ReadSettingInt("CMP", "+1d", 0);
    if (ReadDlgInt("Rbt", 0)) g_restartNeeded = 1;

    if (!g_hiddenMode) {
        PostMessageA(g_ownerWindow, WM_COMMAND, CMD_RUN_WIZARD, 0);
        MSG msg;
        while (GetMessageA(&msg, 0, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } else {
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FRAME), GetDesktopWindow(), WizardDialogProc, 0);
    }
    FinishRun();
    // A failed or stopped installation is not reported as success: the
    // setup status (2 stopped or failed, 9 a file in use), and 2 when the
    // wizard was cancelled before the copy ended.
    if (g_setupStatus) return g_setupStatus;
    return WizardCopyFinished() ? 0 : 2;
}

// The process starts here: no C run-time runs before or after. WinMain gets
// the command line behind the program's own name, as Windows programs do.
extern "C" void WinMainCRTStartup() {
    ExitProcess(WinMain(GetModuleHandleA(0), 0, (LPSTR)SkipProgramName(GetCommandLineA()), SW_SHOWDEFAULT));
}
