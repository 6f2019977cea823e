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
    for (const plat::TimelineEvent& e : t.tickEvents) {
        out += "tick " + std::to_string(e.tick);
        if (e.tickOffsetMs) out += "+" + std::to_string(e.tickOffsetMs);
        out += " " + plat::FormatTimelineEvent(e) + "\n";
    }
    return out;
}

bool WriteTimeline(const std::string& path, const plat::Timeline& timeline) {
    return WriteBytes(path, BuildTimeline(timeline));
}

} // namespace datagen
