#include "buildtool/product_check.h"
#include "buildtool/access_keys.h"
#include "buildtool/product_rules.h"
#include "buildtool/record_field.h"
#include "buildtool/script_keys.h"
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <algorithm>
#include <set>

namespace {

const size_t kMaxScriptBytes = 1 << 20;     // larger scripts are refused
const size_t kProfileFileBytes = 65535;     // what the 9x profile functions read
const size_t kMaxLine = 4096;
const size_t kRecordBytes = 400;            // the copy page reads a record in 400 bytes

struct Context {
    std::string folder;
    std::vector<Finding> *findings;
    void Add(const std::string &file, int line, bool error, const std::string &text) {
        findings->push_back({folder + "/" + file, line, error, text});
    }
};

bool Exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Digits(const std::string &s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isdigit((unsigned char)c)) return false;
    return true;
}

bool IsBitmap(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char h[54];
    size_t n = fread(h, 1, sizeof h, f);
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fclose(f);
    if (n < sizeof h || h[0] != 'B' || h[1] != 'M') return false;
    unsigned headerSize = h[14] | h[15] << 8 | h[16] << 16 | (unsigned)h[17] << 24;
    unsigned offset = h[10] | h[11] << 8 | h[12] << 16 | (unsigned)h[13] << 24;
    return headerSize >= 12 && offset < (unsigned long)size;
}

// A plain file name: no folder parts, no device name, nothing Windows trims.
std::string NameProblem(const std::string &name) {
    if (name.empty()) return "is empty";
    if (name.size() > 255) return "is longer than 255 characters";
    for (char c : name) {
        if ((unsigned char)c < 32 || strchr("\\/:*?\"<>|", c)) return std::string("holds the character '") + c + "'";
    }
    if (name == "." || name == "..") return "is a folder reference";
    char last = name.back();
    if (last == '.' || last == ' ') return "ends with a dot or a blank, which Windows drops";
    std::string base = name.substr(0, name.find('.'));
    for (char &c : base) c = (char)toupper((unsigned char)c);
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char *devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", 0};
    for (int i = 0; devices[i]; i++)
        if (base == devices[i]) return "is a device name";
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        base[3] >= '1' && base[3] <= '9')
        return "is a device name";
    for (char c : name)
        if ((unsigned char)c >= 128) return "non-ascii";
    return "";
}

// Problems of a destination folder text; "" when sound.
std::string FolderProblem(const std::string &folder) {
    if (folder.empty()) return "is empty (use \"\\\" for the installation folder)";
    if (folder.back() != '\\') return "does not end with a backslash, so the name is glued to it";
    if (folder.find('/') != std::string::npos) return "holds a slash; folders are separated by backslashes";
    size_t at = 0;
    while (at < folder.size()) {
        size_t end = folder.find('\\', at);
        if (end == std::string::npos) end = folder.size();
        std::string part = folder.substr(at, end - at);
        if (part == ".." || part == ".") return "holds a \"" + part + "\" part that leaves its folder";
        if (part.find(':') != std::string::npos && at == 0 && folder[0] != '%')
            return "names a drive; a folder outside the installation folder starts with a variable";
        at = end + 1;
    }
    if (folder.compare(0, 2, "\\\\") == 0) return "is a network path";
    return "";
}

void CollectVariables(const std::string &text, std::vector<std::string> *out) {
    size_t at = 0;
    while ((at = text.find('%', at)) != std::string::npos) {
        size_t end = text.find('%', at + 1);
        if (end == std::string::npos) break;
        std::string name = text.substr(at, end - at + 1);
        bool plain = name.size() > 2 && (isalpha((unsigned char)name[1]) || name[1] == '_');
        for (size_t i = 1; plain && i + 1 < name.size(); i++)
            plain = isalnum((unsigned char)name[i]) || name[i] == '_';
        if (plain) {
            out->push_back(name);
            at = end + 1;
        } else {
            at = end;  // "%%12" and lone percent signs: not a variable
        }
    }
}

std::string Upper(std::string s) {
    for (char &c : s) c = (char)toupper((unsigned char)c);
    return s;
}

}  // namespace

