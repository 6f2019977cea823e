#pragma once
// Timeline pieces the demo's play runs share: an event at a time, a click,
// and the way from the title through the class choice and the form into
// the running game (the game starts at ms + 1500; the cursor then rests at
// (340, 312)).
#include <gtest/gtest.h>

#include <string>

#include "datagen/demo_title.h"
#include "support/play.h"
#include "support/test_env.h"

namespace playtl {

// A fresh demo data folder for each run.
class DemoFolderTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(vtest::WriteDemoFolder(Dir(), &error)) << error;
    }
};

inline std::string At(int ms, const std::string& event) { return "at " + std::to_string(ms) + " " + event + "\n"; }
inline std::string Click(int ms, int x, int y, int holdMs = 100) {
    return At(ms, "move " + std::to_string(x) + " " + std::to_string(y)) + At(ms + 50, "ldown") + At(ms + 50 + holdMs, "lup");
}
inline int TitleButtonY(int id) {
    for (const datagen::DemoTitleButton& b : datagen::kDemoTitleButtons)
        if (b.id == id) return b.y + datagen::kDemoTitleButtonH / 2;
    return 0;
}
inline std::string StartFromTitle(int ms) {
    const int tx = datagen::kDemoTitleButtonX + datagen::kDemoTitleButtonW / 2;
    return Click(ms, tx, TitleButtonY(31)) + Click(ms + 500, datagen::DemoPortraitX(1) + 48, datagen::kDemoPortraitY + 64) +
           Click(ms + 1000, datagen::kDemoStartButton[0] + 40, datagen::kDemoStartButton[1] + 12);
}

} // namespace playtl
