// What the setup keeps after each run so that the uninstaller can tell its
// log from one changed behind its back: under HKLM\Software\KVX32\Install
// Logs a binary value named by the log's path, the number of installations
// it leaves out (4 bytes) and the log's SHA-1. Made here with the system's
// own digest, for logs the tests write as a setup would.
#pragma once
#include <windows.h>
#include <wincrypt.h>
#include <string>

inline std::string Sha1(const std::string &bytes) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[20];
    DWORD size = sizeof digest;
    std::string sum;
    if (CryptAcquireContextA(&provider, 0, 0, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
        CryptHashData(hash, (const BYTE *)bytes.data(), (DWORD)bytes.size(), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
        sum.assign((const char *)digest, size);
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
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
