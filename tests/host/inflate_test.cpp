// The streaming decoder against zlib on a large mixed corpus, and its
// refusals of damaged streams.
#include <gtest/gtest.h>
#include "buildtool/memory_streams.h"
#include "corpus.h"
#include "fuzz/chunked_input.h"
#include "payload/entry_names.h"
#include "supportlib/crc32.h"
#include "supportlib/inflate.h"
#include <algorithm>
#include <memory>
#include <random>
#include <zlib.h>

namespace {

int Write(void *c, const unsigned char *buf, int len) {
    ((std::string *)c)->append((const char *)buf, len);
    return 0;
}

int Inflate(const std::string &packed, std::string *out, int chunk = INFLATE_INPUT) {
    static std::unique_ptr<InflateState> state(new InflateState);
    ChunkedInput in = {(const unsigned char *)packed.data(), packed.size(), chunk};
    out->clear();
    return InflateStream(state.get(), ReadChunked, &in, Write, out);
}

}  // namespace

// Every block kind against zlib on a large mixed corpus, each stream also
// cut in half (refused).
TEST(InflateTest, AgreesWithZlibOnMixedCorpusInAllBlockKinds) {
    std::vector<std::string> corpus = MakeCorpus(52u << 20, 7);
    // level 0 stored blocks, Z_FIXED fixed blocks, the rest dynamic.
    const int settings[][2] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_FIXED}, {9, Z_DEFAULT_STRATEGY},
                               {6, Z_HUFFMAN_ONLY}, {4, Z_RLE}, {9, Z_FILTERED}};
    for (size_t i = 0; i < corpus.size(); i++) {
        const int *s = settings[i % 6];
        std::string packed = RawDeflate(corpus[i], s[0], s[1]), out;
        EXPECT_NE(Inflate(packed.substr(0, packed.size() / 2), &out), INFLATE_OK) << i;
        // Odd input chunks move refills across every boundary.
        ASSERT_EQ(Inflate(packed, &out, i % 3 ? INFLATE_INPUT : 1 + (int)(i % 977)), INFLATE_OK) << i;
        ASSERT_EQ(out.size(), corpus[i].size()) << i;
        ASSERT_TRUE(out == corpus[i]) << i;
    }
}

// Damaged streams against zlib's verdict are the decoder fuzz target's
// work; here the reserved block type, a stored length whose complement does
// not match, and a stored block cut short.
TEST(InflateTest, ReservedBlockTypeBadStoredLengthAndTruncationAreRefused) {
    std::string out;
    EXPECT_EQ(Inflate(std::string("\x07", 1), &out), INFLATE_BAD_BLOCK);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\x00\x00hello", 10), &out), INFLATE_BAD_BLOCK);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\xFA\xFFhel", 8), &out), INFLATE_TRUNCATED);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\xFA\xFFhello", 10), &out), INFLATE_OK);
    EXPECT_EQ(out, "hello");
    EXPECT_NE(Inflate(std::string(), &out), INFLATE_OK);
}

TEST(InflateTest, Crc32BothPathsAgreeWithZlib) {
    // Both paths (multiply and tables): every length and alignment around
    // their steps (16 and 64 bytes), and sums carried over pieces, against
    // zlib's crc32.
    std::mt19937 rng(5);
    std::string data(70000, '\0');
    for (char &c : data) c = (char)rng();
    for (size_t from = 0; from < 17; from++)
        for (size_t len = 0; len < 200; len++) {
            uint32_t want = (uint32_t)crc32(0, (const Bytef *)data.data() + from, (uInt)len);
            ASSERT_EQ(Crc32Update(0, data.data() + from, len), want) << from << " " << len;
            ASSERT_EQ(Crc32UpdateTables(0, data.data() + from, len), want) << from << " " << len;
        }
    uint32_t pieces = 0, tablePieces = 0;
    for (size_t at = 0; at < data.size();) {
        size_t n = std::min(data.size() - at, (size_t)(rng() % 5000));
        pieces = Crc32Update(pieces, data.data() + at, n);
        tablePieces = Crc32UpdateTables(tablePieces, data.data() + at, n);
        at += n;
    }
    EXPECT_EQ(pieces, (uint32_t)crc32(0, (const Bytef *)data.data(), (uInt)data.size()));
    EXPECT_EQ(tablePieces, pieces);
}

TEST(EntryNamesTest, NamesAndFolderTextsThatLeaveTheTargetAreRefused) {
    for (const char *ok : {"a.txt", "_SFX.DLG", "VTDLLX.DLL", "name with blanks.doc", "COM0", "LPT10.txt",
                           "auxiliary.txt", "console"})
        EXPECT_TRUE(IsPlainEntryName(ok)) << ok;
    for (const char *bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "\\x", "a\x01", "AUX.txt", "con",
                            "Lpt9.doc", "COM1", "nul .x", "CONOUT$", "name.", "name ", "...", "a*b", "a?b"})
        EXPECT_FALSE(IsPlainEntryName(bad)) << bad;
    for (const char *ok : {"", "\\", "sub\\", "sub\\deeper\\", "%BILLBOARD%\\", "a.b\\c", "\\docs\\",
                           "\\Windows\\"})
        EXPECT_TRUE(IsContainedFolderText(ok)) << ok;
    for (const char *bad : {"..\\", "sub\\..\\..\\", "\\\\server\\share\\", "\\..\\", "C:\\", "C:x\\",
                            "/etc/", "sub\\.\\", "a\\\\b\\", "\\... \\", "\\nul\\"})
        EXPECT_FALSE(IsContainedFolderText(bad)) << bad;
    for (const char *ok : {"%SYSDIR%\\", "%SYSDIR%\\sub\\"}) EXPECT_TRUE(IsAcceptedFolderText(ok)) << ok;
    for (const char *bad : {"%INSTDIR%\\..\\..\\", "\\..\\..\\EscA%Q%\\"})
        EXPECT_FALSE(IsAcceptedFolderText(bad)) << bad;
    // Expanded targets against their base folder.
    struct Target {
        const char *target, *base;
        bool inside;
    } targets[] = {{"C:\\Inst\\a.txt", "C:\\Inst", true},       {"c:\\inst\\sub\\a.txt", "C:\\Inst\\", true},
                   {"\\\\srv\\share\\a.txt", "\\\\srv\\share", true}, {"C:\\a.txt", "C:", true},
                   {"C:\\Instx\\a.txt", "C:\\Inst", false},     {"C:\\Inst\\..\\a.txt", "C:\\Inst", false},
                   {"C:\\Inst\\C:\\a.txt", "C:\\Inst", false}, {"C:\\Inst\\\\srv\\a.txt", "C:\\Inst", false},
                   {"C:\\Inst\\b.txt", "C:\\Inst", false},      {"Inst\\a.txt", "Inst", false},
                   {"C:\\Inst\\sub\\..\\a.txt", "C:\\Inst", false}};
    for (const Target &t : targets) EXPECT_EQ(IsTargetInside(t.target, t.base, "a.txt"), t.inside) << t.target;
}
