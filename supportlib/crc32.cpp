#include "supportlib/crc32.h"

static uint32_t g_crcTable[256];

static void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_crcTable[n] = c;
    }
}

uint32_t Crc32Update(uint32_t crc, const void *data, size_t len) {
    if (g_crcTable[1] == 0) BuildCrcTable();
    const unsigned char *p = (const unsigned char *)data;
    crc = ~crc;
    while (len--) crc = g_crcTable[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}
