// The product checker as an author meets it: one fault at a time in a copy
// of the sample product, each reported with its file and line; damaged
// script files give a message, never a crash; a faulty product is not built.
#include <gtest/gtest.h>
#include "buildtool/script_keys.h"
#include "tests/host/tool_run.h"
#include <dirent.h>
#include <string.h>
#include <algorithm>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>

namespace {

class ProductCheckTest : public ::testing::Test {
  protected:
    std::string dir, product;
    void SetUp() override {
        char tmpl[] = "/tmp/check-test.XXXXXX";
        dir = mkdtemp(tmpl);
        product = dir + "/p";
        system(("cp -r " SAMPLE_DIR " " + product).c_str());
        // The build puts the uninstaller it made beside the sample's files.
        system(("printf MZ > " + product + "/uninstx.exe").c_str());
    }
    void TearDown() override { system(("rm -rf " + dir).c_str()); }
};

// Each case added to the end of a sample file (line: of the finding, counted
// from that end; 0: the finding names its own file and line) or, with line
// -1, written in place of the file.
TEST_F(ProductCheckTest, EachFaultWithFileAndLine) {
    std::mt19937 rng(7);
    std::string junk;
    for (int i = 0; i < 3000; i++) junk += (char)rng();
    struct Case {
        const char *file;
        std::string added;
        int line;
        const char *expected;
    } cases[] = {
        {"_FILE1.SCR", Record("gone.txt", "\\"), 1, "error: \"gone.txt\" is not in the product folder"},
        {"_FILE1.SCR", "|a|b|\r\n", 1, "error: a file record has 23 fields"},
        {"_FILE1.SCR", Record("readme.txt", "\\", "12"), 1, "error: overwrite mode 12 does not exist (0 to 9)"},
        {"_FILE1.SCR", Record("readme.txt", "\\", "1", "Q"), 1, "error: field 20 names component \"Q\", which [CMP] does not define"},
        {"_FILE1.SCR", Record("readme.txt", "%BILLBOARD%\\"), 1, "error: billboard \"readme.txt\" is not a Windows bitmap"},
        {"_FILE1.SCR", "\r\n" + Record("licence.txt", "\\x\\"), 1, "error: a line this short ends the file script; the 1 records"},
        {"_FILE1.SCR", Record("My File.txt", "\\My Docs\\") + Record("n\xC3\xA9.txt", "\\"), 2, "warning: file name \"n\xC3\xA9.txt\" is not plain ASCII"},
        {"_FILE1.SCR", Record("AUX.txt", "\\"), 1, "error: file name (field 22) \"AUX.txt\" is a device name"},
        {"_FILE1.SCR", Record("readme.txt", "\\..\\..\\"), 1, "error: folder text (field 23) \"\\..\\..\\\" holds a \"..\""},
        {"_SFX.DLG", "[GRP]\nNdx=1\n+1a=1\n+2a=1\n", 4, "error: [GRP] item 2 lies past \"Ndx\" (1), so it is never read"},
        {"_SFX.DLG", "[RUN]\nNdx=2\n+1a=x.exe\n", 2, "error: [RUN] \"Ndx\" is 2 but item 2 has no keys"},
        {"_SFX.DLG", "[CLA]\nNdx=2\n+1=CW50\n", 2, "error: [CLA] \"Ndx\" is 2 but item 2 has no keys"},
        {"_SFX.DLG", "[DLG]\nC65=Installing %PRODUKT%\n", 2, "warning: variable %PRODUKT% is used but never set"},
        {"_SFX.DLG", "[UNINST]\nRegister=1\nName=Sample\\Suite\n", 3, "error: [UNINST] \"Name\" names a registry key, which holds no \"\\\""},
        {"_SFX.DLG", "[DLG]\nDetectIFU=1\n", 2, "warning: unknown key \"DetectIFU\" in [DLG]; did you mean \"DetectIUF\"?"},
        {"_SFX.DLG", "[DLG]\nC14=&Browse...\n", 2, "warning: \"C14\" and \"C6\" (line 19) both take Alt+B on the destination page"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=950\n+1t=30\n", 3, "error: action 1 has the type 950, which does not exist"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=700\n+1t=20\n+1p1=2\n", 4, "error: action 1 (type 700) has the phase 20"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=400\n+1t=30\n+1z=C\n", 5, "error: \"+1z\" names component \"C\""},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=1800\n+1t=20\n+1sg=INFO\n", 0, "_DLG.SCR:0: error: no [STR INFO] block"},
        {"_SFX.DLG", "[DLG]\r\nTI=x\r\n" + junk, -1, "_SFX.DLG:3: error: binary data"},
        {"_SFX.DLG", "[DLG]\r\n" + std::string(1100000, 'x'), 0, "_SFX.DLG:0: error: larger than 1 MB"},
        {"_DLG.SCR", "[STR FIN]\r\n" + std::string(5000, 'w') + "\r\n[END FIN]\r\n", 2, "error: line of 5000 characters"},
        {"_SFX.DLG", "[DLG]\rTI=x\rZ1=1\r", -1, "_SFX.DLG:1: error: line ends with CR alone"},
        {"_SFX.DLG", "\xEF\xBB\xBF[DLG]\r\nTI=x\r\n", -1, "_SFX.DLG:1: error: starts with a UTF-8 byte-order mark"},
        // Text blocks with LF alone: the build writes them with CR LF.
        {"_DLG.SCR", "[STR NOTE]\nA note\n[END NOTE]\n", 1, "warning: line ends with LF alone; the build writes the text blocks with CR LF"},
        // The product's own libraries.
        {"_SFX.DLG", "[DLG]\nDLL300=1\n", 2, "warning: \"DLL300\" calls the plug-in, but the product has no vtdllx.dll"},
        {"odbcdll.dll", "not a library\r\n", -1, "odbcdll.dll:0: error: is no Windows library"},
        // Variables set and never expanded, a folder never expanded, no folder.
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=1400\n+1t=10\n+1p1=%DATA%\n+1p2=x\n", 5, "warning: action 1 (type 1400) sets %DATA%, which [VARIABLES] does not list under a number"},
        {"_SFX.DLG", "[DLG]\r\nDF=%PROGRAMFILESDIR%\\Sample\r\n", -1, "_SFX.DLG:2: warning: \"DF\" is used as it is written, never expanded"},
        {"_SFX.DLG", "[DLG]\r\nTI=x\r\n", -1, "_SFX.DLG:0: warning: [DLG] \"DF\" is not set: the files go to the root of drive C:"},
        // List values the engine does not know or cannot use.
        {"_SFX.DLG", "[GRP]\nNdx=1\n+1a=9\n+1e=program.txt\n+1f=P.lnk\n", 3, "error: [GRP] item 1: registry root \"9\" does not exist"},
        {"_SFX.DLG", "[REG]\nNdx=1\n+1a=0\n+1b=Software\\X\n", 3, "error: [REG] item 1: registry root \"0\" does not exist"},
        {"_SFX.DLG", "[REG]\nNdx=1\n+1a=2\n+1b=\n", 4, "error: [REG] item 1: no registry key"},
        {"_SFX.DLG", "[RUN]\nNdx=1\n+1a=%INSTDIR%\\program.txt\n+1cb=5\n", 4, "error: [RUN] item 1: check box 5 does not exist (1 to 3"},
        {"_SFX.DLG", "[RUN]\nNdx=1\n+1a=%INSTDIR%\\program.txt\n+1cb=1\n", 4, "warning: [RUN] item 1 starts with check box 1, which has no text"},
        {"_SFX.DLG", "[TYP]\nNdx=2\n+1a=A\n+1c=1\n+2a=B\n+2c=1\n", 6, "warning: [TYP] item 2 is a default type too; type 1, the first"},
        {"_SFX.DLG", "[INI]\nNdx=1\n+1a=..\\..\\windows\\x.ini\n+1b=S\n+1c=K\n", 3, "error: [INI] item 1: INI file \"..\\..\\windows\\x.ini\" climbs out"},
        {"_SFX.DLG", "[GRP]\nNdx=1\n+1e=bin\\tool.exe\n+1f=Tool.lnk\n", 3, "warning: [GRP] item 1: \"bin\\tool.exe\" is no file the product installs"},
        {"_SFX.DLG", "[RUN]\nNdx=1\n+1a=%INSTDIR%\\setup.exe\n", 3, "warning: [RUN] item 1: \"%INSTDIR%\\setup.exe\" is no file the product installs"},
        // Actions that reach outside the installation folder.
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=300\n+1t=50\n+1p1=%INSTDIR%\\..\\\n+1w=*.*\n", 5, "warning: action 1 (type 300): p1 \"%INSTDIR%\\..\\\" can reach outside the installation folder"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=300\n+1t=50\n+1p1=C:\\\n+1w=*\n", 5, "error: action 1 (type 300) deletes files in \"C:\\\", a drive root or the Windows or system folder"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=500\n+1t=60\n+1p1=C:\\\n", 5, "error: action 1 (type 500) deletes files in \"C:\\\""},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=500\n+1t=60\n+1p1=%SYSDIR%\\\n+1w=*.dll\n", 5, "error: action 1 (type 500) deletes files in \"%SYSDIR%\\\""},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=200\n+1t=50\n+1p1=%INSTDIR%\\a.dll\n+1p2=%SYSDIR%\\kernel32.dll\n", 6, "warning: action 1 (type 200): p2 \"%SYSDIR%\\kernel32.dll\" can reach outside"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=700\n+1t=50\n+1p1=1\n+1p2=%WINDIR%\\win.ini\n", 6, "warning: action 1 (type 700): p2 \"%WINDIR%\\win.ini\" can reach outside"},
        {"_SFX.DLG", "[ACT]\nNdx=1\n+1a=2000\n+1t=50\n+1p1=%INSTDIR%\\fonts\n+1p2=%WINDIR%\n", 6, "warning: action 1 (type 2000): p2 \"%WINDIR%\" can reach outside"},
        // A target longer than Windows takes under the default folder.
        {"_FILE1.SCR", Record(std::string(200, 'n'), "\\" + std::string(60, 'f') + "\\"), 1, "error: \"nnnnnnnnnn"},
    };
    for (const Case &c : cases) {
        SetUp();
        Spit(product + "/My File.txt", "blank in the name\r\n");
        Spit(product + "/n\xC3\xA9.txt", "accent\r\n");
        Spit(product + "/AUX.txt", "device\r\n");
        system(("mkdir -p " + product + "/files/A/" + std::string(60, 'f')).c_str());
        Spit(product + "/files/A/" + std::string(60, 'f') + "/" + std::string(200, 'n'), "long\r\n");
        std::string path = product + "/" + c.file, old = Slurp(path);
        Spit(path, c.line < 0 ? c.added : old + c.added);
        ToolRun r = Tool("check " + product, dir);
        std::string expected = c.expected;
        EXPECT_EQ(r.status, expected.find("error:") != std::string::npos ? 1 : 0) << expected << "\n" << r.out;
        if (c.line > 0)
            expected = std::string(c.file) + ":" + std::to_string(std::count(old.begin(), old.end(), '\n') + c.line) +
                       ": " + expected;
        EXPECT_NE(r.out.find(product + "/" + expected), std::string::npos) << r.out;
        TearDown();
    }
}

