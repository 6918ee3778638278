#include "startup/command_line.h"
#include "base/settings.h"

static int IsBlank(char c) { return c == '\n' || c == '\r' || c == '\t' || c == ' '; }

const char *SkipBlanks(const char *text, int mode) {
    if (mode == 1)
        while (*text && IsBlank(*text)) text++;
    else
        while (*text && !IsBlank(*text)) text++;
    return text;
}

const char *SkipProgramName(const char *line) {
    if (!line) return "";
    const char *p = SkipBlanks(line, 1);
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++) {
        }
        if (*p) p++;  // the closing quote
    } else {
        p = SkipBlanks(p, 0);
    }
    return SkipBlanks(p, 1);
}

void ParseCommandLine(const char *line) {
    const char *p = line ? line : "";
    for (;;) {
        if (!*p) return;
        if (IsBlank(*p)) {
            p = SkipBlanks(p, 1);
            continue;
        }
        if (*p != '-') return;
        if (p[1] == 't') {
            g_testMode = 1;
            MessageBoxA(0, "Test Mode Enabled", g_messageTitle, MB_ICONINFORMATION | MB_TASKMODAL);
        } else if (p[1] == 's') {
            g_silentMode = 1;
        }
        p = SkipBlanks(p + 1, 0);
    }
}
