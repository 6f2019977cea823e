#pragma once
// Presenting frames: the display device produces a frame (16-bit pixels in a
// layout, plus the gamma ramp in force) and a presenter puts it somewhere.
// The headless presenter keeps the last frame and can write it as a PNG; the
// SDL presenter (present_sdl.h) shows it in a window.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display.h"

namespace plat {

struct Frame {
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;  // bytes from one row to the next
    const uint8_t* pixels = nullptr;  // 16-bit words, native byte order
    PixelLayout layout = PixelLayout::k565;
    const GammaRamp* gamma = nullptr;  // null: identity
};

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual bool Present(const Frame& frame) = 0;
    // True when the next frame must come even if it equals the last one
    // (what was shown got lost: a window uncovered or resized).
    virtual bool WantsFrame() const { return false; }
};

// Where a frame lands in an output area (a window or a screen): the largest
// rectangle with the frame's aspect that fits, centred, black bars around
// it. A frame scaled by a whole number is drawn nearest-neighbour (sharp
// pixels); any other scale is filtered linearly.
struct FrameFit {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    bool whole = false;
};
FrameFit FitFrame(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH);

// A point of the output area in frame coordinates. A point in a bar (or
// outside the area) clamps to the frame's nearest edge. False when either
// size is empty.
bool OutputToFrame(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH, int32_t outX, int32_t outY,
                   int32_t* frameX, int32_t* frameY);

// RGB bytes (3 per pixel, rows packed) of a frame, each field widened to 8
// bits by repeating its top bits, then passed through the gamma ramp.
std::vector<uint8_t> FrameToRgb(const Frame& frame);

// The 65,536-entry map from a pixel to its pixel after the gamma ramp, in
// one layout (for presenters that keep 16-bit textures).
void BuildGammaTable(PixelLayout layout, const GammaRamp& ramp, std::vector<uint16_t>& table);

// Keeps a copy of the last frame. When `dumpPath` is non-empty (default:
// the VANTREL_FRAME_PNG environment variable) the last frame is written
// there as a PNG when the presenter is destroyed.
class HeadlessPresenter : public Presenter {
public:
    HeadlessPresenter();
    explicit HeadlessPresenter(std::string dumpPath);
    ~HeadlessPresenter() override;

    bool Present(const Frame& frame) override;

    bool HasFrame() const { return frames_ > 0; }
    int FrameCount() const { return frames_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    PixelLayout Layout() const { return layout_; }
    // The kept frame (pitch width x 2, gamma as it was when presented).
    Frame LastFrame() const;
    std::vector<uint8_t> LastRgb() const { return FrameToRgb(LastFrame()); }
    bool WritePng(const std::string& nativePath) const;
    const std::string& DumpPath() const { return dumpPath_; }

private:
    std::string dumpPath_;
    int frames_ = 0;
    int32_t width_ = 0, height_ = 0;
    PixelLayout layout_ = PixelLayout::k565;
    std::vector<uint16_t> pixels_;
    GammaRamp gamma_;
    bool hasGamma_ = false;
};

} // namespace plat
