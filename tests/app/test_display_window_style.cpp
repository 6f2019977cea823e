// Changing the style bits of a window (the media player adds
// WS_CLIPCHILDREN to the windows it plays into).
#include <gtest/gtest.h>

#include "gfx/display_helpers.h"
#include "platform/window.h"

namespace {

class WindowStyleTest : public ::testing::Test {
protected:
    void SetUp() override { plat::UseHeadlessBackend(); }
    void TearDown() override {
        plat::DestroyWindow(window_);
        plat::ClearMessageQueue();
    }
    plat::Window* Open(uint32_t style) {
        plat::WindowDesc d;
        d.titleGbk = "vantrel";
        d.style = style;
        window_ = plat::CreateMainWindow(d, nullptr);
        return window_;
    }
    plat::Window* window_ = nullptr;
};

TEST_F(WindowStyleTest, ClearsThenSetsSoABitInBothStaysSet) {
    using namespace plat;
    Window* w = Open(WS_POPUP | WS_CLIPCHILDREN);
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE), WS_POPUP | WS_CLIPCHILDREN);
    ShowWindow(w, SW_SHOW);
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE), WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE);

    struct Case {
        uint32_t clear, set, expect;
    };
    const Case cases[] = {
        {WS_CLIPCHILDREN, WS_CLIPCHILDREN, WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE},
        {WS_CLIPCHILDREN, 0, WS_POPUP | WS_VISIBLE},
        {0, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE},
        {WS_POPUP | WS_CLIPSIBLINGS, WS_CHILD, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChangeWindowStyle(w, c.clear, c.set), 1);
        EXPECT_EQ(GetWindowLong(w, GWL_STYLE), c.expect);
    }
    // Clearing WS_VISIBLE hides the window, setting it shows it again.
    EXPECT_EQ(ChangeWindowStyle(w, WS_VISIBLE, 0), 1);
    EXPECT_FALSE(w->IsShown());
    EXPECT_EQ(ChangeWindowStyle(w, 0, WS_VISIBLE), 1);
    EXPECT_TRUE(w->IsShown());
}

TEST_F(WindowStyleTest, NoStyleToReadChangesNothing) {
    using namespace plat;
    EXPECT_EQ(ChangeWindowStyle(nullptr, 0, WS_CLIPCHILDREN), 0);
    Window* w = Open(0);
    EXPECT_EQ(ChangeWindowStyle(w, 0, WS_CLIPCHILDREN), 0);
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE), 0u);
    EXPECT_EQ(GetWindowLong(w, 0), 0u) << "only the style is kept";
    EXPECT_EQ(SetWindowLong(w, 0, 5), 0u);
}

} // namespace
