#include "buildtool/access_keys.h"
#include <ctype.h>

namespace {

// The captions one page shows at a time: its own keys, then the buttons of
// the frame beside it ("*" for none). Setup types and finish boxes are
// list items, named by section and key as the script writes them.
struct PageCaptions {
    const char *page;
    const char *keys[8];  // "SECTION:KEY"
};
const PageCaptions kPages[] = {
    {"welcome page", {"DLG:C6", "DLG:C5", "DLG:C2"}},
    {"licence page", {"DLG:C6", "DLG:C3", "DLG:C4"}},
    {"user information page", {"DLG:C33", "DLG:C34", "DLG:C35", "DLG:C6", "DLG:C5", "DLG:C2"}},
    {"setup type page", {"TYP:+1a", "TYP:+2a", "TYP:+3a", "TYP:+4a", "TYP:+5a", "TYP:+6a", "DLG:C5", "DLG:C6"}},
    {"components page", {"DLG:C51", "DLG:C6", "DLG:C5", "DLG:C2"}},
    {"destination page", {"DLG:C13", "DLG:C14", "DLG:C6", "DLG:C5", "DLG:C2"}},
    {"program folder page", {"DLG:C27", "DLG:C28", "DLG:C6", "DLG:C5", "DLG:C2"}},
    {"folder browser", {"DLG:C20", "DLG:C21", "DLG:C1", "DLG:C2"}},
    {"finish page", {"RUN:CB1", "RUN:CB2", "RUN:CB3", "DLG:C19"}},
};

// The letter after the first single "&" ("&&" shows an ampersand); 0 when
// there is none.
char AccessKey(const std::string &caption) {
    for (size_t i = 0; i + 1 < caption.size(); i++) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            i++;
            continue;
        }
        return (char)toupper((unsigned char)caption[i + 1]);
    }
    return 0;
}

}  // namespace

void CheckAccessKeys(const std::vector<IniKey> &keys, const std::string &shown, std::vector<Finding> *findings) {
    for (const PageCaptions &page : kPages) {
        std::vector<const IniKey *> seen;
        for (const char *name : page.keys) {
            if (!name) break;
            std::string section(name, 3), key(name + 4);
            const IniKey *caption = FindIniKey(keys, section, key);
            char letter = caption ? AccessKey(caption->value) : 0;
            if (!letter) continue;
            for (const IniKey *other : seen) {
                if (AccessKey(other->value) != letter) continue;
                // Told at the later line, naming the earlier one.
                const IniKey *later = other->line > caption->line ? other : caption;
                const IniKey *earlier = later == caption ? other : caption;
                findings->push_back({shown, later->line, false,
                                     "\"" + later->key + "\" and \"" + earlier->key + "\" (line " +
                                         std::to_string(earlier->line) + ") both take Alt+" + letter + " on the " +
                                         page.page + "; the key reaches only one of them"});
                break;
            }
            seen.push_back(caption);
        }
    }
}
