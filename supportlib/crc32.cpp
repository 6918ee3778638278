#include "supportlib/crc32.h"

// Eight tables, eight bytes a step: table k holds the sum of a byte
// followed by k zero bytes. Built on first use, so they cost the DLL
// nothing but zero-filled memory.
static uint32_t g_crcTable[8][256];

static void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_crcTable[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; n++)
        for (int k = 1; k < 8; k++)
            g_crcTable[k][n] = g_crcTable[0][g_crcTable[k - 1][n] & 0xFF] ^ (g_crcTable[k - 1][n] >> 8);
}

static inline uint32_t Get32(const unsigned char *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

uint32_t Crc32Update(uint32_t crc, const void *data, size_t len) {
    if (g_crcTable[0][1] == 0) BuildCrcTable();
    const unsigned char *p = (const unsigned char *)data;
    crc = ~crc;
    while (len >= 8) {
        uint32_t a = Get32(p) ^ crc, b = Get32(p + 4);
        crc = g_crcTable[7][a & 0xFF] ^ g_crcTable[6][(a >> 8) & 0xFF] ^ g_crcTable[5][(a >> 16) & 0xFF] ^
              g_crcTable[4][a >> 24] ^ g_crcTable[3][b & 0xFF] ^ g_crcTable[2][(b >> 8) & 0xFF] ^
              g_crcTable[1][(b >> 16) & 0xFF] ^ g_crcTable[0][b >> 24];
        p += 8;
        len -= 8;
    }
    while (len--) crc = g_crcTable[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
