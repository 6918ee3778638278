// The program file's checksum, read in pieces of any size, against zlib's
// CRC-32 of the same bytes without the main script's entry: random
// files of odd sizes with that entry first, in the middle, last or absent.
#include <gtest/gtest.h>
#include "buildtool/memory_streams.h"
#include "buildtool/setup_file.h"
#include "payload/payload_layout.h"
#include "supportlib/program_sum.h"
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

uint32_t ZlibCrc(const std::string &bytes) {
    return (uint32_t)crc32(0, (const Bytef *)bytes.data(), (uInt)bytes.size());
}

void Put(std::string &s, size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; i++) s[at + i] = (char)(v >> (8 * i));
}

// An entry whose stored bytes are random (the walk does not decode them).
std::string Entry(const std::string &name, size_t stored, std::mt19937 &rnd) {
    std::string e(ENTRY_HEADER_SIZE, '\0');
    e.replace(0, 4, ENTRY_SIGNATURE, 4);
    Put(e, ENTRY_OFF_VERSION, ENTRY_VERSION, 2);
    Put(e, ENTRY_OFF_METHOD, ENTRY_METHOD_DEFLATE, 2);
    Put(e, ENTRY_OFF_STORED, (uint32_t)stored, 4);
    Put(e, ENTRY_OFF_EXPANDED, (uint32_t)stored, 4);
    Put(e, ENTRY_OFF_NAMELEN, (uint32_t)name.size(), 2);
    Put(e, ENTRY_OFF_EXTRALEN, 1, 2);
    e += name + "\\";
    for (size_t i = 0; i < stored; i++) e += (char)rnd();
    return e;
}

TEST(ProgramSumTest, EqualsZlibCrcWithoutTheMainScriptEntry) {
    std::mt19937 rnd(11);
    for (int where : {-1, 0, 3, 6}) {  // index of the main script's entry; -1: none
        std::string file;
        for (size_t i = 0; i < PAYLOAD_FIRST_ENTRY; i++) file += (char)rnd();
        std::string expected = file;
        for (int i = 0; i < 7; i++) {
            size_t stored = rnd() % 300001 + (i == 5 ? (1u << 20) + 1 : 0);
            std::string e = Entry(i == where ? SETUP_FILE_MAIN_SCRIPT : "f" + std::to_string(i) + ".dat", stored, rnd);
            file += e;
            if (i != where) expected += e;
        }
        SCOPED_TRACE(where);
        for (uint32_t piece : {61u, 4093u, 1u << 20}) {
            std::vector<unsigned char> buffer(piece);
            uint32_t covered = 0;
            uint32_t sum = ProgramSum(ReadStringAt, &file, (uint32_t)file.size(), buffer.data(), piece, &covered);
            EXPECT_EQ(sum, ZlibCrc(expected)) << piece;
            EXPECT_EQ(covered, expected.size());
        }
    }
}

}  // namespace
