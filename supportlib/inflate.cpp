#include "supportlib/inflate.h"
#include <string.h>

namespace {

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                    33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

const int kLitBits = INFLATE_FAST_BITS, kDistBits = INFLATE_DISTANCE_BITS;
const unsigned kLitMask = (1u << kLitBits) - 1, kDistMask = (1u << kDistBits) - 1;
// Room kept free at the end of the output buffer: one longest match, three
// literals before it and the overshoot of the word-wise copy.
const unsigned kCopyOvershoot = 40;
const unsigned kOutputLimit = INFLATE_BUFFER - 258 - 3 - kCopyOvershoot;

// A table entry: what a code decodes to, ready to use.
//   bits 0-7   bits to take: the code and the extra bits behind it (the
//              low byte alone is a shift count, so the bit buffer moves on
//              by one shift per symbol)
//   bits 8-11  code length
//   bits 12-14 kind: literal, end of block, or a symbol no stream may use
//   bits 16-31 the literal byte, the base length or distance, or the symbol
//              of the code-length code
// An entry is 0 where the code is longer than the table (or absent).
enum { ENTRY_LITERAL = 0x1000, ENTRY_END = 0x2000, ENTRY_BAD = 0x4000 };
enum TableKind { CODE_LENGTHS, LITERALS_LENGTHS, DISTANCES };

// The entry of a symbol, without its code length.
uint32_t SymbolEntry(TableKind kind, unsigned sym) {
    if (kind == CODE_LENGTHS) return sym << 16;
    if (kind == LITERALS_LENGTHS) {
        if (sym < 256) return sym << 16 | ENTRY_LITERAL;
        if (sym == 256) return ENTRY_END;
        sym -= 257;
        if (sym >= 29) return ENTRY_BAD;
        return (uint32_t)kLengthBase[sym] << 16 | kLengthExtra[sym];
    }
    if (sym >= 30) return ENTRY_BAD;
    return (uint32_t)kDistanceBase[sym] << 16 | kDistanceExtra[sym];
}

inline uint32_t WithLength(uint32_t entry, unsigned len) { return entry + (len | len << 8); }

// The value of a length or distance entry: its base plus the extra bits
// behind the code in bits (the buffer before the entry's bits are taken).
inline unsigned EntryValue(uint32_t e, uint64_t bits) {
    unsigned total = e & 0xFF, code = (e >> 8) & 15;
    return (e >> 16) + (unsigned)((bits & ((1ull << total) - 1)) >> code);
}

// Builds the canonical code of n lengths. Over-subscribed sets fail; an
// incomplete set is taken only as a single one-bit code (or no code at all),
// and never for the code-length code.
bool BuildTable(InflateTable *t, const uint8_t *lengths, int n, TableKind kind) {
    memset(t->count, 0, sizeof t->count);
    for (int i = 0; i < n; i++) t->count[lengths[i]]++;
    t->count[0] = 0;
    int left = 1, maxLength = 0, used = 0;
    for (int len = 1; len <= 15; len++) {
        left <<= 1;
        left -= t->count[len];
        if (left < 0) return false;
        if (t->count[len]) maxLength = len;
        used += t->count[len];
    }
    if (left > 0 && used > 0 && (kind == CODE_LENGTHS || maxLength != 1)) return false;
    uint16_t offsets[16];
    offsets[1] = 0;
    for (int len = 1; len < 15; len++) offsets[len + 1] = offsets[len] + t->count[len];
    for (int i = 0; i < n; i++)
        if (lengths[i]) t->symbol[offsets[lengths[i]]++] = (uint16_t)i;

    int tableBits = kind == DISTANCES ? kDistBits : kLitBits;
    memset(t->fast, 0, sizeof t->fast[0] << tableBits);
    unsigned code = 0;
    int k = 0;
    for (int len = 1; len <= tableBits; len++) {
        for (int c = 0; c < t->count[len]; c++, k++, code++) {
            unsigned reversed = 0;
            for (int b = 0; b < len; b++) reversed |= ((code >> b) & 1) << (len - 1 - b);
            uint32_t entry = WithLength(SymbolEntry(kind, t->symbol[k]), (unsigned)len);
            for (unsigned i = reversed; i < (1u << tableBits); i += 1u << len) t->fast[i] = entry;
        }
        code <<= 1;
    }
    return true;
}

// Copies a match of len bytes from dist bytes back; may write up to
// kCopyOvershoot - 1 bytes beyond its end (the buffer keeps room for that).
inline void CopyMatch(unsigned char *dst, unsigned dist, unsigned len) {
    const unsigned char *src = dst - dist;
    unsigned char *end = dst + len;
    if (dist >= 8) {
        // Eight bytes at a time, each from at least eight bytes back: the
        // first 40 without a test (most matches are shorter).
        memcpy(dst, src, 8);
        memcpy(dst + 8, src + 8, 8);
        memcpy(dst + 16, src + 16, 8);
        memcpy(dst + 24, src + 24, 8);
        memcpy(dst + 32, src + 32, 8);
        dst += 40;
        src += 40;
        while (dst < end) {
            memcpy(dst, src, 8);
            dst += 8;
            src += 8;
        }
        return;
    }
    if (dist == 1) {
        uint64_t v = *src * 0x0101010101010101ull;
        do {
            memcpy(dst, &v, 8);
            dst += 8;
        } while (dst < end);
        return;
    }
    // A short distance repeats a pattern of dist bytes: laid out byte by
    // byte once to a whole number of patterns of 8 bytes or more, it is then
    // copied 8 bytes at a time from that many bytes back.
    unsigned step = dist;
    while (step < 8) step += dist;
    unsigned char *first = dst + step;
    do *dst++ = *src++;
    while (dst < first && dst < end);
    src = dst - step;
    while (dst < end) {
        memcpy(dst, src, 8);
        dst += 8;
        src += 8;
    }
}

// Codes longer than the fast table: the canonical walk, bit by bit.
// Returns the entry with the code's length, or ENTRY_NO_CODE.
const uint32_t ENTRY_NO_CODE = ENTRY_BAD | ENTRY_END;
__attribute__((noinline)) uint32_t SlowEntry(const InflateTable *t, TableKind kind, uint64_t bits) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= 15; len++) {
        code |= (int)(bits & 1);
        bits >>= 1;
        int count = t->count[len];
        if (code - count < first) return WithLength(SymbolEntry(kind, t->symbol[index + (code - first)]), (unsigned)len);
        index += count;
        first += count;
        first <<= 1;
        code <<= 1;
    }
    return ENTRY_NO_CODE;
}

