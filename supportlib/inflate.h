// Raw deflate decoder (stored, fixed and dynamic blocks) that streams: input
// is pulled from a source, output goes to a sink whenever the 32 KiB history
// window needs room. Memory is the state object alone; no size claimed by a
// stream or its container drives an allocation. Plain C++, no Windows
// headers, so the same unit builds for the tools and tests on the build host.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define INFLATE_WINDOW 32768
// The window plus room for output between two hand-overs to the sink: the
// larger the room, the fewer (and larger) the writes and the less of the
// window is moved back per byte of output.
#define INFLATE_BUFFER (INFLATE_WINDOW + 7 * INFLATE_WINDOW)
#define INFLATE_INPUT 65536
// A read after a stored block read straight into the output: enough for
// the next block's header and, when it is stored, its first bytes.
#define INFLATE_HEADER_READ 16
// Bits looked up at once for literal and length codes, and for distance
// codes (fewer: 30 symbols, and a small table stays in the cache).
#define INFLATE_FAST_BITS 11
#define INFLATE_DISTANCE_BITS 8

// Pulls up to max bytes into buf; returns the count, 0 at the end, < 0 on a
// read error.
typedef int (*InflateRead)(void *context, unsigned char *buf, int max);
// Takes len bytes of output; returns 0 to go on, non-zero to stop.
typedef int (*InflateWrite)(void *context, const unsigned char *buf, int len);

enum InflateResult {
    INFLATE_OK = 0,
    INFLATE_BAD_BLOCK = -1,   // reserved block type, stored length mismatch
    INFLATE_BAD_CODE = -2,    // Huffman table or code not valid
    INFLATE_BAD_DISTANCE = -3,
    INFLATE_TRUNCATED = -4,   // input ended before the final block did
    INFLATE_READ_FAILED = -5,
    INFLATE_WRITE_FAILED = -6
};

struct InflateTable {
    // Lookup by the next INFLATE_FAST_BITS bits (INFLATE_DISTANCE_BITS for
    // distances) of what a code decodes to (its value, extra bits and code
    // length, see inflate.cpp); 0 when the code is longer (or absent) and
    // the canonical walk decides.
    uint32_t fast[1 << INFLATE_FAST_BITS];
    uint16_t count[16];
    uint16_t symbol[320];
};

struct InflateState {
    InflateRead read;
    void *readContext;
    InflateWrite write;
    void *writeContext;
    uint64_t bits;
    int bitCount;
    int padding;     // zero bytes fed in behind the end of the input
    int inputDone;
    int shortRead;   // the next read is INFLATE_HEADER_READ bytes
    const unsigned char *in;
    const unsigned char *inEnd;
    unsigned outPos;    // write position in out
    unsigned flushed;   // out[0..flushed) already given to the sink
    uint64_t total;     // bytes of output so far
    uint64_t consumed;  // bytes of input handed over by the source
    InflateTable lengths;
    InflateTable distances;
    unsigned char input[INFLATE_INPUT];
    unsigned char out[INFLATE_BUFFER + 16];
};

// Decodes one raw deflate stream. Returns INFLATE_OK when the final block
// ended; the output so far has then been written to the sink.
int InflateStream(InflateState *state, InflateRead read, void *readContext, InflateWrite write,
                  void *writeContext);
