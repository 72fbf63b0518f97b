#include "player/decode/movie_compression.h"

#include "LzmaDec.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

bool inflateExactly(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstSize) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<uint8_t*>(src);
    zs.avail_in = static_cast<uInt>(std::min<size_t>(srcSize, 0xFFFFFFFFu));
    zs.next_out = dst;
    zs.avail_out = static_cast<uInt>(dstSize);
    int rc = Z_OK;
    while (rc == Z_OK && zs.avail_out > 0) rc = inflate(&zs, Z_SYNC_FLUSH);
    bool whole = zs.avail_out == 0;
    inflateEnd(&zs);
    return whole && (rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR);
}

bool inflateGrowing(const uint8_t* src, size_t srcSize, size_t limit, std::vector<uint8_t>& out) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<uint8_t*>(src);
    zs.avail_in = static_cast<uInt>(std::min<size_t>(srcSize, 0xFFFFFFFFu));
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < limit) {
        size_t old = out.size();
        size_t chunk = std::min<size_t>(limit - old, std::max<size_t>(old, 1 << 16));
        out.resize(old + chunk);
        zs.next_out = out.data() + old;
        zs.avail_out = static_cast<uInt>(chunk);
        rc = inflate(&zs, Z_SYNC_FLUSH);
        out.resize(old + chunk - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;
    }
    inflateEnd(&zs);
    return rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR;
}

namespace {
void* lzmaAlloc(void*, size_t size) { return std::malloc(size); }
void lzmaFree(void*, void* address) { std::free(address); }
}  // namespace

// The output buffer is the decoder's dictionary: it grows as output comes, so
// a dictionary size claimed in the properties allocates nothing.
bool lzmaDecodeGrowing(const uint8_t props[5], const uint8_t* src, size_t srcSize, size_t limit,
                       std::vector<uint8_t>& out) {
    ISzAlloc alloc = {lzmaAlloc, lzmaFree};
    CLzmaDec dec;
    LzmaDec_Construct(&dec);
    if (LzmaDec_AllocateProbs(&dec, props, LZMA_PROPS_SIZE, &alloc) != SZ_OK) return false;
    out.resize(std::min<size_t>(limit, 1 << 16));
    dec.dic = out.data();
    dec.dicBufSize = out.size();
    LzmaDec_Init(&dec);
    bool ok = true;
    while (true) {
        SizeT used = srcSize;
        ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
        SRes rc = LzmaDec_DecodeToDic(&dec, dec.dicBufSize, src, &used, LZMA_FINISH_ANY, &status);
        src += used;
        srcSize -= used;
        if (rc != SZ_OK) {
            ok = dec.dicPos > 0;
            break;
        }
        if (dec.dicPos < dec.dicBufSize || out.size() >= limit) break;
        out.resize(std::min(limit, out.size() * 2));
        dec.dic = out.data();
        dec.dicBufSize = out.size();
    }
    out.resize(dec.dicPos);
    LzmaDec_FreeProbs(&dec, &alloc);
    return ok;
}