// The sample builds with its summary alone; a fault stops the build and
// keeps the program built before.
TEST_F(ProductCheckTest, BuildStopsOnErrorsAndKeepsTheOldProgram) {
    std::string engine = dir + "/engine.exe", lib = dir + "/lib.dll", out = dir + "/setup.exe";
    Spit(engine, "MZ" + std::string(40000, 'e'));
    Spit(lib, "MZ" + std::string(30000, 'l'));
    ToolRun r = Tool("build " + engine + " " + lib + " " + product + " " + out, dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.compare(0, out.size() + 13, out + ": 10 entries,"), 0) << r.out;
    std::string good = Slurp(out), script = Slurp(product + "/_FILE1.SCR");
    std::string line = std::to_string(std::count(script.begin(), script.end(), '\n') + 1);
    Spit(product + "/_FILE1.SCR", script + Record("gone.txt", "\\"));
    r = Tool("build " + engine + " " + lib + " " + product + " " + out, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("_FILE1.SCR:" + line + ": error: \"gone.txt\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(product + ": 1 error; nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(out), good);
}

// A product from the scaffold checks clean; a scan lists a nested tree by
// component and folder and keeps what the author changed by hand.
TEST_F(ProductCheckTest, NewAndScan) {
    std::string p = dir + "/new";
    ASSERT_EQ(Tool("new " + p + " \"Scaffold Product\"", dir).status, 0);
    ToolRun r = Tool("check " + p, dir);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(Tool("new " + p, dir).status, 0);  // never over an existing product
    // Listed in Add/Remove Programs, it needs the uninstaller that removes it.
    std::string main = Slurp(p + "/_SFX.DLG");
    Spit(p + "/_SFX.DLG", main + "[UNINST]\r\nRegister=1\r\n");
    r = Tool("check " + p, dir);
    EXPECT_NE(r.out.find("_SFX.DLG:" + std::to_string(std::count(main.begin(), main.end(), '\n') + 2) +
                         ": error: [UNINST] \"Register\" lists the product in Add/Remove Programs"),
              std::string::npos) << r.out;
    Spit(p + "/_SFX.DLG", main);

    system(("mkdir -p " + p + "/files/A/docs/deep " + p + "/files/b/extra").c_str());
    Spit(p + "/files/A/docs/deep/a.txt", "a");
    Spit(p + "/files/b/extra/readme.txt", "b");
    r = Tool("scan " + p, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3 records: 2 new, 1 kept as they were, 0 dropped (file gone)\n");
    std::string script = Slurp(p + "/_FILE1.SCR");
    EXPECT_NE(script.find("|a.txt||||1|||||||||||||||A||a.txt|\\docs\\deep\\|\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("|B||readme.txt|\\extra\\|\r\n"), std::string::npos) << script;
    // Component B is not defined yet: the checker says so on its line.
    r = Tool("check " + p, dir);
    EXPECT_NE(r.out.find("_FILE1.SCR:3: error: field 20 names component \"B\""), std::string::npos) << r.out;

    size_t at = script.find("|a.txt||||1|");
    script.replace(at, 12, "|Text A||||9|");
    Spit(p + "/_FILE1.SCR", script);
    remove((p + "/files/A/readme.txt").c_str());
    r = Tool("scan " + p, dir);
    EXPECT_EQ(r.out, "2 records: 0 new, 2 kept as they were, 1 dropped (file gone)\n");
    EXPECT_NE(Slurp(p + "/_FILE1.SCR").find("|Text A||||9|"), std::string::npos);

    // Links are not followed (two that lead back up would go round for
    // ever), a name no record can hold is left out, and the uninstaller's
    // record, whose file the build adds, stays.
    Spit(p + "/_FILE1.SCR", Slurp(p + "/_FILE1.SCR") + Record("uninstx.exe", "\\"));
    system(("ln -s .. " + p + "/files/A/docs/up && ln -s ../.. " + p + "/files/b/extra/top").c_str());
    Spit(p + "/files/A/a|b.txt", "bar");
    r = Tool("scan " + p, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "3 records: 0 new, 3 kept as they were, 0 dropped (file gone), 1 files left out, 2 links not followed\n");
    EXPECT_NE(r.err.find("files/A/docs/up: a link; links are not followed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("files/A/a|b.txt: a name with \"|\", CR or LF"), std::string::npos) << r.err;
    EXPECT_NE(Slurp(p + "/_FILE1.SCR").find(Record("uninstx.exe", "\\")), std::string::npos);
}

// The guide's key tables are the checker's own list: rewrite them with
// `mksetup keys` when a key is added.
TEST_F(ProductCheckTest, GuideKeyTablesMatchTheChecker) {
    std::string guide = Slurp(GUIDE_PATH), marker = "<!-- generated by: mksetup keys -->\n";
    size_t at = guide.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(guide.substr(at + marker.size()), Tool("keys", dir).out);
}

// The keys the engine and the support library read, found in their sources
// (the reading calls with a written section and key, and the texts a key
// is made from), against the checker's catalogue: each read key is known
// to the checker, and each key the checker knows is read.
TEST_F(ProductCheckTest, CatalogueIsTheKeysTheEngineReads) {
    std::map<std::string, std::string> sources;  // file: text
    for (const char *folder : {"base", "startup", "payload", "script", "wizard", "install", "actions", "display",
                               "supportlib"}) {
        DIR *d = opendir((std::string(SOURCE_DIR) + "/" + folder).c_str());
        while (dirent *e = d ? readdir(d) : 0) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".cpp") == 0)
                sources[std::string(folder) + "/" + n] = Slurp(std::string(SOURCE_DIR) + "/" + folder + "/" + n);
        }
        if (d) closedir(d);
    }
    ASSERT_GT(sources.size(), 30u);
    struct Form {
        std::regex call;
        const char *section;  // null: the first group names it
        const char *prefix;   // before the key group ("+1" for a list field)
    } forms[] = {
        {std::regex(R"re(ReadDlg(?:Text|Int)\(\s*"([^"]+)")re"), "DLG", ""},
        {std::regex(R"re((?:ReadSetting(?:Int)?|GetPrivateProfile(?:String|Int)A)\(\s*"([A-Z]+)",\s*"([^"]+)")re"), 0, ""},
        {std::regex(R"re(ReadListField(?:Int)?\(\s*"([A-Z]+)",[^,]+,\s*"([^"]+)")re"), 0, "+1"},
    };
    std::set<const ScriptKey *> read;
    for (const auto &source : sources) {
        for (const Form &f : forms) {
            for (std::sregex_iterator m(source.second.begin(), source.second.end(), f.call), end; m != end; ++m) {
                std::string section = f.section ? f.section : (*m)[1].str();
                std::string key = f.prefix + (*m)[f.section ? 1 : 2].str();
                const ScriptKey *known = FindScriptKey(section, key);
                EXPECT_TRUE(known) << source.first << " reads [" << section << "] \"" << key
                                   << "\", which the checker does not know";
                if (known) read.insert(known);
            }
        }
    }
    // Keys made from a format, named in a table or built letter by letter;
    // a list field's letters in a source that names its section; the
    // variables' values, read by their names.
    std::string all;
    for (const auto &source : sources) all += source.second;
    for (const ScriptKey *k = kScriptKeys; k->section; k++) {
        if (read.count(k) || !strcmp(k->key, "%NAME%")) continue;
        std::string key = k->key;
        if (key.compare(0, 3, "+%i") == 0 && key.find('%', 3) == std::string::npos) {
            bool named = false;
            for (const auto &source : sources)
                named = named || (source.second.find("\"" + key.substr(3) + "\"") != std::string::npos &&
                                  source.second.find(std::string("\"") + k->section + "\"") != std::string::npos);
            if (named) continue;
        }
        std::string example = key;
        size_t at = example.find("%i");
        if (at != std::string::npos) example.replace(at, 2, "1");
        std::string letters;
        for (char c : key.substr(0, key.find('%'))) letters += std::string(letters.empty() ? "'" : ", '") + c + "'";
        bool found = all.find("\"" + key + "\"") != std::string::npos || all.find("\"" + example + "\"") != std::string::npos ||
                     (key.find("%i") != std::string::npos && key[0] != '+' && all.find(letters) != std::string::npos);
        EXPECT_TRUE(found) << "the checker knows [" << k->section << "] \"" << k->key << "\", which nothing reads";
    }
}

}  // namespace
