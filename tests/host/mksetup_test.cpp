// The build tool as a program: a setup program from a product folder, its
// listing and verification, the faults verification catches, and the inputs
// it refuses.
#include <gtest/gtest.h>
#include "payload/payload_layout.h"
#include "tests/host/tool_run.h"
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

// The expanded data of the named entry, found by the listing's offset.
std::string EntryData(const std::string &setup, const std::string &listing, const std::string &name) {
    size_t at = listing.find(" " + name + "\n");
    if (at == std::string::npos) return "(no entry " + name + ")";
    size_t start = listing.rfind('\n', at);
    size_t offset = strtoul(listing.c_str() + (start == std::string::npos ? 0 : start + 1), 0, 10);
    const unsigned char *h = (const unsigned char *)setup.data() + offset;
    auto get = [&](int at, int n) {
        unsigned v = 0;
        for (int i = n - 1; i >= 0; i--) v = v << 8 | h[at + i];
        return v;
    };
    std::string out(get(ENTRY_OFF_EXPANDED, 4), '\0');
    z_stream z = {};
    inflateInit2(&z, -15);
    z.next_in = (Bytef *)h + ENTRY_HEADER_SIZE + get(ENTRY_OFF_NAMELEN, 2) + get(ENTRY_OFF_EXTRALEN, 2);
    z.avail_in = get(ENTRY_OFF_STORED, 4);
    z.next_out = (Bytef *)&out[0];
    z.avail_out = (uInt)out.size();
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return out;
}

class MksetupTest : public ::testing::Test {
  protected:
    std::string dir, product;
    void SetUp() override {
        char tmpl[] = "/tmp/mksetup-test.XXXXXX";
        dir = mkdtemp(tmpl);
        product = dir + "/product";
        system(("mkdir -p " + product).c_str());
        Spit(dir + "/engine.exe", std::string("MZ") + std::string(50000, 'e'));
        std::string dll = "MZ";
        for (int i = 0; i < 30000; i++) dll += (char)("\x00\x10\x8B\xFFsupport"[i % 10]);
        Spit(dir + "/lib.dll", dll);
        for (const char *n : {"_PIC0.IMG", "_PIC1.IMG", "_PIC2.IMG", "_DLG.SCR"})
            Spit(product + "/" + n, std::string("content of ") + n);
        Spit(product + "/_SFX.DLG", "[DLG]\r\nTI=Test\r\n[SIG]\r\nCheckSum=1\r\n");
        Spit(product + "/_FILE1.SCR", Record("readme.txt", "\\") + Record("tool.exe", "bin\\"));
        Spit(product + "/readme.txt", "read me\r\n");
        std::string tool;
        std::mt19937 rng(1);
        for (int i = 0; i < 100000; i++) tool += (char)(rng() % 7);
        Spit(product + "/tool.exe", tool);
    }
    void TearDown() override { system(("rm -rf " + dir).c_str()); }
    // Unchecked: the builder's own refusals, without the product check first.
    ToolRun Build(bool unchecked = false) {
        return Tool(std::string("build ") + (unchecked ? "--unchecked " : "") + dir + "/engine.exe " + dir + "/lib.dll " + product + " " + dir + "/setup.exe", dir);
    }
};

}  // namespace

TEST_F(MksetupTest, BuildsListsAndVerifies) {
    ToolRun b = Build();
    ASSERT_EQ(b.status, 0) << b.err;
    // Texts the engine may show that the script lacks: warned of.
    for (const char *key : {"\"C67\"", "\"C86\"", "\"C25\"", "\"CA\""})
        EXPECT_NE(b.err.find(std::string("warning: ") + product + "/_SFX.DLG: [DLG] " + key), std::string::npos) << b.err;
    std::string setup = Slurp(dir + "/setup.exe");
    EXPECT_EQ(setup.compare(0, 2, "MZ"), 0);
    EXPECT_EQ(setup.compare(PAYLOAD_LIBRARY_OFFSET, 4, "SZDD"), 0);
    ToolRun l = Tool("list " + dir + "/setup.exe", dir);
    ASSERT_EQ(l.status, 0) << l.err;
    // Setup files first, main script last among them, then the file script's order.
    const char *order[] = {"_PIC0.IMG", "_PIC1.IMG", "_PIC2.IMG", "_DLG.SCR", "_FILE1.SCR", "_SFX.DLG",
                           "readme.txt", "tool.exe"};
    size_t at = 0;
    for (const char *n : order) {
        size_t p = l.out.find(std::string(" ") + n + "\n", at);
        ASSERT_NE(p, std::string::npos) << n << "\n" << l.out;
        at = p;
    }
    EXPECT_NE(l.out.find("bin\\ tool.exe"), std::string::npos) << l.out;
    ToolRun v = Tool("verify " + dir + "/setup.exe", dir);
    EXPECT_EQ(v.status, 0) << v.err;
}