inline uint32_t LookUp(const InflateTable *t, TableKind kind, uint64_t bits) {
    uint32_t e = t->fast[bits & (kind == DISTANCES ? kDistMask : kLitMask)];
    return e ? e : SlowEntry(t, kind, bits);
}

class Decoder {
  public:
    explicit Decoder(InflateState *s) : s_(s) {}
    int Run();

  private:
    InflateState *s_;
    int error_ = INFLATE_OK;

    bool MoreInput();
    // Fills the bit buffer to at least 57 bits (zero bytes behind the end of
    // the input; using them is caught by MoreInput or at the end).
    inline bool Refill() {
        InflateState *s = s_;
        if (s->bitCount > 56) return true;
        if (s->inEnd - s->in >= 8) {
            uint64_t word;
            memcpy(&word, s->in, 8);
            s->bits |= word << s->bitCount;
            s->in += (63 - s->bitCount) >> 3;
            s->bitCount |= 56;
            return true;
        }
        while (s->bitCount <= 56) {
            if (s->in < s->inEnd) {
                s->bits |= (uint64_t)*s->in++ << s->bitCount;
                s->bitCount += 8;
            } else if (!MoreInput()) {
                return false;
            }
        }
        return true;
    }
    inline unsigned Take(int n) {
        unsigned v = (unsigned)(s_->bits & ((1ull << n) - 1));
        s_->bits >>= n;
        s_->bitCount -= n;
        return v;
    }
    // The entry of the next code; its code bits are still to be taken.
    uint32_t Next(const InflateTable *t, TableKind kind) { return LookUp(t, kind, s_->bits); }
    // The value plus the extra bits behind the code, both taken.
    unsigned TakeValue(uint32_t e) {
        unsigned v = EntryValue(e, s_->bits);
        Take((int)(e & 0xFF));
        return v;
    }
    bool FastCodes(int *status);
    bool Flush();
    bool MakeRoom() { return s_->outPos <= kOutputLimit || Flush(); }
    bool Stored();
    bool Fixed();
    bool Dynamic();
    bool Codes();
};

