// Decoder throughput against zlib's inflate and libdeflate on the mixed
// test corpus, packed by the build tool's compressor as setup entries are,
// decode only and with the CRC-32 of the output. Figures are bytes of
// expanded output per second. Each benchmark runs twice: /0 over the mixed
// corpus, /1 over random bytes, which the compressor leaves in stored
// blocks.
//   inflate_bench              run the benchmarks
//   inflate_bench --sizes      corpus size packed by the build tool against gzip -9
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include "buildtool/memory_streams.h"
#include "buildtool/setup_file.h"
#include "supportlib/crc32.h"
#include "supportlib/entry_data.h"
#include "supportlib/inflate.h"
#include "tests/host/corpus.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

namespace {

struct Corpus {
    std::vector<std::string> raw, packed;
    size_t rawBytes = 0, packedBytes = 0, largest = 0;
};

const Corpus &TheCorpus(int kind = 0) {
    static Corpus *corpora[2];
    Corpus *&c = corpora[kind];
    if (!c) {
        c = new Corpus;
        if (kind == 0) {
            c->raw = MakeCorpus(52u << 20, 7);
        } else {
            uint32_t x = 7;
            for (int i = 0; i < 13; i++) {
                std::string piece(4u << 20, '\0');
                for (char &b : piece) b = (char)((x = x * 1664525u + 1013904223u) >> 24);
                c->raw.push_back(piece);
            }
        }
        for (const std::string &piece : c->raw) {
            c->packed.push_back(CompressEntryData(piece));
            c->rawBytes += piece.size();
            c->packedBytes += c->packed.back().size();
            if (piece.size() > c->largest) c->largest = piece.size();
        }
    }
    return *c;
}

struct Output {
    unsigned char *p;
};
int WriteMemory(void *c, const unsigned char *buf, int len) {
    Output *o = (Output *)c;
    memcpy(o->p, buf, (size_t)len);
    o->p += len;
    return 0;
}
int Discard(void *, const unsigned char *, int) { return 0; }

void Check(bool ok, const char *what, benchmark::State &state) {
    if (!ok) state.SkipWithError(what);
}

// Ours: decode every piece into memory.
void BM_OurInflate(benchmark::State &state) {
    const Corpus &c = TheCorpus((int)state.range(0));
    std::vector<unsigned char> out(c.largest + 16);
    static InflateState s;
    for (auto _ : state) {
        for (const std::string &p : c.packed) {
            MemoryInput in = {(const unsigned char *)p.data(), p.size()};
            Output o = {out.data()};
            if (InflateStream(&s, ReadMemory, &in, WriteMemory, &o) != INFLATE_OK) Check(false, "decode failed", state);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.rawBytes);
}

// zlib: the same pieces, each in one inflate call into memory.
void BM_ZlibInflate(benchmark::State &state) {
    const Corpus &c = TheCorpus((int)state.range(0));
    std::vector<unsigned char> out(c.largest + 16);
    z_stream z;
    memset(&z, 0, sizeof z);
    inflateInit2(&z, -15);
    for (auto _ : state) {
        for (const std::string &p : c.packed) {
            inflateReset(&z);
            z.next_in = (Bytef *)p.data();
            z.avail_in = (uInt)p.size();
            z.next_out = out.data();
            z.avail_out = (uInt)out.size();
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) Check(false, "zlib failed", state);
        }
        benchmark::ClobberMemory();
    }
    inflateEnd(&z);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.rawBytes);
}

// What unpacking an entry costs: decode plus CRC-32 and size check (ours
// through the library's entry check, zlib with its own crc32).
void BM_OurInflateWithCrc(benchmark::State &state) {
    const Corpus &c = TheCorpus((int)state.range(0));
    static InflateState s;
    std::vector<EntryHeader> headers(c.raw.size());
    for (size_t i = 0; i < c.raw.size(); i++) {
        headers[i].expanded = (uint32_t)c.raw[i].size();
        headers[i].crc = (uint32_t)crc32(0, (const Bytef *)c.raw[i].data(), (uInt)c.raw[i].size());
    }
    for (auto _ : state) {
        for (size_t i = 0; i < c.packed.size(); i++) {
            MemoryInput in = {(const unsigned char *)c.packed[i].data(), c.packed[i].size()};
            if (InflateEntry(&s, &headers[i], ReadMemory, &in, Discard, 0) != ENTRY_DATA_OK)
                Check(false, "entry check failed", state);
        }
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.rawBytes);
}