// A product of 1 GiB under an address-space limit of 256 MiB: the build
// reads, packs and writes one entry at a time, and the program verifies
// (every byte decoded against its CRC-32, the checksum over the file).
TEST_F(MksetupTest, LargeProductBuildsInBoundedMemory) {
    ASSERT_EQ(truncate((product + "/tool.exe").c_str(), 1LL << 30), 0);
    const std::string limit = "ulimit -v 262144; ";
    ToolRun b = Tool("build " + dir + "/engine.exe " + dir + "/lib.dll " + product + " " + dir + "/setup.exe", dir,
                     limit);
    ASSERT_EQ(b.status, 0) << b.err;
    ToolRun l = Tool("list " + dir + "/setup.exe", dir, limit);
    EXPECT_NE(l.out.find(std::to_string(1u << 30) + " "), std::string::npos) << l.out;
    ToolRun v = Tool("verify " + dir + "/setup.exe", dir, limit);
    EXPECT_EQ(v.status, 0) << v.err;
}

// Damaged data, engine image, entry header or stored size, a program cut
// short, an entry name that climbs out of its folder, no main script, an
// entry without its file-script record.
TEST_F(MksetupTest, VerifyCatchesDamage) {
    ASSERT_EQ(Build().status, 0);
    std::string good = Slurp(dir + "/setup.exe"), listing = Tool("list " + dir + "/setup.exe", dir).out;
    size_t lastLine = listing.rfind('\n', listing.size() - 2);
    size_t lastEntry = strtoul(listing.c_str() + (lastLine == std::string::npos ? 0 : lastLine + 1), 0, 10);
    ASSERT_GT(lastEntry, (size_t)PAYLOAD_FIRST_ENTRY);
    std::string dataFlip = good, imageFlip = good, sig = good, past = good, climb = good, noScript = good;
    dataFlip[good.size() - 100] ^= 0x55;                      // inside tool.exe's data
    imageFlip[1000] ^= 1;                                     // engine image: checksum
    sig[PAYLOAD_FIRST_ENTRY + 1] = 'X';                       // bad signature
    past[PAYLOAD_FIRST_ENTRY + ENTRY_OFF_STORED + 3] = 0x7F;  // stored size past the end
    climb.replace(climb.find("readme.txt\\", PAYLOAD_FIRST_ENTRY), 10, "..\\dme.txt");
    noScript.replace(noScript.find("_SFX.DLG\\", PAYLOAD_FIRST_ENTRY), 8, "_SFX.DLX");
    struct Case {
        std::string bytes;
        const char *says;
    } cases[] = {{dataFlip, "entry tool.exe: damaged data"},
                 {imageFlip, "bad.exe: checksum "},
                 {sig, "bad entry header at offset"},
                 {past, "entry _PIC0.IMG stores"},
                 {good.substr(0, good.size() - 10), "entry tool.exe stores"},
                 {good.substr(0, 120000), "shorter than the payload offset"},
                 {climb, "leads out of its folder"},
                 {noScript, "no main script"},
                 {good + good.substr(lastEntry), "tool.exe has no file-script record"}};
    for (const Case &c : cases) {
        Spit(dir + "/bad.exe", c.bytes);
        ToolRun v = Tool("verify " + dir + "/bad.exe", dir);
        EXPECT_NE(v.status, 0) << c.says;
        EXPECT_NE(v.err.find(c.says), std::string::npos) << v.err;
    }
}

// An image past the library's offset, a library too large expanded or
// packed, a missing setup file, a name longer than the format holds, a
// file larger than an entry holds.
TEST_F(MksetupTest, RefusesWhatDoesNotFit) {
    std::string noise;
    std::mt19937 rng(2);
    for (int i = 0; i < 40000; i++) noise += (char)rng();
    struct Case {
        std::string file, bytes;
        std::vector<std::string> says;
    } cases[] = {{"engine.exe", std::string(PAYLOAD_LIBRARY_OFFSET + 1, 'e'), {"engine.exe", "102913"}},
                 {"lib.dll", std::string(PAYLOAD_LIBRARY_SIZE + 1, 'l'), {"46081"}},
                 {"lib.dll", noise, {"lib.dll", "26089"}},
                 {"product/_DLG.SCR", "", {"_DLG.SCR: missing"}},
                 {"product/_FILE1.SCR", Record(std::string(300, 'n'), "\\"), {"300"}}};
    // A file past an entry's 4 GiB, sparse here: refused from its size, unread.
    ASSERT_EQ(truncate((product + "/tool.exe").c_str(), 0x100000000LL), 0);
    ToolRun big = Build();
    EXPECT_NE(big.status, 0);
    EXPECT_NE(big.err.find("tool.exe: 4294967296 bytes"), std::string::npos) << big.err;
    EXPECT_NE(access((dir + "/setup.exe").c_str(), F_OK), 0);
    TearDown();
    for (const Case &c : cases) {
        SetUp();
        if (c.bytes.empty()) remove((dir + "/" + c.file).c_str());
        else Spit(dir + "/" + c.file, c.bytes);
        Spit(product + "/" + std::string(250, 'n'), "x");
        ToolRun r = Build(true);
        EXPECT_NE(r.status, 0) << c.file;
        for (const std::string &text : c.says) EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        TearDown();
    }
}

