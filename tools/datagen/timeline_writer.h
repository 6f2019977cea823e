#pragma once
// Writer of input timelines (VANTREL_SCRIPT; the form is described in
// src/platform/timeline.h): the settings lines, then one "at" or "tick"
// line per event, each ending in LF.
#include <string>

#include "platform/timeline.h"

namespace datagen {

// "step", "screen", "limit" (when set) and "seed" (when set), then the
// "at" events and the "tick" events in their order.
std::string BuildTimeline(const plat::Timeline& timeline);
// Native path; parent folders are created.
bool WriteTimeline(const std::string& path, const plat::Timeline& timeline);

} // namespace datagen