bool Decoder::MoreInput() {
    InflateState *s = s_;
    if (!s->inputDone) {
        int n = s->read(s->readContext, s->input, s->shortRead ? INFLATE_HEADER_READ : INFLATE_INPUT);
        s->shortRead = 0;
        if (n < 0) {
            error_ = INFLATE_READ_FAILED;
            return false;
        }
        if (n > 0) {
            s->in = s->input;
            s->inEnd = s->input + n;
            s->consumed += (unsigned)n;
            return true;
        }
        s->inputDone = 1;
    }
    // Bits of earlier padding already used: the stream runs past its input.
    if (s->bitCount < s->padding * 8) {
        error_ = INFLATE_TRUNCATED;
        return false;
    }
    s->padding++;
    s->bitCount += 8;
    return true;
}

bool Decoder::Flush() {
    InflateState *s = s_;
    if (s->outPos > s->flushed) {
        if (s->write(s->writeContext, s->out + s->flushed, (int)(s->outPos - s->flushed)) != 0) {
            error_ = INFLATE_WRITE_FAILED;
            return false;
        }
        s->total += s->outPos - s->flushed;
    }
    if (s->outPos > INFLATE_WINDOW) {
        memmove(s->out, s->out + s->outPos - INFLATE_WINDOW, INFLATE_WINDOW);
        s->outPos = INFLATE_WINDOW;
    }
    s->flushed = s->outPos;
    return true;
}

bool Decoder::Stored() {
    InflateState *s = s_;
    Take(s->bitCount & 7);
    if (!Refill()) return false;
    unsigned len = Take(16);
    unsigned nlen = Take(16);
    if ((len ^ 0xFFFF) != nlen) {
        error_ = INFLATE_BAD_BLOCK;
        return false;
    }
    // Whole bytes still in the bit buffer come first.
    while (len && s->bitCount >= 8) {
        if (s->bitCount <= s->padding * 8) {
            error_ = INFLATE_TRUNCATED;
            return false;
        }
        if (!MakeRoom()) return false;
        s->out[s->outPos++] = (unsigned char)Take(8);
        len--;
    }
    // The bit buffer is empty now; what it held above its count were copies
    // of the bytes copied below. Bytes already read come from the input;
    // the rest is read straight into the output, and the next read takes
    // only what a block header needs, so that a run of stored blocks is
    // copied once, by the source.
    if (len) s->bits = 0;
    while (len) {
        if (s->outPos >= INFLATE_BUFFER && !Flush()) return false;
        unsigned room = INFLATE_BUFFER - s->outPos, n = (unsigned)(s->inEnd - s->in);
        if (n) {
            if (n > len) n = len;
            if (n > room) n = room;
            memcpy(s->out + s->outPos, s->in, n);
            s->in += n;
        } else {
            int got = s->inputDone ? 0 : s->read(s->readContext, s->out + s->outPos, (int)(len < room ? len : room));
            if (got <= 0) {
                if (got == 0) s->inputDone = 1;
                error_ = got < 0 ? INFLATE_READ_FAILED : INFLATE_TRUNCATED;
                return false;
            }
            n = (unsigned)got;
            s->consumed += n;
            s->shortRead = 1;
        }
        s->outPos += n;
        len -= n;
    }
    return true;
}