void BM_ZlibInflateWithCrc(benchmark::State &state) {
    const Corpus &c = TheCorpus((int)state.range(0));
    std::vector<unsigned char> out(c.largest + 16);
    z_stream z;
    memset(&z, 0, sizeof z);
    inflateInit2(&z, -15);
    for (auto _ : state) {
        for (size_t i = 0; i < c.packed.size(); i++) {
            inflateReset(&z);
            z.next_in = (Bytef *)c.packed[i].data();
            z.avail_in = (uInt)c.packed[i].size();
            z.next_out = out.data();
            z.avail_out = (uInt)out.size();
            if (inflate(&z, Z_FINISH) != Z_STREAM_END) Check(false, "zlib failed", state);
            benchmark::DoNotOptimize(crc32(0, out.data(), (uInt)z.total_out));
        }
    }
    inflateEnd(&z);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.rawBytes);
}

// libdeflate: whole-buffer decoding, each piece into memory in one call
// (it needs the expanded size up front, which an entry header gives).
void LibdeflatePieces(benchmark::State &state, bool withCrc) {
    const Corpus &c = TheCorpus((int)state.range(0));
    std::vector<unsigned char> out(c.largest + 16);
    libdeflate_decompressor *d = libdeflate_alloc_decompressor();
    for (auto _ : state) {
        for (size_t i = 0; i < c.packed.size(); i++) {
            size_t got = 0;
            if (libdeflate_deflate_decompress(d, c.packed[i].data(), c.packed[i].size(), out.data(), out.size(),
                                              &got) != LIBDEFLATE_SUCCESS)
                Check(false, "libdeflate failed", state);
            if (withCrc) benchmark::DoNotOptimize(libdeflate_crc32(0, out.data(), got));
        }
        benchmark::ClobberMemory();
    }
    libdeflate_free_decompressor(d);
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)c.rawBytes);
}
void BM_LibdeflateInflate(benchmark::State &state) { LibdeflatePieces(state, false); }
void BM_LibdeflateInflateWithCrc(benchmark::State &state) { LibdeflatePieces(state, true); }

BENCHMARK(BM_OurInflate)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);
BENCHMARK(BM_LibdeflateInflate)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);
BENCHMARK(BM_OurInflateWithCrc)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibInflateWithCrc)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);
BENCHMARK(BM_LibdeflateInflateWithCrc)->Unit(benchmark::kMillisecond)->MinTime(3)->Arg(0)->Arg(1);

// Every piece through gzip -9 (as separate files, as entries are packed
// separately); sums the sizes.
int Sizes() {
    const Corpus &c = TheCorpus();
    char folder[] = "/tmp/inflate-bench.XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string piece = std::string(folder) + "/piece";
    size_t gzipBytes = 0;
    for (const std::string &raw : c.raw) {
        FILE *f = fopen(piece.c_str(), "wb");
        if (!f || fwrite(raw.data(), 1, raw.size(), f) != raw.size()) return 1;
        fclose(f);
        std::string command = "gzip -9 -n -c " + piece + " | wc -c";
        FILE *p = popen(command.c_str(), "r");
        unsigned long n = 0;
        if (!p || fscanf(p, "%lu", &n) != 1) return 1;
        pclose(p);
        gzipBytes += n;
    }
    unlink(piece.c_str());
    rmdir(folder);
    // gzip -n adds a 10-byte header and an 8-byte trailer to each file.
    size_t gzipDeflate = gzipBytes - 18 * c.raw.size();
    printf("corpus: %zu pieces, %zu bytes\n", c.raw.size(), c.rawBytes);
    printf("build tool's compressor: %zu bytes (%.2f%%)\n", c.packedBytes, 100.0 * c.packedBytes / c.rawBytes);
    printf("gzip -9: %zu bytes as .gz files, %zu bytes of deflate data (%.2f%%)\n", gzipBytes, gzipDeflate,
           100.0 * gzipDeflate / c.rawBytes);
    printf("build tool / gzip -9 (deflate data): %.4f\n", (double)c.packedBytes / gzipDeflate);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++)
        if (!strcmp(argv[i], "--sizes")) return Sizes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
