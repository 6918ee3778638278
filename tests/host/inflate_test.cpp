// The streaming decoder against zlib on a large mixed corpus, and its
// refusals of damaged streams.
#include <gtest/gtest.h>
#include "buildtool/memory_streams.h"
#include "corpus.h"
#include "supportlib/crc32.h"
#include "supportlib/entry_data.h"
#include "supportlib/entry_header.h"
#include "supportlib/inflate.h"
#include <algorithm>
#include <memory>
#include <random>
#include <string.h>
#include <zlib.h>

namespace {

struct Input {
    const std::string *data;
    size_t pos;
    int chunk;
};
int Read(void *c, unsigned char *buf, int max) {
    Input *in = (Input *)c;
    size_t n = in->data->size() - in->pos;
    if (n > (size_t)max) n = max;
    if (n > (size_t)in->chunk) n = in->chunk;
    memcpy(buf, in->data->data() + in->pos, n);
    in->pos += n;
    return (int)n;
}
int Write(void *c, const unsigned char *buf, int len) {
    ((std::string *)c)->append((const char *)buf, len);
    return 0;
}

int Inflate(const std::string &packed, std::string *out, int chunk = INFLATE_INPUT) {
    static std::unique_ptr<InflateState> state(new InflateState);
    Input in = {&packed, 0, chunk};
    out->clear();
    return InflateStream(state.get(), Read, &in, Write, out);
}

}  // namespace

TEST(InflateTest, AgreesWithZlibOnMixedCorpusInAllBlockKinds) {
    std::vector<std::string> corpus = MakeCorpus(52u << 20, 7);
    // level 0 stored blocks, Z_FIXED fixed blocks, the rest dynamic.
    const int settings[][2] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_FIXED}, {9, Z_DEFAULT_STRATEGY},
                               {6, Z_HUFFMAN_ONLY}, {4, Z_RLE}, {9, Z_FILTERED}};
    size_t total = 0;
    for (size_t i = 0; i < corpus.size(); i++) {
        const int *s = settings[i % 6];
        std::string packed = RawDeflate(corpus[i], s[0], s[1]), out;
        // Odd input chunks move refills across every boundary.
        ASSERT_EQ(Inflate(packed, &out, i % 3 ? INFLATE_INPUT : 1 + (int)(i % 977)), INFLATE_OK) << i;
        ASSERT_EQ(out.size(), corpus[i].size()) << i;
        ASSERT_TRUE(out == corpus[i]) << i;
        total += out.size();
    }
    EXPECT_GE(total, 50u << 20);
}

// Damaged streams against zlib's verdict are the decoder fuzz target's
// work; here the reserved block type, a stored length whose complement does
// not match, and streams cut short.
TEST(InflateTest, ReservedBlockTypeBadStoredLengthAndTruncationAreRefused) {
    std::string out;
    for (const std::string &piece : MakeCorpus(1u << 20, 11)) {
        if (piece.empty()) continue;
        std::string packed = RawDeflate(piece, 9, Z_DEFAULT_STRATEGY);
        EXPECT_NE(Inflate(packed.substr(0, packed.size() / 2), &out), INFLATE_OK) << piece.size();
    }
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
    for (const char *ok : {"a.txt", "_SFX.DLG", "VTDLLX.DLL", "name with blanks.doc"})
        EXPECT_TRUE(IsPlainEntryName(ok)) << ok;
    for (const char *bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "\\x", "a\x01", "AUX.txt", "con",
                            "Lpt9.doc", "COM1", "nul .x", "CONOUT$", "name.", "name ", "...", "a*b", "a?b"})
        EXPECT_FALSE(IsPlainEntryName(bad)) << bad;
    for (const char *ok : {"COM0", "LPT10.txt", "auxiliary.txt", "console"}) EXPECT_TRUE(IsPlainEntryName(ok)) << ok;
    for (const char *ok : {"", "\\", "sub\\", "sub\\deeper\\", "%BILLBOARD%\\", "a.b\\c", "\\docs\\",
                           "\\Windows\\"})
        EXPECT_TRUE(IsContainedFolderText(ok)) << ok;
    for (const char *bad : {"..\\", "sub\\..\\..\\", "\\\\server\\share\\", "\\..\\", "C:\\", "C:x\\",
                            "/etc/", "sub\\.\\", "a\\\\b\\", "\\... \\", "\\nul\\"})
        EXPECT_FALSE(IsContainedFolderText(bad)) << bad;
    EXPECT_TRUE(IsAcceptedFolderText("%SYSDIR%\\"));
    EXPECT_TRUE(IsAcceptedFolderText("%SYSDIR%\\sub\\"));
    EXPECT_FALSE(IsAcceptedFolderText("%INSTDIR%\\..\\..\\"));
    EXPECT_FALSE(IsAcceptedFolderText("\\..\\..\\EscA%Q%\\"));
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

