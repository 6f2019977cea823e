#include "datagen/lib_writer.h"

#include "datagen/demo_creatures.h"
#include "datagen/demo_settings.h"
#include "datagen/demo_ui.h"

#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "datagen/ini_writer.h"

namespace datagen {

std::string BuildLib(const std::vector<std::string>& entries) {
    Bytes b;
    b.Fixed("quorLib2.0", 16).U32(static_cast<uint32_t>(entries.size())).Fixed("", kLibHeaderBytes - 20);
    uint32_t at = kLibHeaderBytes + 8 * static_cast<uint32_t>(entries.size());
    for (const std::string& e : entries) {
        b.U32(at).U32(static_cast<uint32_t>(e.size()));
        at += static_cast<uint32_t>(e.size());
    }
    for (const std::string& e : entries) b.Raw(e);
    return b.str();
}

bool WriteLib(const std::string& nativePath, const std::vector<std::string>& entries) {
    return WriteBytes(nativePath, BuildLib(entries));
}

std::string BuildIdxLib(const std::vector<std::string>& names) {
    KeyValues kv{{"num", std::to_string(names.size())}};
    for (const std::string& n : names) kv.emplace_back("name", n);
    return BuildIni(kv, false);
}

bool WriteIdxLib(const std::string& nativePath, const std::vector<std::string>& names) {
    return WriteBytes(nativePath, BuildIdxLib(names));
}

namespace {

// A w x h frame: a filled body with a one-pixel border of `edge`; corners
// transparent when `keyedCorners`.
ImageFrame Box(int32_t w, int32_t h, uint16_t body, uint16_t edge, bool keyedCorners) {
    ImageFrame f;
    f.width = w;
    f.height = h;
    f.pixels.assign(static_cast<size_t>(w) * h, body);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            const bool corner = (x == 0 || x == w - 1) && (y == 0 || y == h - 1);
            if (border) f.pixels[static_cast<size_t>(y) * w + x] = edge;
            if (corner && keyedCorners) f.pixels[static_cast<size_t>(y) * w + x] = kKey565;
        }
    return f;
}

// An arrow-like cursor picture: a right triangle of `colour`, outlined in
// black, the rest transparent.
ImageFrame Pointer(int32_t size, uint16_t colour) {
    ImageFrame f;
    f.width = size;
    f.height = size;
    f.rle = true;
    f.pixels.assign(static_cast<size_t>(size) * size, kKey565);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x <= y && x < size; ++x)
            f.pixels[static_cast<size_t>(y) * size + x] = (x == 0 || x == y || y == size - 1) ? 0 : colour;
    return f;
}

} // namespace

bool WriteDemoLibraries(const std::string& nativeFolder) {
    const std::string zy = nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/") + "Zy/";

    // Library 1: the ten start-up images.
    std::vector<std::string> ui;
    for (int i = 0; i < 10; ++i) {
        const uint16_t body = Rgb16(40 + 20 * i, 60, 200 - 15 * i);
        ImageFrame f = Box(32 + 8 * i, 16 + 2 * i, body, Rgb16(255, 255, 255), i % 2 == 1);
        f.rle = i % 2 == 1;
        if (i == 9) {
            f.alpha.assign(f.pixels.size(), 0xF0);
            f.compressAlpha = true;
        }
        ui.push_back(EncodeFrame(f));
    }

    // Library 2: the cursor's frames and the markers' frames.
    std::vector<std::string> sprite;
    sprite.push_back(BuildFrameTable({EncodeFrame(Pointer(16, Rgb16(255, 255, 255))),
                                      EncodeFrame(Pointer(16, Rgb16(200, 200, 255))),
                                      EncodeFrame(Pointer(16, Rgb16(255, 220, 0))),
                                      EncodeFrame(Pointer(16, Rgb16(255, 180, 0)))}));
    for (int m = 0; m < 2; ++m) {
        ImageFrame a = Box(12, 12, Rgb16(m ? 255 : 0, m ? 0 : 255, 0), 0, true);
        ImageFrame b = Box(10, 10, Rgb16(m ? 200 : 0, m ? 0 : 200, 0), 0, true);
        a.rle = b.rle = true;
        sprite.push_back(BuildFrameTable({EncodeFrame(a), EncodeFrame(b)}));
    }

    // Library 0: animation tables at the ids the game binds.
    std::vector<std::string> anim(146);
    const auto frame = [](uint32_t entry, uint32_t n, int32_t hot) {
        AnimFrameSpec f;
        f.delay = 4;
        f.resId = (2u << 20) | entry | (n << 24);
        f.hotX = hot;
        f.hotY = hot;
        return f;
    };
    anim[28] = BuildAnimTable({{0, {frame(0, 1, 0), frame(0, 2, 0)}}, {0, {frame(0, 3, 0), frame(0, 4, 0)}}});
    anim[144] = BuildAnimTable({{0, {frame(1, 1, 6), frame(1, 2, 5)}}});
    anim[145] = BuildAnimTable({{0, {frame(2, 1, 6), frame(2, 2, 5)}}});
    // The panels' pictures (demo_ui.h): frames after the start-up images.
    AddDemoUiAnims(anim, 1, static_cast<uint32_t>(ui.size()));
    for (std::string& f : BuildDemoUiFrames()) ui.push_back(std::move(f));
    // The settings window's and the loading window's pictures after them.
    AddDemoSettingsAnims(anim, 1, static_cast<uint32_t>(ui.size()));
    for (std::string& f : BuildDemoSettingsFrames()) ui.push_back(std::move(f));

    // The world's creatures, items, splashes and footprints: pictures after
    // the markers in library 2.
    if (!AddDemoCreatureAnims(anim, sprite, 2)) return false;

    return WriteLib(zy + "anim.lib", anim) && WriteLib(zy + "ui.lib", ui) && WriteLib(zy + "sprite.lib", sprite) &&
           WriteIdxLib(zy + "idx.lib", {"anim", "ui", "sprite"});
}

} // namespace datagen