bool ReadTextLines(const std::string &path, const std::string &shown, bool forFileScript, TextLines *out,
                   std::vector<Finding> *findings) {
    // A pipe would hold the read for ever, a folder reads as empty.
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        findings->push_back({shown, 0, true, "is no file (a folder, a pipe or a device); only files are read"});
        return true;
    }
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0 && bytes.size() <= kMaxScriptBytes) bytes.append(buf, n);
    fclose(f);
    if (bytes.size() > kMaxScriptBytes) {
        findings->push_back({shown, 0, true, "larger than 1 MB; a setup script is read by the profile functions"
                                             " and the copy page, which do not handle files that large"});
        return true;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        findings->push_back({shown, 1, true,
                             "starts with a UTF-8 byte-order mark; Windows reads it as part of the first line"});
        bytes.erase(0, 3);
    }
    int line = 1;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        bool last = end == std::string::npos;
        if (last) end = bytes.size();
        std::string text = bytes.substr(at, end - at);
        bool crlf = !text.empty() && text.back() == '\r' && !last;
        if (crlf) text.pop_back();
        size_t cr = text.find('\r');
        if (cr != std::string::npos) {
            findings->push_back({shown, line, true, "line ends with CR alone; Windows reads up to the next LF as one line"});
            return true;
        }
        for (size_t i = 0; i < text.size(); i++) {
            unsigned char c = (unsigned char)text[i];
            if ((c < 32 && c != '\t') || c == 127) {
                char msg[100];
                snprintf(msg, sizeof msg, "binary data (byte 0x%02X in column %zu); this is no text file", c, i + 1);
                findings->push_back({shown, line, true, msg});
                return true;
            }
        }
        if (text.size() > kMaxLine) {
            findings->push_back({shown, line, true, "line of " + std::to_string(text.size()) +
                                                         " characters; at most 4096 are read"});
            text.resize(kMaxLine);
        }
        if (!(last && text.empty())) {
            out->lines.push_back(text);
            out->crlf.push_back(crlf || last);
        }
        at = end + 1;
        line++;
    }
    (void)forFileScript;
    return true;
}

std::vector<IniKey> ParseIni(const TextLines &text, const std::string &shown, std::vector<Finding> *findings) {
    std::vector<IniKey> keys;
    std::string section;
    for (size_t i = 0; i < text.lines.size(); i++) {
        std::string l = text.lines[i];
        size_t b = l.find_first_not_of(" \t");
        if (b == std::string::npos || l[b] == ';') continue;
        l = l.substr(b);
        if (l[0] == '[') {
            size_t close = l.find(']');
            if (close == std::string::npos) {
                findings->push_back({shown, (int)i + 1, true, "section line without \"]\""});
                continue;
            }
            section = l.substr(1, close - 1);
            continue;
        }
        size_t eq = l.find('=');
        if (eq == std::string::npos) {
            findings->push_back({shown, (int)i + 1, false, "line is neither a section, a key nor a comment"});
            continue;
        }
        if (section.empty()) {
            findings->push_back({shown, (int)i + 1, false, "key before the first section is never read"});
            continue;
        }
        std::string key = l.substr(0, eq), value = l.substr(eq + 1);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        size_t v = value.find_first_not_of(" \t");
        value = v == std::string::npos ? "" : value.substr(v);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        keys.push_back({section, key, value, (int)i + 1});
    }
    return keys;
}

const IniKey *FindIniKey(const std::vector<IniKey> &keys, const std::string &section, const std::string &key) {
    for (const IniKey &k : keys)
        if (!strcasecmp(k.section.c_str(), section.c_str()) && !strcasecmp(k.key.c_str(), key.c_str())) return &k;
    return 0;
}

std::string RecordSourcePath(const std::string &folder, const std::string &letter, const std::string &folderText,
                             const std::string &name) {
    std::string rest;
    for (char c : folderText) rest += c == '\\' ? '/' : c;
    if (rest.empty() || rest.back() != '/') rest += '/';
    char l = letter.empty() ? 'A' : letter[0];
    // The letter's folder may be written in either case ("files/b/").
    for (char c : {(char)toupper((unsigned char)l), (char)tolower((unsigned char)l)}) {
        std::string tree = folder + "/files/" + c + (rest[0] == '/' ? "" : "/") + rest + name;
        if (Exists(tree)) return tree;
    }
    return folder + "/" + name;
}