namespace {

int CountOnly(void *c, const unsigned char *, int len) {
    *(size_t *)c += (size_t)len;
    return 0;
}
int Refuse(void *, const unsigned char *, int) { return 1; }

int UnpackEntry(const std::string &packed, uint32_t crc, uint32_t expanded, size_t *written,
                InflateWrite write = CountOnly) {
    static std::unique_ptr<InflateState> state(new InflateState);
    EntryHeader h;
    memset(&h, 0, sizeof h);
    h.crc = crc;
    h.expanded = expanded;
    Input in = {&packed, 0, INFLATE_INPUT};
    *written = 0;
    return InflateEntry(state.get(), &h, Read, &in, write, written);
}

bool ReadString(void *c, uint32_t offset, void *buf, uint32_t len) {
    const std::string *s = (const std::string *)c;
    if (offset > s->size() || s->size() - offset < len) return false;
    memcpy(buf, s->data() + offset, len);
    return true;
}

}  // namespace

TEST(EntryDataTest, HeaderFiguresDecideAndALongerStreamStopsAtTheClaimedSize) {
    std::string data(3u << 20, 'a');  // 3 MiB from a few KiB of stream
    for (size_t i = 0; i < data.size(); i += 4099) data[i] = (char)i;
    std::string packed = RawDeflate(data, 9, Z_DEFAULT_STRATEGY);
    uint32_t crc = Crc32Update(0, data.data(), data.size()), size = (uint32_t)data.size();
    size_t written;
    EXPECT_EQ(UnpackEntry(packed, crc, size, &written), ENTRY_DATA_OK);
    EXPECT_EQ(written, data.size());
    EXPECT_EQ(UnpackEntry(packed, crc ^ 1, size, &written), ENTRY_DATA_DAMAGED);
    EXPECT_EQ(UnpackEntry(packed, crc, size + 1, &written), ENTRY_DATA_DAMAGED);
    // A header claiming 1000 bytes: the sink sees at most those.
    EXPECT_EQ(UnpackEntry(packed, crc, 1000, &written), ENTRY_DATA_DAMAGED);
    EXPECT_LE(written, 1000u);
    EXPECT_EQ(UnpackEntry(packed, crc, size, &written, Refuse), ENTRY_DATA_WRITE_FAILED);
    EXPECT_EQ(UnpackEntry(packed.substr(0, packed.size() / 2), crc, size, &written), ENTRY_DATA_DAMAGED);
}

TEST(EntryNamesTest, EntryWalkStaysInsideTheFile) {
    // One entry: header, name "a.txt", folder "\", three stored bytes.
    std::string e("FL\x03\x04", 4);
    e.resize(40, '\0');
    e[8] = 2;                              // method
    e[18] = 3;                             // stored size
    e[36] = 5;                             // name length
    e[38] = 1;                             // extra length
    std::string file = std::string(100, 'x') + e + "a.txt\\" + std::string("\x03\x00\x00", 3);
    EntryHeader h;
    uint32_t data = 0;
    ASSERT_TRUE(ReadEntryAt(ReadString, &file, (uint32_t)file.size(), 100, &h, &data));
    EXPECT_STREQ(h.name, "a.txt");
    EXPECT_STREQ(h.folder, "\\");
    EXPECT_EQ(data, 146u);
    EXPECT_EQ(data + h.stored, file.size());
    // Stored data or texts one byte past the end, a header cut short, an
    // offset beyond the file.
    std::string shorter = file.substr(0, file.size() - 1);
    EXPECT_FALSE(ReadEntryAt(ReadString, &shorter, (uint32_t)shorter.size(), 100, &h, &data));
    std::string cutTexts = file.substr(0, 145);
    EXPECT_FALSE(ReadEntryAt(ReadString, &cutTexts, (uint32_t)cutTexts.size(), 100, &h, &data));
    std::string cutHeader = file.substr(0, 139);
    EXPECT_FALSE(ReadEntryAt(ReadString, &cutHeader, (uint32_t)cutHeader.size(), 100, &h, &data));
    EXPECT_FALSE(ReadEntryAt(ReadString, &file, (uint32_t)file.size(), (uint32_t)file.size() + 1, &h, &data));
    // A name holding a NUL is refused.
    std::string nul = file;
    nul[142] = 0;
    EXPECT_FALSE(ReadEntryAt(ReadString, &nul, (uint32_t)nul.size(), 100, &h, &data));
}
