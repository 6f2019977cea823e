#pragma once
// A virtual X display for tests of the real window: Xvfb on a free display
// (-displayfd), driven with xdotool, screenshots with xwd read by a small
// reader. Everything started here is stopped when the object goes, also
// when the test fails half-way.
//
// Without Xvfb, xdotool or xwd the tests skip and say why; with CI=true
// they fail instead (VTEST_VIRTUAL_DISPLAY).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image_check.h"
#include "process.h"

namespace vtest {

class VirtualDisplay {
public:
    // Xvfb with one screen of width x height at 24 bits. Null, with the
    // reason, when a tool is missing or Xvfb does not come up.
    static std::unique_ptr<VirtualDisplay> Start(int width, int height, std::string* why);
    ~VirtualDisplay();

    const std::string& Name() const { return name_; }  // ":N"
    std::string DisplayEnv() const { return "DISPLAY=" + name_; }

    // xdotool on this display; its stdout into *out. True on exit 0.
    bool Xdotool(const std::vector<std::string>& args, std::string* out = nullptr);
    // The first visible window whose name matches `pattern` (a regular
    // expression), waited for up to `timeoutMs`; "" when none came.
    std::string WaitForWindow(const std::string& pattern, int timeoutMs);
    // The whole screen.
    bool Screenshot(RgbImage* out, std::string* why = nullptr);
    // The screen as a person sees it: the screenshot with the pointer's
    // cursor (as the server draws it, from XFixes) blended over it; xwd
    // alone never shows the cursor. *cursorPixels: the cursor's pixels that
    // are not fully transparent.
    bool ScreenshotWithCursor(RgbImage* out, int* cursorPixels, std::string* why = nullptr);
    // A mapped window that names `owner` as the one it is transient for
    // (a modal box), waited for up to `timeoutMs`; "" when none came.
    std::string WaitForTransient(const std::string& owner, int timeoutMs);
    // Asks a window to close as a window manager's close button does
    // (WM_DELETE_WINDOW); xdotool's windowclose destroys it instead.
    bool CloseLikeWindowManager(const std::string& window);

private:
    VirtualDisplay() = default;
    ChildProcess server_;
    std::string name_;
    std::string scratch_;
};

// True when CI=true: tools that are missing are a failure, not a skip.
bool InCi();

// Reads an X window dump (ZPixmap, TrueColor, 16/24/32 bits per pixel).
bool ReadXwd(const std::string& bytes, RgbImage* out, std::string* why);

} // namespace vtest

// Starts a virtual display into `var` (a std::unique_ptr<VirtualDisplay>),
// or skips the test with the reason (fails with CI=true).
#define VTEST_VIRTUAL_DISPLAY(var, width, height)                                  \
    std::string var##Why;                                                          \
    std::unique_ptr<::vtest::VirtualDisplay> var =                                 \
        ::vtest::VirtualDisplay::Start((width), (height), &var##Why);              \
    if (!var) {                                                                    \
        if (::vtest::InCi()) FAIL() << "virtual display: " << var##Why;            \
        GTEST_SKIP() << "virtual display: " << var##Why;                           \
    }
