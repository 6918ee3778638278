// Arbitrary bytes as a raw deflate stream. The decoder must stop on its own
// within its buffers whatever it is fed, and its verdict must be zlib's: a
// stream one of them finishes the other finishes too, with the same bytes
// (compared by length and CRC-32, each side with its own CRC code).
#include "fuzz/chunked_input.h"
#include "supportlib/crc32.h"
#include "supportlib/inflate.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

namespace {

struct Sum {
    uint32_t crc;
    uint64_t size;
};
int WriteSum(void *c, const unsigned char *buf, int len) {
    Sum *s = (Sum *)c;
    if (len <= 0 || len > INFLATE_BUFFER) abort();  // the sink never sees more than the buffer
    s->crc = Crc32Update(s->crc, buf, (size_t)len);
    s->size += (unsigned)len;
    return 0;
}

// zlib's verdict: true when the stream ended; crc and size of its output.
bool ZlibInflate(const uint8_t *data, size_t size, Sum *sum) {
    static unsigned char out[65536];
    z_stream z;
    memset(&z, 0, sizeof z);
    if (inflateInit2(&z, -15) != Z_OK) abort();
    z.next_in = (Bytef *)data;
    z.avail_in = (uInt)size;
    int r;
    uLong crc = crc32(0, 0, 0);
    do {
        z.next_out = out;
        z.avail_out = sizeof out;
        r = inflate(&z, Z_NO_FLUSH);
        crc = crc32(crc, out, (uInt)(sizeof out - z.avail_out));
    } while (r == Z_OK);
    sum->crc = (uint32_t)crc;
    sum->size = z.total_out;
    inflateEnd(&z);
    return r == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static InflateState *state = (InflateState *)malloc(sizeof(InflateState));
    // Small odd chunks for some inputs move the refills across every boundary.
    ChunkedInput src = {data, size, size % 3 ? INFLATE_INPUT : 1 + (int)(size % 61)};
    Sum ours = {0, 0};
    int r = InflateStream(state, ReadChunked, &src, WriteSum, &ours);
    if (r > INFLATE_OK || r < INFLATE_WRITE_FAILED) abort();
    if (r == INFLATE_OK && ours.size != state->total) abort();

    Sum theirs = {0, 0};
    bool ended = ZlibInflate(data, size, &theirs);
    if (ended != (r == INFLATE_OK)) {
        fprintf(stderr, "verdicts differ: ours %d, zlib %s\n", r, ended ? "ended" : "failed");
        abort();
    }
    if (ended && (ours.size != theirs.size || ours.crc != theirs.crc)) {
        fprintf(stderr, "output differs: ours %llu bytes %08x, zlib %llu bytes %08x\n",
                (unsigned long long)ours.size, ours.crc, (unsigned long long)theirs.size, theirs.crc);
        abort();
    }
    return 0;
}