int CheckProduct(const std::string &folder, std::vector<Finding> *findings, const std::string &uninstaller) {
    Context cx = {folder, findings};
    const char *main = "_SFX.DLG", *blocks = "_DLG.SCR", *files = "_FILE1.SCR";
    ProductFacts facts;
    facts.folder = folder;

    // Main script.
    TextLines script;
    std::vector<IniKey> keys;
    if (!ReadTextLines(SetupFilePath(folder, main), folder + "/" + main, false, &script, findings)) {
        cx.Add(main, 0, true, "missing: every product needs its main script");
    } else {
        struct stat st;
        if (stat(SetupFilePath(folder, main).c_str(), &st) == 0 && (size_t)st.st_size > kProfileFileBytes)
            cx.Add(main, 0, false, "larger than 64 KB; Windows 95 reads only the first 64 KB of an INI file");
        keys = ParseIni(script, folder + "/" + main, findings);
    }
    auto value = [&](const char *section, const std::string &key) -> std::string {
        const IniKey *k = FindIniKey(keys, section, key);
        return k ? k->value : "";
    };
    auto number = [&](const char *section, const std::string &key) { return LeadingNumber(value(section, key)); };

    // Keys one by one: known sections, known keys, numbers, lengths, twice.
    std::set<std::string> seen;
    for (const IniKey &k : keys) {
        std::string id = Upper(k.section) + "\n" + Upper(k.key);
        if (!seen.insert(id).second) {
            const IniKey *first = FindIniKey(keys, k.section, k.key);
            cx.Add(main, k.line, false, "key \"" + k.key + "\" of [" + k.section + "] is given again; line " +
                                            std::to_string(first->line) + " is the one read");
            continue;
        }
        if (!KnownSection(k.section)) continue;
        const ScriptKey *known = FindScriptKey(k.section, k.key);
        if (!known) {
            std::string near = NearestScriptKey(k.section, k.key);
            cx.Add(main, k.line, false, "unknown key \"" + k.key + "\" in [" + k.section + "]" +
                                            (near.empty() ? std::string() : "; did you mean \"" + near + "\"?"));
            continue;
        }
        if (known->kind == 'i' && !k.value.empty() && !isdigit((unsigned char)k.value[0]) && k.value[0] != '-')
            cx.Add(main, k.line, false, "\"" + k.key + "\" is read as a number; \"" + k.value + "\" reads as 0");
        else if (known->kind == 's' && (int)k.value.size() >= known->size)
            cx.Add(main, k.line, false, "\"" + k.key + "\" holds " + std::to_string(k.value.size()) +
                                            " characters; the engine reads " + std::to_string(known->size - 1));
    }
    CheckAccessKeys(keys, folder + "/" + main, findings);
    std::set<std::string> unknownSections;
    for (const IniKey &k : keys) {
        if (KnownSection(k.section) || !unknownSections.insert(Upper(k.section)).second) continue;
        static const char *sections[] = {"DLG", "SIG", "CFC", "VARIABLES", "ACT", "CMP", "TYP", "CLA", "DIR",
                                         "FLE", "GRP", "INI", "REG", "TPL", "ODBC", "RUN", "BIL", "UNINST", 0};
        for (int i = 0; sections[i]; i++) {
            std::string s = Upper(k.section), t = sections[i];
            int diff = (int)(s.size() > t.size() ? s.size() - t.size() : t.size() - s.size());
            for (size_t j = 0; j < s.size() && j < t.size(); j++) diff += s[j] != t[j];
            if (diff == 1) {
                cx.Add(main, k.line, false, "section [" + k.section + "] is not read by the engine; did you mean [" +
                                                t + "]?");
                break;
            }
        }
    }

    // Numbered lists: the count key against the items the keys name.
    static const char *lists[] = {"ACT", "CMP", "TYP", "GRP", "INI", "DIR", "RUN", "CLA", "TPL", "REG", "ODBC", 0};
    for (int i = 0; lists[i]; i++) {
        const char *countKey = ListCountKey(lists[i]);
        const IniKey *count = FindIniKey(keys, lists[i], countKey);
        long n = count ? LeadingNumber(count->value) : 0;
        std::set<int> items;
        for (const IniKey &k : keys) {
            if (strcasecmp(k.section.c_str(), lists[i])) continue;
            int item = ItemNumberOfKey(k.key);
            // "+1d" of [CMP] is the main component's size, read without a count.
            if (item <= 0 || (!strcmp(lists[i], "CMP") && !strcasecmp(k.key.c_str(), "+1d"))) continue;
            items.insert(item);
            if (item > n) {
                cx.Add(main, k.line, true, "[" + std::string(lists[i]) + "] item " + std::to_string(item) +
                                               " lies past \"" + countKey + "\" (" + std::to_string(n) +
                                               "), so it is never read");
                break;
            }
        }
        if (!strcmp(lists[i], "TYP") && n > 6)
            cx.Add(main, count->line, true, "[TYP] has room for 6 setup types, \"Ndx\" is " + std::to_string(n));
        // Component 1 is the main one: always "A", never listed, its size
        // is the base space "+1d"; it needs no keys of its own.
        for (long item = strcmp(lists[i], "CMP") ? 1 : 2; item <= n && item <= 1000; item++) {
            if (!items.count((int)item)) {
                cx.Add(main, count->line, true, "[" + std::string(lists[i]) + "] \"" + countKey + "\" is " +
                                                    std::to_string(n) + " but item " + std::to_string(item) +
                                                    " has no keys");
                break;
            }
        }
    }

    // Component letters.
    std::set<char> letters = {'A'};
    for (long n = 2; n <= number("CMP", "Ndx") && n < 100; n++) {
        std::string l = value("CMP", "+" + std::to_string(n) + "a");
        if (!l.empty()) letters.insert((char)toupper((unsigned char)l[0]));
    }
    auto checkLetter = [&](const std::string &file, int line, const std::string &l, const std::string &where) {
        if (!l.empty() && !letters.count((char)toupper((unsigned char)l[0])))
            cx.Add(file, line, true, where + " names component \"" + l.substr(0, 1) + "\", which [CMP] does not define");
    };
    for (const IniKey &k : keys) {
        int item = ItemNumberOfKey(k.key);
        size_t letters_at = k.key.find_first_not_of("+0123456789");  // "+3" of [CLA] has none
        std::string field = item && letters_at != std::string::npos ? Upper(k.key.substr(letters_at)) : "";
        if (item && field == "Z" && Upper(k.section) != "CMP") checkLetter(main, k.line, k.value, "\"" + k.key + "\"");
        if (item && field == "D" && Upper(k.section) == "TYP")
            for (char c : k.value) checkLetter(main, k.line, std::string(1, c), "\"" + k.key + "\"");
    }

    // Actions: types, phases, modes; the variables they set.
    std::set<std::string> variables;
    for (long n = 1; n <= number("VARIABLES", "#") && n < 10000; n++) variables.insert(Upper(value("VARIABLES", std::to_string(n))));
    facts.listed = variables;
    for (const IniKey &k : keys)
        if (!strcasecmp(k.section.c_str(), "VARIABLES") && k.key.size() > 2 && k.key[0] == '%') variables.insert(Upper(k.key));
    std::set<std::string> tags;
    for (long n = 1; n <= number("ACT", "Ndx") && n < 10000; n++) {
        std::string p = "+" + std::to_string(n);
        const IniKey *typeKey = FindIniKey(keys, "ACT", p + "a");
        if (!typeKey) continue;
        long type = LeadingNumber(typeKey->value), phase = number("ACT", p + "t");
        if (!KnownActionType((int)type)) {
            cx.Add(main, typeKey->line, true, "action " + std::to_string(n) + " has the type " + typeKey->value +
                                                  ", which does not exist");
            continue;
        }
        bool page = ActionTypeIsPage((int)type);
        bool phaseOk = page ? (phase == 20 || phase == 40) : (phase == 10 || phase == 30 || phase == 50 || phase == 60);
        if (!phaseOk) {
            const IniKey *t = FindIniKey(keys, "ACT", p + "t");
            cx.Add(main, t ? t->line : typeKey->line, true,
                   "action " + std::to_string(n) + " (type " + std::to_string(type) + ") has the phase " +
                       std::to_string(phase) + (page ? "; action pages belong to phase 20 or 40"
                                                     : "; actions run in phase 10, 30, 50 or 60"));
        }
        if (type == 700) {
            long mode = number("ACT", p + "p1");
            if (mode < 1 || mode > 6)
                cx.Add(main, typeKey->line, false, "action " + std::to_string(n) + ": text edit mode " +
                                                       std::to_string(mode) + " removes every line holding the search text");
        }
        if (type == 2500) {
            long mode = number("ACT", p + "p9");
            if (mode < 1 || mode > 3)
                cx.Add(main, typeKey->line, true, "action " + std::to_string(n) + ": registry comparison mode " +
                                                      std::to_string(mode) + " does not exist (1, 2 or 3)");
        }
        if ((type >= 1100 && type <= 1500) || type == 1600 || type == 1700) {
            for (const char *f : {"p1", "p2", "p4"}) {
                if (strcmp(f, "p1") && type != 1600 && type != 1700) continue;
                std::string v = value("ACT", p + f);
                if (!v.empty()) variables.insert(Upper(v[0] == '%' ? v : "%" + v + "%"));
            }
        }
        if (page && type != 1500) {
            std::string tag = value("ACT", p + "sg");
            if (tag.empty())
                cx.Add(main, typeKey->line, false, "action page " + std::to_string(n) + " names no text block (\"" + p + "sg\")");
            else
                tags.insert(Upper(tag));
        }
    }

    // Text blocks: what the pages and the action pages ask for.
    TextLines blockText;
    std::set<std::string> defined;
    if (!ReadTextLines(SetupFilePath(folder, blocks), folder + "/" + blocks, false, &blockText, findings)) {
        cx.Add(blocks, 0, true, "missing: every product needs its text-block file");
    } else {
        // The pages' scan steps two characters over every line end.
        for (size_t i = 0; i < blockText.lines.size(); i++)
            if (!blockText.crlf[i]) {
                cx.Add(blocks, (int)i + 1, false, "line ends with LF alone; the build writes the text blocks with"
                                                  " CR LF, the line end the pages' text scan needs");
                break;
            }
        for (const std::string &l : blockText.lines)
            if (l.compare(0, 5, "[STR ") == 0 && l.find(']') != std::string::npos)
                defined.insert(Upper(l.substr(5, l.find(']') - 5)));
    }
    struct PageBlock { const char *key, *block; } pageBlocks[] = {
        {"Z1", "WEL"}, {"Z1", "WC1"}, {"Z3", "LIC"}, {"Z2", "REA"}, {"Z11", "CS1"}, {"", "FIN"}};
    for (const PageBlock &b : pageBlocks) {
        if (*b.key && !number("DLG", b.key)) continue;
        if (!defined.count(b.block))
            cx.Add(blocks, 0, false, std::string("no [STR ") + b.block + "] block; its page shows no text");
    }
    for (const std::string &tag : tags)
        if (!defined.count(tag))
            cx.Add(blocks, 0, true, "no [STR " + tag + "] block, which an action page of [ACT] names");

    // File script.
    TextLines records;
    if (!ReadTextLines(SetupFilePath(folder, files), folder + "/" + files, true, &records, findings)) {
        cx.Add(files, 0, true, "missing: every product needs its file script (it may be empty)");
    } else {
        std::set<std::string> targets;
        bool installsUninstaller = false;
        for (size_t i = 0; i < records.lines.size(); i++) {
            const std::string &r = records.lines[i];
            int line = (int)i + 1;
            if (r.size() < 2) {
                size_t after = 0;
                for (size_t j = i + 1; j < records.lines.size(); j++) after += records.lines[j].size() >= 2;
                if (after)
                    cx.Add(files, line, true, "a line this short ends the file script; the " + std::to_string(after) +
                                                  " records after it are never read");
                break;
            }
            if (r.size() + 2 > kRecordBytes)
                cx.Add(files, line, true, "record of " + std::to_string(r.size()) + " characters; with its line end"
                                                                                     " it must fit in 400");
            size_t bars = 0;
            for (char c : r) bars += c == '|';
            if (r[0] != '|' || bars != 24) {
                cx.Add(files, line, true, "a file record has 23 fields between \"|\" marks (24 marks, the first"
                                          " at the start); this line has " + std::to_string(bars) + " marks" +
                                          (r[0] == '|' ? "" : " and does not start with one"));
                continue;
            }
            static const int numeric[] = {2, 4, 5, 8, 9, 14, 15, 16, 17, 18, 0};
            for (int f = 0; numeric[f]; f++) {
                std::string v = RecordFieldText(r, numeric[f]);
                if (!v.empty() && !Digits(v))
                    cx.Add(files, line, true, "field " + std::to_string(numeric[f]) + " is a number; \"" + v +
                                                  "\" is read as a wrong one");
            }
            long mode = LeadingNumber(RecordFieldText(r, 5));
            if (mode > 9) cx.Add(files, line, true, "overwrite mode " + std::to_string(mode) + " does not exist (0 to 9)");
            std::string version = RecordFieldText(r, 6), stamp = RecordFieldText(r, 7);
            if ((mode == 4 || mode == 5)) {
                long date = LeadingNumber(version);
                if (!Digits(version) || version.size() != 8 || date % 100 < 1 || date % 100 > 31 ||
                    date / 100 % 100 < 1 || date / 100 % 100 > 12)
                    cx.Add(files, line, true, "overwrite mode " + std::to_string(mode) + " compares dates; field 6 \"" +
                                                  version + "\" is no YYYYMMDD date");
                long t = LeadingNumber(stamp);
                if (!stamp.empty() && (!Digits(stamp) || stamp.size() > 6 || t / 10000 > 23 || t / 100 % 100 > 59 ||
                                       t % 100 > 59))
                    cx.Add(files, line, true, "field 7 \"" + stamp + "\" is no HHMMSS time");
            }
            if ((mode == 2 || mode == 3) && version.empty())
                cx.Add(files, line, true, "overwrite mode " + std::to_string(mode) + " compares versions; field 6 is empty");
            std::string letter = RecordFieldText(r, 20), name = RecordFieldText(r, 22), where = RecordFieldText(r, 23);
            checkLetter(files, line, letter, "field 20");
            installsUninstaller |= !strcasecmp(name.c_str(), "uninstx.exe");
            std::string problem = NameProblem(name);
            if (problem == "non-ascii")
                cx.Add(files, line, false, "file name \"" + name + "\" is not plain ASCII; the engine writes names"
                                           " in the machine's ANSI code page");
            else if (!problem.empty()) {
                cx.Add(files, line, true, "file name (field 22) \"" + name + "\" " + problem);
                continue;
            }
            problem = FolderProblem(where);
            if (!problem.empty()) cx.Add(files, line, true, "folder text (field 23) \"" + where + "\" " + problem);
            std::vector<std::string> used;
            CollectVariables(where, &used);
            for (const std::string &v : used)
                if (!EngineVariable(v) && !variables.count(Upper(v)))
                    cx.Add(files, line, false, "variable " + v + " is used but never set");
            std::string source = RecordSourcePath(folder, letter, where, name);
            facts.files.push_back({where, name, line});
            if (!Exists(source) && !uninstaller.empty() && !strcasecmp(name.c_str(), "uninstx.exe")) source = uninstaller;
            if (!Exists(source)) {
                cx.Add(files, line, true, "\"" + name + "\" is not in the product folder (nor under files/" +
                                              (letter.empty() ? "A" : letter.substr(0, 1)) + "/)");
                continue;
            }
            if (!strcasecmp(where.c_str(), "%BILLBOARD%\\") && !IsBitmap(source))
                cx.Add(files, line, true, "billboard \"" + name + "\" is not a Windows bitmap");
            if (strcasecmp(where.c_str(), "%BILLBOARD%\\") && !targets.insert(Upper(where + name)).second)
                cx.Add(files, line, false, "\"" + where + name + "\" is installed twice; the second copy replaces the first");
        }
        // The entry in Add/Remove Programs runs the uninstaller with the log.
        const IniKey *listed = FindIniKey(keys, "UNINST", "Register");
        if (listed && LeadingNumber(listed->value) && !installsUninstaller)
            cx.Add(main, listed->line, true, "[UNINST] \"Register\" lists the product in Add/Remove Programs, "
                                             "but the file script installs no uninstx.exe to remove it");
    }
    const IniKey *listName = FindIniKey(keys, "UNINST", "Name");
    if (listName && listName->value.find('\\') != std::string::npos)
        cx.Add(main, listName->line, true, "[UNINST] \"Name\" names a registry key, which holds no \"\\\"");
    for (const char *picture : {"_PIC0.IMG", "_PIC1.IMG", "_PIC2.IMG"}) {
        std::string path = SetupFilePath(folder, picture);
        if (!Exists(path)) cx.Add(picture, 0, true, "missing: the pages and the background need their picture");
        else if (!IsBitmap(path)) cx.Add(picture, 0, false, "not a Windows bitmap; the pages show no picture");
    }

    // Variables used in the main script.
    for (const IniKey &k : keys) {
        if (!strcasecmp(k.section.c_str(), "VARIABLES")) continue;
        std::vector<std::string> used;
        CollectVariables(k.value, &used);
        for (const std::string &v : used)
            if (!EngineVariable(v) && !variables.count(Upper(v)))
                cx.Add(main, k.line, false, "variable " + v + " is used but never set");
    }

    facts.keys = &keys;
    CheckProductRules(facts, findings);

    std::stable_sort(findings->begin(), findings->end(), [](const Finding &a, const Finding &b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
    int errors = 0;
    for (const Finding &f : *findings) errors += f.error;
    return errors;
}

std::string FormatFindings(const std::vector<Finding> &findings) {
    std::string out;
    for (const Finding &f : findings)
        out += f.file + ":" + std::to_string(f.line) + ": " + (f.error ? "error" : "warning") + ": " + f.text + "\n";
    return out;
}
