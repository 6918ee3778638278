#include "buildtool/product_rules.h"
#include "buildtool/program_image.h"
#include "buildtool/script_keys.h"
#include <ctype.h>
#include <dirent.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

std::string Upper(std::string s) {
    for (char &c : s) c = (char)toupper((unsigned char)c);
    return s;
}

bool StartsWithNoCase(const std::string &s, const char *prefix) { return !strncasecmp(s.c_str(), prefix, strlen(prefix)); }

bool HasParentPart(const std::string &path) {
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find_first_of("\\/", at);
        if (end == std::string::npos) end = path.size();
        if (path.compare(at, end - at, "..") == 0 && end - at == 2) return true;
        at = end + 1;
    }
    return false;
}

// A path below the installation folder as a file-script folder names it:
// "\docs\x.txt" and "%INSTDIR%\docs\x.txt" both give "DOCS\X.TXT"; false for
// a path elsewhere.
bool BelowInstallFolder(const std::string &path, std::string *relative) {
    std::string p = path;
    for (char &c : p) c = c == '/' ? '\\' : c;
    if (StartsWithNoCase(p, "%INSTDIR%")) p = p.substr(9);
    else if (!p.empty() && p[0] == '%') return false;
    else if (p.size() > 1 && p[1] == ':') return false;
    while (!p.empty() && p[0] == '\\') p.erase(0, 1);
    *relative = Upper(p);
    return true;
}

// Typical values of the folder variables, for the length of a target.
std::string Expand(std::string text) {
    static const char *const values[][2] = {
        {"%PROGRAMFILESDIR%", "C:\\Program Files"}, {"%COMMONFILESDIR%", "C:\\Program Files\\Common Files"},
        {"%WINDIR%", "C:\\WINDOWS"}, {"%SYS32DIR%", "C:\\WINDOWS\\SYSTEM32"}, {"%SYSDIR%", "C:\\WINDOWS\\SYSTEM"},
        {"%FONTSDIR%", "C:\\WINDOWS\\FONTS"}, {"%ROOTDRV%", "C:"}, {"%SOURCEDRV%", "D:"},
        {"%DESKTOPDIR%", "C:\\WINDOWS\\Desktop"}, {"%PERSONALDIR%", "C:\\My Documents"}};
    for (const auto &v : values) {
        std::string upper = Upper(text);
        size_t at = upper.find(v[0]);
        if (at != std::string::npos) text.replace(at, strlen(v[0]), v[1]);
    }
    return text;
}

struct Rules {
    const ProductFacts &p;
    std::vector<Finding> *out;

    void Add(const char *file, int line, bool error, const std::string &text) const {
        out->push_back({p.folder + "/" + file, line, error, text});
    }
    const IniKey *Key(const char *section, const std::string &key) const { return FindIniKey(*p.keys, section, key); }
    std::string Value(const char *section, const std::string &key) const {
        const IniKey *k = Key(section, key);
        return k ? k->value : "";
    }
    long Count(const char *section) const { return LeadingNumber(Value(section, ListCountKey(section))); }
    int LineOf(const char *section, long item, const char *field) const {
        const IniKey *k = Key(section, "+" + std::to_string(item) + field);
        const IniKey *n = Key(section, ListCountKey(section));
        return k ? k->line : n ? n->line : 0;
    }
    static std::string Item(const char *section, long n) { return "[" + std::string(section) + "] item " + std::to_string(n); }

    void RegistryRoots() const {
        static const char roots[] = "; 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS,"
                                    " 5 HKEY_CURRENT_CONFIG";
        for (const char *section : {"GRP", "REG"}) {
            bool grp = !strcmp(section, "GRP");
            for (long n = 1; n <= Count(section) && n < 1000; n++) {
                const IniKey *k = Key(section, "+" + std::to_string(n) + "a");
                long root = k ? LeadingNumber(k->value) : grp ? 1 : 0;
                if (root < 1 || root > 5)
                    Add("_SFX.DLG", LineOf(section, n, "a"), true,
                        Item(section, n) + ": registry root " + (k ? "\"" + k->value + "\"" : "absent (0)") +
                            " does not exist" + roots);
                if (!grp && Value(section, "+" + std::to_string(n) + "b").empty())
                    Add("_SFX.DLG", LineOf(section, n, "b"), true,
                        Item(section, n) + ": no registry key (\"+" + std::to_string(n) + "b\"); the value would be"
                                           " written into the root key itself");
            }
        }
    }