// Names and folder texts that lead out of the installation folder: the
// build refuses their records with file and line (verify refuses a program
// that carries them: VerifyCatchesDamage).
TEST_F(MksetupTest, EscapingNamesAreRefused) {
    Spit(product + "/_FILE1.SCR", Record("readme.txt", "\\") + Record("AUX.txt", "\\") +
                                      Record("tool.exe", "%INSTDIR%\\..\\..\\"));
    Spit(product + "/AUX.txt", "x");
    ToolRun r = Build(true);  // the builder refuses them itself, checked or not
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("_FILE1.SCR:2: entry name \"AUX.txt\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("_FILE1.SCR:3: folder text \"%INSTDIR%\\..\\..\\\""), std::string::npos) << r.err;
}

// Text scripts with LF alone are packed with CR LF (the pages' text-block
// scan steps over two characters a line end); a plug-in is found whatever
// the case of its name; a summary line on success.
TEST_F(MksetupTest, PacksTextScriptsWithCrLfAndThePluginByAnyName) {
    Spit(product + "/_DLG.SCR", "[STR WEL]\nHello\r\nWorld\n[END WEL]\n");
    Spit(product + "/_SFX.DLG", "[DLG]\nTI=Test\n");
    Spit(product + "/_FILE1.SCR", "|Read me||||1|||||||||||||||||readme.txt|\\|\n");
    Spit(product + "/VTDLLX.DLL", FakeProgram(0x14C, true));
    ToolRun b = Build(true);
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_NE(b.out.find("setup.exe: 8 entries, "), std::string::npos) << b.out;
    std::string setup = Slurp(dir + "/setup.exe"), listing = Tool("list " + dir + "/setup.exe", dir).out;
    EXPECT_EQ(EntryData(setup, listing, "_DLG.SCR"), "[STR WEL]\r\nHello\r\nWorld\r\n[END WEL]\r\n");
    EXPECT_EQ(EntryData(setup, listing, "_SFX.DLG").substr(0, 16), "[DLG]\r\nTI=Test\r\n");
    EXPECT_EQ(EntryData(setup, listing, "_FILE1.SCR"), "|Read me||||1|||||||||||||||||readme.txt|\\|\r\n");
    EXPECT_EQ(EntryData(setup, listing, "vtdllx.dll"), FakeProgram(0x14C, true));
    ToolRun v = Tool("verify " + dir + "/setup.exe", dir);
    EXPECT_EQ(v.status, 0) << v.err;
    EXPECT_NE(v.out.find("setup.exe: 8 entries, " + std::to_string(setup.size()) + " bytes"), std::string::npos) << v.out;
}

// An engine and a library that cannot run together: refused by the build,
// and by verify in a setup program whose engine was changed afterwards.
TEST_F(MksetupTest, EngineAndLibraryMustMatch) {
    struct Case {
        unsigned engineMachine;
        bool engineDll;
        unsigned libraryMachine;
        bool libraryDll;
        const char *says;
    } cases[] = {{0x8664, false, 0x14C, true, "lib.dll: a 32-bit library with a 64-bit engine"},
                 {0x14C, false, 0x8664, true, "lib.dll: a 64-bit library with a 32-bit engine"},
                 {0x14C, true, 0x14C, false, "the engine and the support library are swapped"},
                 {0x14C, true, 0x14C, true, "engine.exe: a library, not the engine's program image"},
                 {0x14C, false, 0x14C, false, "lib.dll: a program, not the support library"}};
    for (const Case &c : cases) {
        Spit(dir + "/engine.exe", FakeProgram(c.engineMachine, c.engineDll, 50000));
        Spit(dir + "/lib.dll", FakeProgram(c.libraryMachine, c.libraryDll));
        ToolRun b = Build(true);
        EXPECT_EQ(b.status, 1) << c.says;
        EXPECT_NE(b.err.find(c.says), std::string::npos) << b.err;
        EXPECT_NE(access((dir + "/setup.exe").c_str(), F_OK), 0);
    }
    Spit(dir + "/engine.exe", FakeProgram(0x14C, false, 50000));
    Spit(dir + "/lib.dll", FakeProgram(0x14C, true));
    ASSERT_EQ(Build(true).status, 0);
    std::string setup = Slurp(dir + "/setup.exe");
    setup[0x84] = 0x64, setup[0x85] = (char)0x86;
    Spit(dir + "/setup.exe", setup);
    ToolRun v = Tool("verify " + dir + "/setup.exe", dir);
    EXPECT_EQ(v.status, 1);
    EXPECT_NE(v.err.find("(its support library): a 32-bit library with a 64-bit engine"), std::string::npos) << v.err;
}

