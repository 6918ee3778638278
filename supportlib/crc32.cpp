#include "supportlib/crc32.h"
#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <emmintrin.h>
#include <wmmintrin.h>
#define CRC_CLMUL 1
#if defined(__i386__) && defined(_WIN32)
#include <windows.h>
#endif
#endif

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

// On the sum register (inverted form).
static uint32_t TableSum(uint32_t crc, const unsigned char *p, size_t len) {
    if (g_crcTable[0][1] == 0) BuildCrcTable();
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
    while (len--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return crc;
}

uint32_t Crc32UpdateTables(uint32_t crc, const void *data, size_t len) {
    return ~TableSum(~crc, (const unsigned char *)data, len);
}

#ifdef CRC_CLMUL
// Processors with a carry-less multiply fold 64 bytes a step into four
// 128-bit remainders (multiplying by x^n mod P moves a remainder n bits
// on), fold those into one, and reduce it to 32 bits (Barrett). The
// constants are those powers of x mod P, bit-reversed as the sum is.
// Windows keeps SSE registers only from 98 and NT 4 on, so the path is
// taken only when the system reports SSE2 and the processor the multiply.
static int g_clmul;  // 0 not asked yet, 1 no, 2 yes

static bool HaveClmul() {
    if (!g_clmul) {
        bool ok = true;
#if defined(__i386__)
#ifdef _WIN32
        typedef BOOL(WINAPI * FeatureFn)(DWORD);
        FeatureFn present =
            (FeatureFn)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsProcessorFeaturePresent");
        ok = present && present(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
#else
        ok = false;
#endif
#endif
        unsigned a, b, c = 0, d;
        if (ok) ok = __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL) != 0;
        g_clmul = ok ? 2 : 1;
    }
    return g_clmul == 2;
}

#define CLMUL_FOLD(x, k, next) \
    x = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next)

// len >= 64; returns the register over all whole 16-byte blocks and leaves
// the rest (under 16 bytes) to the tables.
__attribute__((target("sse2,pclmul"), force_align_arg_pointer)) static uint32_t
ClmulSum(uint32_t crc, const unsigned char *p, size_t len) {
    const __m128i *q = (const __m128i *)p;
    __m128i x0 = _mm_xor_si128(_mm_loadu_si128(q), _mm_cvtsi32_si128((int)crc));
    __m128i x1 = _mm_loadu_si128(q + 1), x2 = _mm_loadu_si128(q + 2), x3 = _mm_loadu_si128(q + 3);
    q += 4;
    len -= 64;
    __m128i k = _mm_set_epi64x(0x01c6e41596ll, 0x0154442bd4ll);
    for (; len >= 64; len -= 64, q += 4) {
        CLMUL_FOLD(x0, k, _mm_loadu_si128(q));
        CLMUL_FOLD(x1, k, _mm_loadu_si128(q + 1));
        CLMUL_FOLD(x2, k, _mm_loadu_si128(q + 2));
        CLMUL_FOLD(x3, k, _mm_loadu_si128(q + 3));
    }
    k = _mm_set_epi64x(0x00ccaa009ell, 0x01751997d0ll);
    CLMUL_FOLD(x0, k, x1);
    CLMUL_FOLD(x0, k, x2);
    CLMUL_FOLD(x0, k, x3);
    for (; len >= 16; len -= 16, q++) CLMUL_FOLD(x0, k, _mm_loadu_si128(q));
    // 128 bits to 64, then 64 to 32.
    __m128i low32 = _mm_set_epi32(0, -1, 0, -1);
    x0 = _mm_xor_si128(_mm_srli_si128(x0, 8), _mm_clmulepi64_si128(x0, k, 0x10));
    k = _mm_set_epi64x(0, 0x0163cd6124ll);
    x0 = _mm_xor_si128(_mm_srli_si128(x0, 4), _mm_clmulepi64_si128(_mm_and_si128(x0, low32), k, 0x00));
    // Barrett reduction by P (low half) and x^64 / P (high half).
    k = _mm_set_epi64x(0x01f7011641ll, 0x01db710641ll);
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x0, low32), k, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), k, 0x00);
    return (uint32_t)_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x0, t), 4));
}
#endif

uint32_t Crc32Update(uint32_t crc, const void *data, size_t len) {
    const unsigned char *p = (const unsigned char *)data;
    crc = ~crc;
#ifdef CRC_CLMUL
    if (len >= 64 && HaveClmul()) {
        crc = ClmulSum(crc, p, len);
        p += len & ~(size_t)15;
        len &= 15;
    }
#endif
    return ~TableSum(crc, p, len);
}
