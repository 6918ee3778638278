// What the setup keeps after each run so that the uninstaller can tell its
// log from one changed behind its back: under HKLM\Software\KVX32\Install
// Logs a binary value named by the log's path, the number of installations
// it leaves out (4 bytes) and the log's SHA-1. Made here, for logs the
// tests write as a setup would.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>

// SHA-1 (FIPS 180-1), written out: the system's own provider starts a
// thread that the 32-bit loader under emulation cannot run.
inline std::string Sha1(const std::string &bytes) {
    auto rotate = [](uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string m = bytes + '\x80';
    while (m.size() % 64 != 56) m += '\0';
    for (int i = 7; i >= 0; i--) m += (char)(((uint64_t)bytes.size() * 8) >> (8 * i));
    for (size_t at = 0; at < m.size(); at += 64) {
        uint32_t w[80];
        for (int i = 0; i < 80; i++)
            w[i] = i < 16 ? (uint32_t)(unsigned char)m[at + 4 * i] << 24 | (uint32_t)(unsigned char)m[at + 4 * i + 1] << 16 |
                                (uint32_t)(unsigned char)m[at + 4 * i + 2] << 8 | (unsigned char)m[at + 4 * i + 3]
                          : rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; i++) {
            uint32_t f = i < 20 ? ((b & c) | (~b & d)) + 0x5A827999
                         : i < 40 ? (b ^ c ^ d) + 0x6ED9EBA1
                         : i < 60 ? ((b & c) | (b & d) | (c & d)) + 0x8F1BBCDC
                                  : (b ^ c ^ d) + 0xCA62C1D6;
            uint32_t t = rotate(a, 5) + f + e + w[i];
            e = d, d = c, c = rotate(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    std::string sum;
    for (uint32_t v : h)
        for (int i = 3; i >= 0; i--) sum += (char)(v >> (8 * i));
    return sum;
}

inline const char *VouchKey() { return "Software\\KVX32\\Install Logs"; }

// The word the setup would give for the log as it stands.
inline bool Vouch(const std::string &log, const std::string &bytes) {
    std::string word = std::string(4, '\0') + Sha1(bytes);
    return word.size() == 24 &&
           RegSetKeyValueA(HKEY_LOCAL_MACHINE, VouchKey(), log.c_str(), REG_BINARY, word.data(), 24) == ERROR_SUCCESS;
}

// The word stored for the log ("" when none).
inline std::string VouchFor(const std::string &log) {
    char word[64];
    DWORD size = sizeof word;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, VouchKey(), log.c_str(), RRF_RT_REG_BINARY, 0, word, &size)) return "";
    return std::string(word, size);
}
