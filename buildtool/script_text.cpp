#include "buildtool/script_text.h"
#include "payload/payload_layout.h"
#include <strings.h>

bool IsTextScript(const std::string &name) {
    for (const char *script : {SETUP_FILE_MAIN_SCRIPT, SETUP_FILE_TEXT_BLOCKS, SETUP_FILE_FILE_SCRIPT})
        if (!strcasecmp(name.c_str(), script)) return true;
    return false;
}

std::string WithCrLf(const std::string &text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}
