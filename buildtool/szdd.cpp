#include "buildtool/szdd.h"
#include <string.h>
#include <vector>

// The expander's 4096-byte ring starts filled with blanks and is written
// from position 4096 - 16; a match names an absolute ring position (12 bits)
// and a length of 3 to 18.
static const int kRing = 4096, kStart = kRing - 16, kMinMatch = 3, kMaxMatch = 18;

std::string SzddCompress(const std::string &bytes, char lastChar) {
    std::string out("SZDD\x88\xF0\x27\x33", 8);
    out += 'A';
    out += lastChar;
    uint32_t size = (uint32_t)bytes.size();
    for (int i = 0; i < 4; i++) out += (char)(size >> (8 * i));

    const unsigned char *d = (const unsigned char *)bytes.data();
    const size_t n = bytes.size();
    std::vector<int> head(1 << 16, -1), prev(n ? n : 1, -1);
    auto hash = [&](size_t i) { return (d[i] | d[i + 1] << 8 | d[i + 2] << 16) * 2654435761u >> 16; };
    auto insert = [&](size_t i) {
        if (i + 2 < n) {
            unsigned h = hash(i);
            prev[i] = head[h];
            head[h] = (int)i;
        }
    };
    auto longest = [&](size_t i, int *from) {
        int best = 0;
        if (i + 2 >= n) return 0;
        // Sources more than kRing - kMaxMatch back could be overwritten
        // while the match is copied.
        for (int j = head[hash(i)]; j >= 0 && i - (size_t)j <= (size_t)(kRing - kMaxMatch); j = prev[j]) {
            int len = 0;
            while (len < kMaxMatch && i + len < n && d[j + len] == d[i + len]) len++;
            if (len > best) {
                best = len;
                *from = j;
                if (len == kMaxMatch) break;
            }
        }
        return best >= kMinMatch ? best : 0;
    };

    size_t i = 0;
    while (i < n) {
        size_t flagAt = out.size();
        out += '\0';
        unsigned flags = 0;
        for (int bit = 0; bit < 8 && i < n; bit++) {
            int from = 0, len = longest(i, &from);
            if (len) {  // one step of lazy matching
                int from2 = 0;
                insert(i);
                int len2 = longest(i + 1, &from2);
                if (len2 > len) {
                    flags |= 1u << bit;
                    out += (char)d[i];
                    i++;
                    continue;
                }
                unsigned pos = (unsigned)((from + kStart) & (kRing - 1));
                out += (char)(pos & 0xFF);
                out += (char)(((pos >> 4) & 0xF0) | (len - kMinMatch));
                for (int k = 1; k < len; k++) insert(i + k);
                i += len;
            } else {
                flags |= 1u << bit;
                out += (char)d[i];
                insert(i);
                i++;
            }
        }
        out[flagAt] = (char)flags;
    }
    return out;
}

bool SzddExpand(const std::string &file, std::string *out) {
    if (file.size() < 14 || memcmp(file.data(), "SZDD\x88\xF0\x27\x33", 8) != 0) return false;
    const unsigned char *p = (const unsigned char *)file.data();
    uint32_t size = p[10] | p[11] << 8 | p[12] << 16 | (uint32_t)p[13] << 24;
    unsigned char ring[kRing];
    memset(ring, ' ', sizeof ring);
    int r = kStart;
    size_t i = 14;
    out->clear();
    while (i < file.size() && out->size() < size) {
        unsigned flags = p[i++];
        for (int bit = 0; bit < 8 && i < file.size() && out->size() < size; bit++) {
            if (flags & (1u << bit)) {
                ring[r] = p[i++];
                *out += (char)ring[r];
                r = (r + 1) & (kRing - 1);
            } else {
                if (i + 1 >= file.size()) return true;
                int pos = p[i] | (p[i + 1] & 0xF0) << 4, len = (p[i + 1] & 0x0F) + kMinMatch;
                i += 2;
                for (int k = 0; k < len && out->size() < size; k++) {
                    unsigned char c = ring[(pos + k) & (kRing - 1)];
                    ring[r] = c;
                    *out += (char)c;
                    r = (r + 1) & (kRing - 1);
                }
            }
        }
    }
    return true;
}