// The hot loop, with the decoder's state in locals: runs while eight input
// bytes can be loaded at once (twice an iteration) and the output has room
// for a match. One refill gives the 48 bits a length and a distance with
// their extra bits can take; literals come up to three a refill. status:
// 1 the block ended, -1 failed, 0 left to the careful loop.
bool Decoder::FastCodes(int *status) {
    InflateState *s = s_;
    const uint32_t *litFast = s->lengths.fast, *disFast = s->distances.fast;
    uint64_t bits = s->bits;
    unsigned count = (unsigned)s->bitCount;
    const unsigned char *in = s->in, *inLimit = s->inEnd - 16;
    unsigned char *base = s->out, *out = base + s->outPos, *outLimit = base + kOutputLimit;
    *status = 0;
    // The count's low byte is the number of bits held; an entry's low byte
    // is what it takes, so whole entries are subtracted.
#define FAST_REFILL()                          \
    do {                                       \
        uint64_t word;                         \
        memcpy(&word, in, 8);                  \
        bits |= word << (uint8_t)count;        \
        in += 7 - ((uint8_t)count >> 3);        \
        count = (uint8_t)count | 56;           \
    } while (0)
#define FAST_TAKE(e)            \
    do {                        \
        bits >>= (uint8_t)(e);  \
        count -= (e);           \
    } while (0)
    // A refill loads a whole word: the buffer then holds 64 bits of the
    // stream, more than the count says, and the next literal or length code
    // (11 bits, 15 for the walk) can be looked up before the next refill.
    if (in > inLimit || out > outLimit) return true;
    FAST_REFILL();
    uint32_t e = litFast[bits & kLitMask];
    for (;;) {
        if (e & ENTRY_LITERAL) {
            FAST_TAKE(e);
            *out++ = (unsigned char)(e >> 16);
            e = litFast[bits & kLitMask];
            if (e & ENTRY_LITERAL) {
                FAST_TAKE(e);
                *out++ = (unsigned char)(e >> 16);
                e = litFast[bits & kLitMask];
                if (e & ENTRY_LITERAL) {
                    FAST_TAKE(e);
                    *out++ = (unsigned char)(e >> 16);
                    e = litFast[bits & kLitMask];
                    goto next;
                }
            }
            FAST_REFILL();
        }
        if (!e) {
            e = SlowEntry(&s->lengths, LITERALS_LENGTHS, bits);
            if (e & ENTRY_LITERAL) {
                FAST_TAKE(e);
                *out++ = (unsigned char)(e >> 16);
                e = litFast[bits & kLitMask];
                goto next;
            }
        }
        if (e & (ENTRY_END | ENTRY_BAD)) {
            if (e & ENTRY_BAD) {
                error_ = INFLATE_BAD_CODE;
                *status = -1;
            } else {
                FAST_TAKE(e);
                *status = 1;
            }
            break;
        }
        {
            unsigned len = EntryValue(e, bits);
            FAST_TAKE(e);
            e = disFast[bits & kDistMask];
            if (!e) e = SlowEntry(&s->distances, DISTANCES, bits);
            if (e & ENTRY_BAD) {
                error_ = e == ENTRY_NO_CODE ? INFLATE_BAD_CODE : INFLATE_BAD_DISTANCE;
                *status = -1;
                break;
            }
            unsigned dist = EntryValue(e, bits);
            FAST_TAKE(e);
            if (dist > (unsigned)(out - base)) {
                error_ = INFLATE_BAD_DISTANCE;
                *status = -1;
                break;
            }
            e = litFast[bits & kLitMask];
            CopyMatch(out, dist, len);
            out += len;
        }
    next:
        if (in > inLimit || out > outLimit) break;
        FAST_REFILL();
    }
#undef FAST_REFILL
#undef FAST_TAKE
    s->bits = bits;
    s->bitCount = (uint8_t)count;
    s->in = in;
    s->outPos = (unsigned)(out - base);
    return *status >= 0;
}

bool Decoder::Codes() {
    InflateState *s = s_;
    for (;;) {
        if (s->inEnd - s->in >= 16 && s->outPos <= kOutputLimit) {
            int status;
            if (!FastCodes(&status)) return false;
            if (status) return true;
        }
        if (!Refill() || !MakeRoom()) return false;
        uint32_t e = Next(&s->lengths, LITERALS_LENGTHS);
        if (e & ENTRY_BAD) {
            error_ = INFLATE_BAD_CODE;
            return false;
        }
        if (e & ENTRY_LITERAL) {
            Take((int)(e & 0xFF));
            s->out[s->outPos++] = (unsigned char)(e >> 16);
            continue;
        }
        if (e & ENTRY_END) {
            Take((int)(e & 0xFF));
            return true;
        }
        unsigned len = TakeValue(e);
        e = Next(&s->distances, DISTANCES);
        if (e & ENTRY_BAD) {
            error_ = e == ENTRY_NO_CODE ? INFLATE_BAD_CODE : INFLATE_BAD_DISTANCE;
            return false;
        }
        unsigned dist = TakeValue(e);
        if (dist > s->outPos) {
            error_ = INFLATE_BAD_DISTANCE;
            return false;
        }
        CopyMatch(s->out + s->outPos, dist, len);
        s->outPos += len;
    }
}

