#include "platform/present.h"

#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/png.h"

namespace plat {

FrameFit FitFrame(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH) {
    FrameFit f;
    if (outW <= 0 || outH <= 0 || frameW <= 0 || frameH <= 0) return f;
    // Compare outW/outH with frameW/frameH without rounding.
    if (static_cast<int64_t>(outW) * frameH <= static_cast<int64_t>(outH) * frameW) {
        f.w = outW;
        f.h = static_cast<int32_t>((static_cast<int64_t>(outW) * frameH + frameW / 2) / frameW);
    } else {
        f.h = outH;
        f.w = static_cast<int32_t>((static_cast<int64_t>(outH) * frameW + frameH / 2) / frameH);
    }
    if (f.w < 1) f.w = 1;
    if (f.h < 1) f.h = 1;
    f.x = (outW - f.w) / 2;
    f.y = (outH - f.h) / 2;
    f.whole = f.w % frameW == 0 && f.h % frameH == 0 && f.w / frameW == f.h / frameH;
    return f;
}

bool OutputToFrame(int32_t outW, int32_t outH, int32_t frameW, int32_t frameH, int32_t outX, int32_t outY,
                   int32_t* frameX, int32_t* frameY) {
    const FrameFit f = FitFrame(outW, outH, frameW, frameH);
    if (f.w <= 0 || f.h <= 0) return false;
    // The frame pixel under the output pixel's centre, as the scaled
    // picture samples it.
    auto map = [](int32_t p, int32_t origin, int32_t size, int32_t frame) {
        const int64_t rel = static_cast<int64_t>(p) - origin;
        if (rel <= 0) return 0;
        const int64_t v = (2 * rel + 1) * frame / (2 * static_cast<int64_t>(size));
        return static_cast<int32_t>(v >= frame ? frame - 1 : v);
    };
    if (frameX) *frameX = map(outX, f.x, f.w, frameW);
    if (frameY) *frameY = map(outY, f.y, f.h, frameH);
    return true;
}

std::vector<uint8_t> FrameToRgb(const Frame& frame) {
    std::vector<uint8_t> out;
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr) return out;
    out.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    uint8_t* o = out.data();
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* row = frame.pixels + static_cast<size_t>(y) * frame.pitch;
        for (int32_t x = 0; x < frame.width; ++x) {
            uint16_t p;
            std::memcpy(&p, row + x * 2, 2);
            uint8_t r, g, b;
            UnpackPixel(frame.layout, p, &r, &g, &b);
            if (frame.gamma) {
                r = static_cast<uint8_t>(frame.gamma->red[r] >> 8);
                g = static_cast<uint8_t>(frame.gamma->green[g] >> 8);
                b = static_cast<uint8_t>(frame.gamma->blue[b] >> 8);
            }
            *o++ = r;
            *o++ = g;
            *o++ = b;
        }
    }
    return out;
}

void BuildGammaTable(PixelLayout layout, const GammaRamp& ramp, std::vector<uint16_t>& table) {
    table.resize(65536);
    for (uint32_t p = 0; p < 65536; ++p) {
        uint8_t r, g, b;
        UnpackPixel(layout, static_cast<uint16_t>(p), &r, &g, &b);
        table[p] = PackPixel(layout, static_cast<uint8_t>(ramp.red[r] >> 8), static_cast<uint8_t>(ramp.green[g] >> 8),
                             static_cast<uint8_t>(ramp.blue[b] >> 8));
    }
}

static std::string DumpPathFromEnv() {
    const char* v = std::getenv("VANTREL_FRAME_PNG");
    return v ? std::string(v) : std::string();
}

HeadlessPresenter::HeadlessPresenter() : HeadlessPresenter(DumpPathFromEnv()) {}

HeadlessPresenter::HeadlessPresenter(std::string dumpPath) : dumpPath_(std::move(dumpPath)) { SetIdentityRamp(gamma_); }

HeadlessPresenter::~HeadlessPresenter() {
    if (HasFrame()) DebugPrintf("headless presenter: %d frames presented\n", frames_);
    if (!dumpPath_.empty() && HasFrame()) WritePng(dumpPath_);
}

bool HeadlessPresenter::Present(const Frame& frame) {
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr || frame.pitch < frame.width * 2) return false;
    width_ = frame.width;
    height_ = frame.height;
    layout_ = frame.layout;
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (int32_t y = 0; y < height_; ++y) {
        std::memcpy(pixels_.data() + static_cast<size_t>(y) * width_, frame.pixels + static_cast<size_t>(y) * frame.pitch,
                    static_cast<size_t>(width_) * 2);
    }
    hasGamma_ = frame.gamma != nullptr;
    if (hasGamma_) gamma_ = *frame.gamma;
    ++frames_;
    return true;
}

Frame HeadlessPresenter::LastFrame() const {
    Frame f;
    if (!HasFrame()) return f;
    f.width = width_;
    f.height = height_;
    f.pitch = width_ * 2;
    f.pixels = reinterpret_cast<const uint8_t*>(pixels_.data());
    f.layout = layout_;
    f.gamma = hasGamma_ ? &gamma_ : nullptr;
    return f;
}

bool HeadlessPresenter::WritePng(const std::string& nativePath) const {
    if (!HasFrame()) {
        DebugPrintf("headless presenter: no frame to write to %s\n", nativePath.c_str());
        return false;
    }
    const std::vector<uint8_t> rgb = LastRgb();
    return WritePngRgb(nativePath, width_, height_, rgb.data());
}

} // namespace plat