    void RunBoxes() const {
        for (long n = 1; n <= Count("RUN") && n < 1000; n++) {
            long box = LeadingNumber(Value("RUN", "+" + std::to_string(n) + "cb"));
            if (box > 3)
                Add("_SFX.DLG", LineOf("RUN", n, "cb"), true,
                    Item("RUN", n) + ": check box " + std::to_string(box) + " does not exist (1 to 3; 0 for none)");
            else if (box > 0 && Value("RUN", "CB" + std::to_string(box)).empty())
                Add("_SFX.DLG", LineOf("RUN", n, "cb"), false,
                    Item("RUN", n) + " starts with check box " + std::to_string(box) + ", which has no text ([RUN] \"CB" +
                        std::to_string(box) + "\"): the box is hidden and the program never starts");
        }
    }

    void DefaultTypes() const {
        long first = 0;
        for (long n = 1; n <= Count("TYP") && n <= 6; n++) {
            if (!LeadingNumber(Value("TYP", "+" + std::to_string(n) + "c"))) continue;
            if (!first) first = n;
            else
                Add("_SFX.DLG", LineOf("TYP", n, "c"), false,
                    Item("TYP", n) + " is a default type too; type " + std::to_string(first) +
                        ", the first, is the one chosen");
        }
    }

    void IniFiles() const {
        for (long n = 1; n <= Count("INI") && n < 1000; n++) {
            std::string file = Value("INI", "+" + std::to_string(n) + "a");
            if (!HasParentPart(file)) continue;
            bool relative = file.empty() || file[0] != '%';
            Add("_SFX.DLG", LineOf("INI", n, "a"), relative,
                Item("INI", n) + ": INI file \"" + file + "\" climbs out of its folder with \"..\"" +
                    (relative ? "; a file outside the installation folder starts with a variable (%WINDIR%\\x.ini)"
                              : ""));
        }
    }

    void Targets() const {
        std::set<std::string> installed;
        for (const InstalledFile &f : p.files) {
            std::string folder;
            if (BelowInstallFolder(f.folder, &folder)) installed.insert(folder + Upper(f.name));
        }
        struct { const char *section, *field; bool relativeToo; } lists[] = {{"GRP", "e", true}, {"RUN", "a", false}};
        for (const auto &l : lists) {
            for (long n = 1; n <= Count(l.section) && n < 1000; n++) {
                std::string target = Value(l.section, "+" + std::to_string(n) + l.field), relative;
                if (target.empty() || (!l.relativeToo && !StartsWithNoCase(target, "%INSTDIR%"))) continue;
                if (!BelowInstallFolder(target, &relative) || relative.empty() || relative.back() == '\\' ||
                    installed.count(relative))
                    continue;
                Add("_SFX.DLG", LineOf(l.section, n, l.field), false,
                    Item(l.section, n) + ": \"" + target + "\" is no file the product installs (no file-script record"
                                                           " puts it there)");
            }
        }
    }

    // Paths an action writes, deletes or moves: the engine runs them as they
    // are, wherever they lead.
    void ActionPaths() const {
        struct { long type; const char *fields; } written[] = {
            {100, "2"}, {200, "12"}, {300, "1"}, {400, "1"}, {500, "1"}, {700, "2"}, {2000, "2"}};
        for (long n = 1; n <= Count("ACT") && n < 10000; n++) {
            std::string item = "+" + std::to_string(n);
            long type = LeadingNumber(Value("ACT", item + "a"));
            for (const auto &w : written) {
                if (w.type != type) continue;
                for (const char *f = w.fields; *f; f++) {
                    std::string field = std::string("p") + *f, path = Value("ACT", item + field);
                    int line = LineOf("ACT", n, field.c_str());
                    std::string what = "action " + std::to_string(n) + " (type " + std::to_string(type) + ")";
                    bool pattern = type == 500 || (type == 300 && !Value("ACT", item + "w").empty());
                    if (pattern && *f == '1' && SystemFolder(path)) {
                        Add("_SFX.DLG", line, true,
                            what + " deletes files in \"" + path + "\", a drive root or the Windows or system folder");
                        continue;
                    }
                    if (StartsWithNoCase(path, "%INSTDIR%") && (path.size() == 9 || path[9] == '\\') &&
                        !HasParentPart(path))
                        continue;
                    Add("_SFX.DLG", line, false,
                        what + ": " + field + " \"" + path + "\" can reach outside the installation folder" +
                            (path.empty() ? " (it is empty)" : ""));
                }
            }
        }
    }

    static bool SystemFolder(std::string path) {
        while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
        std::string u = Upper(path);
        if (u.empty() || (u.size() == 2 && u[1] == ':')) return true;
        for (const char *v : {"%ROOTDRV%", "%SOURCEDRV%", "%WINDIR%", "%SYSDIR%", "%SYS32DIR%", "%FONTSDIR%"})
            if (u == v) return true;
        return false;
    }

