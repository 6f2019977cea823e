#include "datagen/timeline_writer.h"

#include "datagen/bytes.h"

namespace datagen {

std::string BuildTimeline(const plat::Timeline& t) {
    std::string out = "step " + std::to_string(t.stepMs) + "\n";
    out += "screen " + std::to_string(t.screenWidth) + " " + std::to_string(t.screenHeight) + "\n";
    if (t.limitMs) out += "limit " + std::to_string(t.limitMs) + "\n";
    if (t.hasSeed) out += "seed " + std::to_string(t.seed) + "\n";
    for (const plat::TimelineEvent& e : t.events)
        out += "at " + std::to_string(e.timeMs) + " " + plat::FormatTimelineEvent(e) + "\n";
    // Appended piece by piece: a literal + temporary string here made GCC 12
    // at -O3 warn of overlapping copies (-Wrestrict) that never happen.
    for (const plat::TimelineEvent& e : t.tickEvents) {
        out += "tick ";
        out += std::to_string(e.tick);
        if (e.tickOffsetMs) {
            out += '+';
            out += std::to_string(e.tickOffsetMs);
        }
        out += ' ';
        out += plat::FormatTimelineEvent(e);
        out += '\n';
    }
    return out;
}

bool WriteTimeline(const std::string& path, const plat::Timeline& timeline) {
    return WriteBytes(path, BuildTimeline(timeline));
}

} // namespace datagen
