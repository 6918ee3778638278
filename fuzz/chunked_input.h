// Bytes in memory for the decoder's read callback, handed over in pieces of
// at most `chunk` bytes so that its refills fall at every boundary: for the
// decoder's tests and the fuzz targets.
#pragma once
#include <stddef.h>
#include <string.h>

struct ChunkedInput {
    const unsigned char *p;
    size_t left;
    int chunk;
};

inline int ReadChunked(void *context, unsigned char *buf, int max) {
    ChunkedInput *in = (ChunkedInput *)context;
    size_t n = in->left;
    if (n > (size_t)max) n = (size_t)max;
    if (n > (size_t)in->chunk) n = (size_t)in->chunk;
    memcpy(buf, in->p, n);
    in->p += n;
    in->left -= n;
    return (int)n;
}