    // What an action or a page stores in a variable is expanded only when
    // [VARIABLES] lists the name under a number.
    void SetVariables() const {
        for (long n = 1; n <= Count("ACT") && n < 10000; n++) {
            std::string item = "+" + std::to_string(n);
            long type = LeadingNumber(Value("ACT", item + "a"));
            bool input = type == 1600 || type == 1700;
            if (!((type >= 1100 && type <= 1500 && type % 100 == 0) || input)) continue;
            for (const char *f : {"p1", "p2", "p4"}) {
                if (strcmp(f, "p1") && !input) continue;
                std::string name = Value("ACT", item + f);
                if (name.empty() || p.listed.count(Upper(name))) continue;
                Add("_SFX.DLG", LineOf("ACT", n, f), false,
                    "action " + std::to_string(n) + " (type " + std::to_string(type) + ") sets " + name +
                        ", which [VARIABLES] does not list under a number, so no text expands it; add \"" +
                        std::to_string(p.listed.size() + 1) + "=" + name + "\" and raise \"#\"");
            }
        }
    }

    void Folder() const {
        const IniKey *df = Key("DLG", "DF");
        std::string base = df ? df->value : "";
        if (StartsWithNoCase(base, "%RegDir%")) {
            base = Value("DLG", "DFX");
        } else if (base.find('%') != std::string::npos) {
            Add("_SFX.DLG", df->line, false,
                "\"DF\" is used as it is written, never expanded: the destination page would show \"" + base +
                    "\". Write the folder itself, or take it from the registry with %RegDir% (R1, R2)");
            base = Expand(base);
        }
        if (!df && !p.files.empty())
            Add("_SFX.DLG", 0, false, "[DLG] \"DF\" is not set: the files go to the root of drive C: (C:\\)"
                                      " unless the user picks a folder");
        if (base.empty()) base = "C:";
        if (base.size() > 1 && base[1] != ':' && base[0] != '\\') base = "C:\\" + base;
        while (!base.empty() && base.back() == '\\') base.pop_back();
        for (const InstalledFile &f : p.files) {
            if (f.folder.empty() || !strcasecmp(f.folder.c_str(), "%BILLBOARD%\\")) continue;
            std::string target = f.folder[0] == '%' && !StartsWithNoCase(f.folder, "%INSTDIR%")
                                     ? Expand(f.folder) + f.name
                                     : base + "\\" + f.folder.substr(f.folder[0] == '%' ? 10 : 1) + f.name;
            if (target.size() > 255)
                Add("_FILE1.SCR", f.line, true,
                    "\"" + f.name + "\" lands at a path of " + std::to_string(target.size()) +
                        " characters under the default folder (" + target.substr(0, 40) +
                        "...); Windows takes 255: shorten the folders or the name");
        }
    }

    void Libraries() const {
        std::string plugin = SetupFilePath(p.folder, "vtdllx.dll"), odbc = SetupFilePath(p.folder, "odbcdll.dll");
        struct stat st;
        bool hasPlugin = stat(plugin.c_str(), &st) == 0, hasOdbc = stat(odbc.c_str(), &st) == 0;
        for (const std::string &path : {plugin, odbc}) {
            if (stat(path.c_str(), &st) != 0) continue;
            std::string problem = LibraryProblem(path);
            if (!problem.empty())
                out->push_back({path, 0, true, problem + "; the setup stops when it loads it"});
        }
        if (!hasPlugin)
            for (const IniKey &k : *p.keys)
                if (!strcasecmp(k.section.c_str(), "DLG") && !strncasecmp(k.key.c_str(), "DLL", 3) && LeadingNumber(k.value))
                    Add("_SFX.DLG", k.line, false,
                        "\"" + k.key + "\" calls the plug-in, but the product has no vtdllx.dll");
        if (!hasOdbc && LeadingNumber(Value("ODBC", "#")) > 0)
            Add("_SFX.DLG", Key("ODBC", "#")->line, false,
                "[ODBC] has items, but the product has no odbcdll.dll to install them with");
    }
};

}  // namespace

long LeadingNumber(const std::string &s) {
    long n = 0;
    for (char c : s) {
        if (!isdigit((unsigned char)c)) break;
        if (n < 100000000) n = n * 10 + (c - '0');
    }
    return n;
}

std::string SetupFilePath(const std::string &folder, const std::string &name) {
    std::string exact = folder + "/" + name;
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) return exact;
    if (DIR *d = opendir(folder.c_str())) {
        while (dirent *e = readdir(d)) {
            if (strcasecmp(e->d_name, name.c_str())) continue;
            exact = folder + "/" + e->d_name;
            break;
        }
        closedir(d);
    }
    return exact;
}

void CheckProductRules(const ProductFacts &facts, std::vector<Finding> *findings) {
    Rules r = {facts, findings};
    r.RegistryRoots();
    r.RunBoxes();
    r.DefaultTypes();
    r.IniFiles();
    r.Targets();
    r.ActionPaths();
    r.SetVariables();
    r.Folder();
    r.Libraries();
}
