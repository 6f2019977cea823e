#include "platform/present.h"

#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/png.h"

namespace plat {

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
