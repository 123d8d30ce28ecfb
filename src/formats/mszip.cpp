// MSZip bodies of compressed .x files ("tzip"/"bzip"): a 32-bit total size
// (the 16-byte header included), then blocks of a 16-bit inflated size, a
// 16-bit stored size, and that many bytes: "CK" and a raw deflate stream. A
// block may refer back into the previous block's output, so that output is
// handed to zlib as the preset dictionary of the next one.
#include <zlib.h>
#include <cstring>

#include "formats/xfile.h"

namespace {

constexpr size_t kWindow = 32768;

bool Refuse(std::string* error, const char* what) {
    *error = std::string("compressed data: ") + what;
    return false;
}

}  // namespace

bool InflateMsZip(const uint8_t* body, size_t size, std::vector<uint8_t>* out,
                  std::string* error) {
    out->clear();
    if (size < 4) return Refuse(error, "missing size");
    uint32_t total;
    std::memcpy(&total, body, 4);
    if (total < 16) return Refuse(error, "bad total size");
    size_t expected = total - 16;
    if (expected > kXFileMaxBytes) return Refuse(error, "too large");
    // Deflate cannot expand more than about 1032:1; a header claiming more
    // than that is lying, and is refused before anything is allocated.
    if (expected / 1032 > size) return Refuse(error, "size does not fit the data");
    out->resize(expected);

    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return Refuse(error, "zlib failed to start");
    size_t pos = 4, done = 0;
    bool ok = true;
    const char* why = "";
    while (pos < size) {
        if (size - pos < 4) { ok = false; why = "truncated block header"; break; }
        uint16_t plain = uint16_t(body[pos] | (body[pos + 1] << 8));
        uint16_t packed = uint16_t(body[pos + 2] | (body[pos + 3] << 8));
        pos += 4;
        if (packed < 2 || packed > size - pos) { ok = false; why = "truncated block"; break; }
        if (body[pos] != 'C' || body[pos + 1] != 'K') { ok = false; why = "block without CK"; break; }
        if (plain > expected - done) { ok = false; why = "blocks larger than the total size"; break; }
        inflateReset(&zs);
        if (done > 0) {
            size_t dict = done < kWindow ? done : kWindow;
            if (inflateSetDictionary(&zs, out->data() + done - dict, uInt(dict)) != Z_OK) {
                ok = false;
                why = "zlib refused the dictionary";
                break;
            }
        }
        zs.next_in = const_cast<Bytef*>(body + pos + 2);
        zs.avail_in = packed - 2;
        zs.next_out = out->data() + done;
        zs.avail_out = plain;
        int r = inflate(&zs, Z_FINISH);
        // Each block should close its deflate stream; one that fills its
        // size exactly with every byte used is taken even without the close.
        bool filled = zs.avail_out == 0 && (r == Z_STREAM_END ||
                                            ((r == Z_OK || r == Z_BUF_ERROR) && zs.avail_in == 0));
        if (!filled) { ok = false; why = "damaged block"; break; }
        done += plain;
        pos += packed;
    }
    inflateEnd(&zs);
    if (ok && done != expected) { ok = false; why = "blocks smaller than the total size"; }
    if (!ok) {
        out->clear();
        return Refuse(error, why);
    }
    return true;
}
