#include "supportlib/entry_data.h"
#include "supportlib/crc32.h"

namespace {

struct CheckedSink {
    InflateWrite write;
    void *context;
    uint32_t crc;
    uint32_t left;  // bytes the header still allows
    int tooLong;
};

int WriteChecked(void *c, const unsigned char *buf, int len) {
    CheckedSink *s = (CheckedSink *)c;
    if ((uint32_t)len > s->left) {
        s->tooLong = 1;
        return 1;
    }
    s->left -= (uint32_t)len;
    s->crc = Crc32Update(s->crc, buf, (size_t)len);
    return s->write(s->context, buf, len);
}

}  // namespace

int InflateEntry(InflateState *state, const EntryHeader *h, InflateRead read, void *readContext,
                 InflateWrite write, void *writeContext) {
    CheckedSink sink = {write, writeContext, 0, h->expanded, 0};
    int r = InflateStream(state, read, readContext, WriteChecked, &sink);
    if (r == INFLATE_OK) return sink.left == 0 && sink.crc == h->crc ? ENTRY_DATA_OK : ENTRY_DATA_DAMAGED;
    if (r == INFLATE_WRITE_FAILED && !sink.tooLong) return ENTRY_DATA_WRITE_FAILED;
    if (r == INFLATE_READ_FAILED) return ENTRY_DATA_READ_FAILED;
    return ENTRY_DATA_DAMAGED;
}
