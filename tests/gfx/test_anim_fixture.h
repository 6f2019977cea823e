#pragma once
// Shared by the animation, drawable, cursor and trail tests: libraries
// written with the datagen writers, pictures with a model to compare
// surfaces against.
#include <string>
#include <utility>
#include <vector>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/anim.h"
#include "gfx/res_lib.h"
#include "test_image_fixture.h"

namespace animtest {

using imgtest::Ref;
using imgtest::RefPic;

// A w x h picture: a pattern seeded by `seed`, with keyed pixels on the
// diagonal so the colour key shows; optionally RLE with a compressed alpha
// plane.
inline datagen::ImageFrame Picture(int32_t w, int32_t h, int seed, bool rle = false, bool alpha = false) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            f.pixels.push_back(x == y ? datagen::kKey565 : static_cast<uint16_t>(0x0841 * (seed + 1) + 37 * x + 501 * y));
    if (alpha) {
        for (int32_t i = 0; i < w * h; ++i) f.alpha.push_back(static_cast<uint8_t>(0x40 + (i * 29) % 0xC0));
        f.compressAlpha = true;
    }
    return f;
}

inline datagen::AnimFrameSpec Frame(uint32_t resId, uint32_t delay, int32_t x = 0, int32_t y = 0, int32_t hx = 0,
                                    int32_t hy = 0) {
    datagen::AnimFrameSpec f;
    f.resId = resId;
    f.delay = delay;
    f.x = x;
    f.y = y;
    f.hotX = hx;
    f.hotY = hy;
    return f;
}

inline datagen::AnimFrameSpec EmptyFrame() {
    datagen::AnimFrameSpec f;
    f.empty = true;
    f.delay = 9;
    f.resId = 0x12345;
    return f;
}

class AnimTest : public imgtest::ImageTest {
protected:
    static int32_t Refs(int lib, uint32_t entry) {
        const CLibEntry* e = g_ResList.GetLib(lib)->FindEntry(entry);
        return e ? e->m_RefCount : -1;
    }
    static bool Loaded(int lib, uint32_t entry) { return g_ResList.GetLib(lib)->FindEntry(entry) != nullptr; }
};

} // namespace animtest
