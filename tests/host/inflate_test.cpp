// The streaming decoder against zlib on a large mixed corpus, and its
// refusals of damaged streams.
#include <gtest/gtest.h>
#include "corpus.h"
#include "supportlib/crc32.h"
#include "supportlib/entry_header.h"
#include "supportlib/inflate.h"
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
        std::string packed = ZlibDeflate(corpus[i], s[0], s[1]), out;
        // Odd input chunks move refills across every boundary.
        ASSERT_EQ(Inflate(packed, &out, i % 3 ? INFLATE_INPUT : 1 + (int)(i % 977)), INFLATE_OK) << i;
        ASSERT_EQ(out.size(), corpus[i].size()) << i;
        ASSERT_TRUE(out == corpus[i]) << i;
        total += out.size();
    }
    EXPECT_GE(total, 50u << 20);
}

TEST(InflateTest, DamagedStreamsFailOrDifferNeverOverrun) {
    std::vector<std::string> corpus = MakeCorpus(4u << 20, 11);
    std::mt19937 rng(3);
    int truncatedRefused = 0, truncatedTotal = 0;
    for (size_t i = 1; i < corpus.size(); i++) {
        std::string packed = ZlibDeflate(corpus[i], 9, Z_DEFAULT_STRATEGY), out;
        std::string cut = packed.substr(0, packed.size() / 2);
        truncatedTotal++;
        if (Inflate(cut, &out) != INFLATE_OK) truncatedRefused++;
        for (int k = 0; k < 20; k++) {
            std::string bad = packed;
            bad[rng() % bad.size()] ^= (char)(1 << (rng() % 8));
            int r = Inflate(bad, &out);
            // zlib judges the same stream; where zlib fails we do too, and a
            // stream both accept decodes alike.
            std::string ref(corpus[i].size() + 70000, '\0');
            z_stream z;
            memset(&z, 0, sizeof z);
            inflateInit2(&z, -15);
            z.next_in = (Bytef *)bad.data();
            z.avail_in = (uInt)bad.size();
            z.next_out = (Bytef *)&ref[0];
            z.avail_out = (uInt)ref.size();
            int zr = inflate(&z, Z_FINISH);
            ref.resize(z.total_out);
            inflateEnd(&z);
            if (zr == Z_STREAM_END && r == INFLATE_OK) EXPECT_TRUE(ref == out) << i << " " << k;
            if (zr == Z_DATA_ERROR) EXPECT_NE(r, INFLATE_OK) << i << " " << k;
        }
    }
    EXPECT_EQ(truncatedRefused, truncatedTotal);
}

TEST(InflateTest, ReservedBlockTypeAndBadStoredLengthAreRefused) {
    std::string out;
    EXPECT_EQ(Inflate(std::string("\x07", 1), &out), INFLATE_BAD_BLOCK);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\x00\x00hello", 10), &out), INFLATE_BAD_BLOCK);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\xFA\xFFhel", 8), &out), INFLATE_TRUNCATED);
    EXPECT_EQ(Inflate(std::string("\x01\x05\x00\xFA\xFFhello", 10), &out), INFLATE_OK);
    EXPECT_EQ(out, "hello");
    EXPECT_NE(Inflate(std::string(), &out), INFLATE_OK);
}

TEST(InflateTest, Crc32KnownValues) {
    EXPECT_EQ(Crc32Update(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(Crc32Update(0, "1234", 4), "56789", 5), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(0, "", 0), 0u);
}

TEST(EntryNamesTest, NamesAndFolderTextsThatLeaveTheTargetAreRefused) {
    for (const char *ok : {"a.txt", "_SFX.DLG", "VTDLLX.DLL", "name with blanks.doc"})
        EXPECT_TRUE(IsPlainEntryName(ok)) << ok;
    for (const char *bad : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:x", "\\x", "a\x01"})
        EXPECT_FALSE(IsPlainEntryName(bad)) << bad;
    for (const char *ok : {"", "\\", "sub\\", "sub\\deeper\\", "%BILLBOARD%\\", "a.b\\c", "\\docs\\",
                           "\\Windows\\"})
        EXPECT_TRUE(IsContainedFolderText(ok)) << ok;
    for (const char *bad : {"..\\", "sub\\..\\..\\", "\\\\server\\share\\", "\\..\\", "C:\\", "C:x\\",
                            "/etc/", "sub\\.\\", "a\\\\b\\"})
        EXPECT_FALSE(IsContainedFolderText(bad)) << bad;
}
