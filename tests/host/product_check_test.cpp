// The product checker as an author meets it: one fault at a time in a copy
// of the sample product, each reported with its file and line; damaged
// script files give a message, never a crash; a faulty product is not built.
#include <gtest/gtest.h>
#include "tests/host/tool_run.h"
#include <algorithm>
#include <random>
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
    };
    for (const Case &c : cases) {
        SetUp();
        Spit(product + "/My File.txt", "blank in the name\r\n");
        Spit(product + "/n\xC3\xA9.txt", "accent\r\n");
        Spit(product + "/AUX.txt", "device\r\n");
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

// The sample builds without a word; a fault stops the build and keeps the
// program built before.
TEST_F(ProductCheckTest, BuildStopsOnErrorsAndKeepsTheOldProgram) {
    std::string engine = dir + "/engine.exe", lib = dir + "/lib.dll", out = dir + "/setup.exe";
    Spit(engine, "MZ" + std::string(40000, 'e'));
    Spit(lib, "MZ" + std::string(30000, 'l'));
    ToolRun r = Tool("build " + engine + " " + lib + " " + product + " " + out, dir);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    std::string good = Slurp(out), script = Slurp(product + "/_FILE1.SCR");
    std::string line = std::to_string(std::count(script.begin(), script.end(), '\n') + 1);
    Spit(product + "/_FILE1.SCR", script + Record("gone.txt", "\\"));
    r = Tool("build " + engine + " " + lib + " " + product + " " + out, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("_FILE1.SCR:" + line + ": error: \"gone.txt\""), std::string::npos) << r.err;
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
}

// The guide's key tables are the checker's own list: rewrite them with
// `mksetup keys` when a key is added.
TEST_F(ProductCheckTest, GuideKeyTablesMatchTheChecker) {
    std::string guide = Slurp(GUIDE_PATH), marker = "<!-- generated by: mksetup keys -->\n";
    size_t at = guide.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(guide.substr(at + marker.size()), Tool("keys", dir).out);
}

}  // namespace