bool Decoder::Fixed() {
    uint8_t lengths[320];
    int i = 0;
    for (; i < 144; i++) lengths[i] = 8;
    for (; i < 256; i++) lengths[i] = 9;
    for (; i < 280; i++) lengths[i] = 7;
    for (; i < 288; i++) lengths[i] = 8;
    BuildTable(&s_->lengths, lengths, 288, LITERALS_LENGTHS);
    for (i = 0; i < 32; i++) lengths[i] = 5;
    BuildTable(&s_->distances, lengths, 32, DISTANCES);
    return Codes();
}

bool Decoder::Dynamic() {
    if (!Refill()) return false;
    int nlen = (int)Take(5) + 257;
    int ndist = (int)Take(5) + 1;
    int ncode = (int)Take(4) + 4;
    if (nlen > 286 || ndist > 30) {
        error_ = INFLATE_BAD_BLOCK;
        return false;
    }
    uint8_t lengths[320];
    memset(lengths, 0, 19);
    for (int i = 0; i < ncode; i++) {
        if (!Refill()) return false;
        lengths[kCodeLengthOrder[i]] = (uint8_t)Take(3);
    }
    if (!BuildTable(&s_->lengths, lengths, 19, CODE_LENGTHS)) {
        error_ = INFLATE_BAD_CODE;
        return false;
    }
    int index = 0;
    while (index < nlen + ndist) {
        if (!Refill()) return false;
        uint32_t e = Next(&s_->lengths, CODE_LENGTHS);
        if (e == ENTRY_NO_CODE) {
            error_ = INFLATE_BAD_CODE;
            return false;
        }
        Take((int)(e & 0xFF));
        int sym = (int)(e >> 16);
        if (sym < 16) {
            lengths[index++] = (uint8_t)sym;
            continue;
        }
        uint8_t value = 0;
        int repeat;
        if (sym == 16) {
            if (index == 0) {
                error_ = INFLATE_BAD_CODE;
                return false;
            }
            value = lengths[index - 1];
            repeat = 3 + (int)Take(2);
        } else if (sym == 17) {
            repeat = 3 + (int)Take(3);
        } else {
            repeat = 11 + (int)Take(7);
        }
        if (index + repeat > nlen + ndist) {
            error_ = INFLATE_BAD_CODE;
            return false;
        }
        while (repeat--) lengths[index++] = value;
    }
    if (lengths[256] == 0 || !BuildTable(&s_->lengths, lengths, nlen, LITERALS_LENGTHS) ||
        !BuildTable(&s_->distances, lengths + nlen, ndist, DISTANCES)) {
        error_ = INFLATE_BAD_CODE;
        return false;
    }
    return Codes();
}

int Decoder::Run() {
    int last;
    do {
        if (!Refill()) return error_;
        last = (int)Take(1);
        unsigned type = Take(2);
        bool ok;
        if (type == 0) ok = Stored();
        else if (type == 1) ok = Fixed();
        else if (type == 2) ok = Dynamic();
        else {
            error_ = INFLATE_BAD_BLOCK;
            ok = false;
        }
        if (!ok) return error_ ? error_ : INFLATE_BAD_BLOCK;
    } while (!last);
    if (s_->bitCount < s_->padding * 8) return INFLATE_TRUNCATED;
    if (!Flush()) return error_;
    return INFLATE_OK;
}

}  // namespace

int InflateStream(InflateState *s, InflateRead read, void *readContext, InflateWrite write,
                  void *writeContext) {
    s->read = read;
    s->readContext = readContext;
    s->write = write;
    s->writeContext = writeContext;
    s->bits = 0;
    s->bitCount = 0;
    s->padding = 0;
    s->inputDone = 0;
    s->shortRead = 0;
    s->in = s->inEnd = s->input;
    s->outPos = s->flushed = 0;
    s->total = s->consumed = 0;
    Decoder decoder(s);
    return decoder.Run();
}
