#pragma once
// Input timelines (the files VANTREL_SCRIPT reads and VANTREL_RECORD
// writes): a refused text must name its line; an accepted one is written
// back with the datagen writer and must read back to the same events, then
// it is played into a headless main window on a fake clock, with a tick
// source moving one tick per 35 ms, for a bounded number of loop passes.
#include <cstdint>
#include <string>

#include "datagen/timeline_writer.h"
#include "env.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/recorder.h"
#include "platform/timeline.h"
#include "platform/window.h"

namespace fuzzharness {

inline bool SameEvents(const std::vector<plat::TimelineEvent>& a, const std::vector<plat::TimelineEvent>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const plat::TimelineEvent &x = a[i], &y = b[i];
        if (x.timeMs != y.timeMs || x.tick != y.tick || x.tickOffsetMs != y.tickOffsetMs || x.kind != y.kind ||
            x.a != y.a || x.b != y.b || x.hasPos != y.hasPos || x.text != y.text)
            return false;
    }
    return true;
}

inline int RunTimeline(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string text(reinterpret_cast<const char*>(data), size);
    plat::Timeline t;
    std::string error;
    if (!plat::ParseTimeline(text, &t, &error)) {
        if (error.rfind("timeline line ", 0) != 0) fuzzenv::Fail("a refused timeline names no line");
        return 0;
    }
    plat::Timeline back;
    if (!plat::ParseTimeline(datagen::BuildTimeline(t), &back, &error)) fuzzenv::Fail("written back, it is refused");
    if (back.stepMs != t.stepMs || back.screenWidth != t.screenWidth || back.screenHeight != t.screenHeight ||
        back.limitMs != t.limitMs || back.hasSeed != t.hasSeed || back.seed != t.seed ||
        !SameEvents(back.events, t.events) || !SameEvents(back.tickEvents, t.tickEvents))
        fuzzenv::Fail("written back, it reads differently");

    plat::FakeClock clock(0);
    plat::SetClock(&clock);
    plat::SetTickSource([&clock] { return static_cast<int64_t>(clock.NowMs() / 35); });
    plat::ResetInput();
    plat::ClearMessageQueue();
    plat::UseHeadlessBackend(text, true);
    plat::WindowDesc desc;
    plat::Window* window = plat::CreateMainWindow(desc, [](uint32_t, uint32_t, uint32_t, intptr_t*) { return true; });
    for (int pass = 0; pass < 300 && window; ++pass) {
        plat::Msg msg;
        while (plat::PeekMessage(&msg)) {
            plat::GetMessage(&msg);
            plat::TranslateMessage(msg);
            plat::DispatchMessage(msg);
        }
    }
    plat::DestroyWindow(window);
    plat::ClearMessageQueue();
    plat::ResetInput();
    plat::SetTickSource(nullptr);
    plat::SetClock(nullptr);
    return 1;
}

} // namespace fuzzharness
