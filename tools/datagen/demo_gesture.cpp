#include "datagen/demo_gesture.h"

#include <cmath>

#include "datagen/bytes.h"
#include "datagen/image_encoder.h"
#include "datagen/method_point_writer.h"
#include "datagen/texture_writer.h"

namespace datagen {

namespace {

std::string Folder(const std::string& nativeFolder) {
    return nativeFolder + (nativeFolder.empty() || nativeFolder.back() == '/' ? "" : "/");
}

} // namespace

bool WriteDemoMethodPoints(const std::string& nativeFolder) {
    return WriteBytes(Folder(nativeFolder) + "mb/MethodPoint.txt", BuildMethodPoints(DemoGesturePatterns()));
}

bool WriteDemoTrailPicture(const std::string& nativeFolder) {
    const RgbaImage spot = MakeImage(16, 16, [](int32_t x, int32_t y) {
        const double dx = x - 7.5, dy = y - 7.5;
        const double d = std::sqrt(dx * dx + dy * dy);
        const uint32_t v = d >= 8.0 ? 0u : static_cast<uint32_t>(255.0 * (1.0 - d / 8.0));
        return 0xFF000000u | (v << 16) | (v << 8) | v;
    });
    return WriteBytes(Folder(nativeFolder) + "th/effect.bmp", BmpBytes(spot));
}

void AddDemoGestureFields(Table& skillRows) {
    for (auto& row : skillRows) {
        if (row.size() < 2 || row[1] != "Strike") continue;
        if (row.size() <= 36) row.resize(37);
        row[36] = std::to_string(1000 + kDemoStrikeGesture);
    }
}

} // namespace datagen
