#include "corpus.h"
#include <random>
#include <string.h>
#include <zlib.h>

std::vector<std::string> MakeCorpus(size_t total, unsigned seed) {
    std::mt19937 rng(seed);
    static const char *words[] = {"setup", "install", "folder", "the", "of", "Windows", "file", "copy",
                                  "registry", "value", "\r\n", " ", "=", "[DLG]", "C53", "%INSTDIR%"};
    std::vector<std::string> out;
    out.push_back("");
    size_t made = 0;
    while (made < total) {
        size_t n = 1 + rng() % 400000;
        std::string s;
        s.reserve(n);
        switch (out.size() % 5) {
        case 0:  // text
            while (s.size() < n) s += words[rng() % 16];
            break;
        case 1:  // random
            while (s.size() < n) s += (char)rng();
            break;
        case 2:  // binary-like: small numbers, structures, zero runs
            while (s.size() < n) {
                unsigned k = rng() % 8;
                if (k == 0) s.append(rng() % 300, '\0');
                else for (int i = 0; i < 16; i++) s += (char)((rng() % 32) * k);
            }
            break;
        case 3:  // long repeats at every distance
            while (s.size() < n) {
                if (s.size() > 40000 && rng() % 2) {
                    size_t d = 1 + rng() % 32768, len = 3 + rng() % 300;
                    for (size_t i = 0; i < len; i++) s += s[s.size() - d];
                } else {
                    s += (char)('a' + rng() % 4);
                }
            }
            break;
        default:  // skewed alphabet: long Huffman codes
            while (s.size() < n) {
                unsigned r = rng();
                s += (char)(r & 1 ? 'x' : r & 2 ? 'y' : (char)(r >> 8));
            }
        }
        s.resize(n);
        made += n;
        out.push_back(std::move(s));
    }
    return out;
}

