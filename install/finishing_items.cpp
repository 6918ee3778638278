#include "install/later_steps.h"
#include "actions/program_launch.h"
#include "install/install_log.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

int ItemLetterSelected(const char *section, int item) {
    char letter[2];
    ReadListField(section, item, "z", letter, sizeof letter);
    return ComponentLetterSelected(letter);
}

int ItemChosen(const char *section, int item) {
    return ItemLetterSelected(section, item) && ListItemApplies(section, item);
}

int ClimbsOut(const char *path) {
    for (int i = 0; path[i]; i++) {
        int start = i == 0 || path[i - 1] == '\\' || path[i - 1] == '/';
        if (start && path[i] == '.' && path[i + 1] == '.' &&
            (path[i + 2] == 0 || path[i + 2] == '\\' || path[i + 2] == '/'))
            return 1;
    }
    return 0;
}

void LogPassedOver(const char *why, const char *subject) {
    char text[LONG_TEXT];
    CopyText(text, why, sizeof text);
    AppendText(text, subject, sizeof text);
    LogRecord("Error  :", text);
}

int BuildItemPath(const char *text, char *result, int size, const char *what) {
    // Room beyond the buffer shows whether the path was cut.
    char path[CONVERT_BUFFER_SIZE + 2];
    if (text[0] == '%') CopyText(path, text, CONVERT_BUFFER_SIZE);
    else JoinPath(path, CONVERT_BUFFER_SIZE, g_installFolder, text);
    if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(path, 3);
    path[CONVERT_BUFFER_SIZE - 1] = 0;
    if (ClimbsOut(path)) {
        LogPassedOver(what, path);
        return 0;
    }
    if (TextLength(path) >= size || TextLength(path) >= CONVERT_BUFFER_SIZE - 1) {
        LogPassedOver(what, text);
        return 0;
    }
    CopyText(result, path, size);
    return 1;
}
