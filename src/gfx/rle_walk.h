#pragma once
// The window walk over run-length rows and the cursor over compressed alpha
// rows, shared by the reference and the fast kernels so both cut rows at
// exactly the same places; only what each does with a visible piece differs.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "gfx/kernels.h"

namespace rle {

inline int32_t Rd16(const uint8_t* p) { return p[0] | (p[1] << 8); }
inline uint32_t Rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Walks the visible window [skipBytes, skipBytes + widthBytes) of each row and
// calls run(dst, src, bytes, imagePos) for every visible piece of a run;
// imagePos is the piece's byte position in the image row.
template <class RunFn>
void WalkRle(uint8_t* dst, const RleRows& rows, int32_t widthBytes, int32_t rowCount, int32_t dstPitch,
             int32_t skipBytes, RunFn&& run) {
    if (widthBytes <= 0 || rowCount <= 0) return;
    for (int32_t i = 0; i < rowCount; ++i, dst += dstPitch) {
        const uint8_t* p = rows.data + Rd32(rows.offsets + 4 * i);
        uint8_t* d = dst;
        int32_t pos = 0;
        int32_t left = Rd16(p); // what is left of the current skip or run
        p += 2;
        bool inRun = false;

        // Find where the window starts: inside a skip or inside a run.
        int32_t off = std::max(skipBytes, 0);
        for (;;) {
            if (left > off) {
                left -= off;
                pos += off;
                break;
            }
            off -= left;
            pos += left;
            const int32_t len = Rd16(p);
            p += 2;
            if (len > off) {
                p += off;
                pos += off;
                left = len - off;
                inRun = true;
                break;
            }
            off -= len;
            pos += len;
            p += len;
            left = Rd16(p);
            p += 2;
        }

        int32_t remaining = widthBytes;
        for (;;) {
            const int32_t n = std::min(left, remaining);
            if (inRun) run(d, p, n, pos);
            d += n;
            pos += n;
            remaining -= n;
            if (remaining == 0) break;
            if (inRun) p += left;
            left = Rd16(p);
            p += 2;
            inRun = !inRun;
        }
    }
}

// Position in one compressed alpha row, advanced in step with the pixels.
class AlphaCursor {
public:
    AlphaCursor(const uint8_t* row, int32_t imageWidth) : width_(imageWidth) {
        start_ = Rd16(row);
        p_ = row + 2;
        OpenRun();
    }
    // Moves to the first alpha run that ends after pixel px (px never goes
    // back); afterwards Start() > px means px lies in a gap. Start() is
    // INT_MAX when no run is left.
    void Seek(int32_t px) {
        while (px >= end_ && !done_) {
            p_ += end_ - start_;
            start_ = end_ + Rd16(p_);
            p_ += 2;
            OpenRun();
        }
        if (px >= end_) start_ = end_ = INT_MAX;
    }
    int32_t Start() const { return start_; }
    int32_t End() const { return end_; }
    // Alpha bytes of the current run, indexed by pixel - Start().
    const uint8_t* Bytes() const { return p_; }

private:
    void OpenRun() {
        if (start_ < width_) {
            end_ = start_ + Rd16(p_);
            p_ += 2;
            done_ = end_ >= width_;
        } else {
            start_ = end_ = INT_MAX;
            done_ = true;
        }
    }
    const uint8_t* p_;
    int32_t width_;
    int32_t start_ = 0;
    int32_t end_ = 0;
    bool done_ = false;
};

// Walks the visible window of RLE rows with their compressed alpha rows
// and calls span(dst, src, alphaBytes, pixels) for every visible piece that
// lies wholly inside one alpha run (pieces under alpha gaps are skipped).
template <class SpanFn>
void WalkRleAlpha(uint8_t* dst, const RleRows& rows, const RleRows& alpha, int32_t widthBytes, int32_t rowCount,
                  int32_t dstPitch, int32_t imageWidth, int32_t skipBytes, SpanFn&& span) {
    if (widthBytes <= 0 || rowCount <= 0) return;
    for (int32_t i = 0; i < rowCount; ++i, dst += dstPitch) {
        AlphaCursor cursor(alpha.data + Rd32(alpha.offsets + 4 * i), imageWidth);
        const RleRows one{rows.data, rows.offsets + 4 * i};
        WalkRle(dst, one, widthBytes, 1, dstPitch, skipBytes,
                [&](uint8_t* d, const uint8_t* s, int32_t n, int32_t pos) {
                    const int32_t first = pos / 2, count = n / 2;
                    int32_t k = 0;
                    while (k < count) {
                        const int32_t px = first + k;
                        cursor.Seek(px);
                        if (cursor.Start() > px) {
                            if (cursor.Start() == INT_MAX) break;
                            k = std::min(count, cursor.Start() - first);
                            continue;
                        }
                        const int32_t spanEnd = std::min(count, cursor.End() - first);
                        span(d + 2 * k, s + 2 * k, cursor.Bytes() + (px - cursor.Start()), spanEnd - k);
                        k = spanEnd;
                    }
                });
    }
}

} // namespace rle
