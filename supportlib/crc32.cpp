#include "supportlib/crc32.h"

// Sixteen tables, sixteen bytes a step: table k holds the sum of a byte
// followed by k zero bytes. Built on first use, so they cost the DLL
// nothing but zero-filled memory.
static uint32_t g_crcTable[16][256];

static void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_crcTable[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; n++)
        for (int k = 1; k < 16; k++)
            g_crcTable[k][n] = g_crcTable[0][g_crcTable[k - 1][n] & 0xFF] ^ (g_crcTable[k - 1][n] >> 8);
}

static inline uint32_t Get32(const unsigned char *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

uint32_t Crc32Update(uint32_t crc, const void *data, size_t len) {
    if (g_crcTable[0][1] == 0) BuildCrcTable();
    const unsigned char *p = (const unsigned char *)data;
    crc = ~crc;
    const uint32_t(*t)[256] = g_crcTable;
    while (len >= 16) {
        uint32_t a = Get32(p) ^ crc, b = Get32(p + 4), c = Get32(p + 8), d = Get32(p + 12);
        crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
              t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
              t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
              t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
        p += 16;
        len -= 16;
    }
    while (len--) crc = g_crcTable[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
