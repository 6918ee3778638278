// Bytes in memory for the decoder's read callback, and raw deflate (no zlib
// header, 32 KB window) through zlib: shared by the build tool, its tests,
// the fuzz seeds and the decoder benchmark.
#pragma once
#include <stdint.h>
#include <string.h>
#include <zlib.h>
#include <string>

struct MemoryInput {
    const unsigned char *p;
    size_t left;
};

inline int ReadMemory(void *context, unsigned char *buf, int max) {
    MemoryInput *in = (MemoryInput *)context;
    size_t n = in->left < (size_t)max ? in->left : (size_t)max;
    memcpy(buf, in->p, n);
    in->p += n;
    in->left -= n;
    return (int)n;
}

// A whole file in memory for the entry walk's read callback (context: the
// std::string).
inline bool ReadStringAt(void *context, uint32_t offset, void *buf, uint32_t len) {
    const std::string *file = (const std::string *)context;
    if (offset > file->size() || file->size() - offset < len) return false;
    memcpy(buf, file->data() + offset, len);
    return true;
}

inline std::string RawDeflate(const std::string &in, int level, int strategy) {
    z_stream z;
    memset(&z, 0, sizeof z);
    deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy);
    std::string out(deflateBound(&z, in.size()) + 64, '\0');
    z.next_in = (Bytef *)in.data();
    z.avail_in = (uInt)in.size();
    z.next_out = (Bytef *)&out[0];
    z.avail_out = (uInt)out.size();
    while (deflate(&z, Z_FINISH) == Z_OK) {
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