// Without the engine and library named, the build takes those beside the
// tool (or in the build's win-i686/bin) of the width asked for, and the
// uninstaller of the same build when the file script names one the
// product lacks.
TEST_F(MksetupTest, TakesTheProgramsOfItsOwnBuild) {
    std::string tools = dir + "/tools";
    system(("mkdir -p " + tools + " && cp " MKSETUP_PATH " " + tools + "/mksetup").c_str());
    Spit(tools + "/setupeng.exe", FakeProgram(0x14C, false, 50000));
    Spit(tools + "/supportlib.dll", FakeProgram(0x14C, true));
    Spit(tools + "/uninstx.exe", "MZ uninstaller of this build");
    Spit(product + "/_FILE1.SCR", Record("readme.txt", "\\") + Record("uninstx.exe", "\\"));
    std::string run = tools + "/mksetup build --unchecked " + product + " " + dir + "/setup.exe >" + dir +
                      "/out.txt 2>" + dir + "/err.txt";
    ASSERT_EQ(system(run.c_str()), 0) << Slurp(dir + "/err.txt");
    EXPECT_NE(Slurp(dir + "/out.txt").find("setup.exe: 8 entries"), std::string::npos) << Slurp(dir + "/out.txt");
    std::string listing = Tool("list " + dir + "/setup.exe", dir).out;
    EXPECT_EQ(EntryData(Slurp(dir + "/setup.exe"), listing, "uninstx.exe"), "MZ uninstaller of this build");
    // Checked, the product passes with the uninstaller it lacks.
    run = tools + "/mksetup check " + product + " >" + dir + "/out.txt";
    system(run.c_str());
    EXPECT_EQ(Slurp(dir + "/out.txt").find("uninstx.exe"), std::string::npos) << Slurp(dir + "/out.txt");
    // No 64-bit engine there: the build says where it looked.
    run = tools + "/mksetup build --64 " + product + " " + dir + "/setup64.exe 2>" + dir + "/err.txt";
    EXPECT_NE(system(run.c_str()), 0);
    EXPECT_NE(Slurp(dir + "/err.txt").find("no 64-bit setupeng.exe and supportlib.dll in " + tools),
              std::string::npos) << Slurp(dir + "/err.txt");
}

// Only regular files are read: a pipe in place of a script never holds the
// tool up, a folder in its place is no empty script.
TEST_F(MksetupTest, RefusesWhatIsNoFile) {
    for (const char *kind : {"mkfifo", "mkdir"}) {
        for (const char *name : {"_SFX.DLG", "_DLG.SCR", "_FILE1.SCR"}) {
            std::string path = product + "/" + name, old = Slurp(path);
            remove(path.c_str());
            system((std::string(kind) + " " + path).c_str());
            for (const char *command : {"check ", "build "}) {
                std::string args = std::string(command) + (command[0] == 'b' ? dir + "/engine.exe " + dir + "/lib.dll " : "") + product +
                                   (command[0] == 'b' ? " " + dir + "/setup.exe" : "");
                ToolRun r = Tool(args, dir, "timeout 10");  // a pipe once held it for ever
                EXPECT_EQ(r.status, 1) << kind << " " << name << " " << command << r.out << r.err;
                EXPECT_NE((r.out + r.err).find(std::string(name) + ":0: error: is no file"), std::string::npos)
                    << kind << " " << name << "\n" << r.out << r.err;
            }
            EXPECT_NE(access((dir + "/setup.exe").c_str(), F_OK), 0);
            system(("rm -rf " + path).c_str());
            Spit(path, old);
        }
    }
    system(("mkdir " + dir + "/folder.exe").c_str());
    for (const char *command : {"verify ", "list "}) {
        ToolRun r = Tool(command + dir + "/folder.exe", dir);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("folder.exe: is no file"), std::string::npos) << r.err;
    }
}
