#include "xdisplay.h"

#include "play.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace vtest {

namespace {

uint32_t Be32(const std::string& b, size_t at) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8) | static_cast<uint8_t>(b[at + 3]);
}

// A masked field widened to 8 bits.
uint8_t Field(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const uint32_t m = mask >> shift;
    int bits = 0;
    while (bits < 32 && ((m >> bits) & 1u)) ++bits;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    return static_cast<uint8_t>((v * 255u + m / 2) / m);
}

// Windows come and go while the test looks at them; Xlib's default
// handler would end the test on the first BadWindow.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// A connection of the test's own to the virtual display.
struct XConnection {
    explicit XConnection(const std::string& name) : dpy(XOpenDisplay(name.c_str())) {
        XSetErrorHandler(&IgnoreXError);
    }
    ~XConnection() {
        if (dpy) XCloseDisplay(dpy);
    }
    Display* dpy;
};

} // namespace

bool InCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

bool ReadXwd(const std::string& b, RgbImage* out, std::string* why) {
    auto fail = [&](const std::string& w) {
        if (why) *why = "xwd: " + w;
        return false;
    };
    if (b.size() < 100) return fail("short header");
    const uint32_t headerSize = Be32(b, 0), version = Be32(b, 4), format = Be32(b, 8);
    const uint32_t width = Be32(b, 16), height = Be32(b, 20), byteOrder = Be32(b, 28);
    const uint32_t bpp = Be32(b, 44), bytesPerLine = Be32(b, 48), visualClass = Be32(b, 52);
    const uint32_t rmask = Be32(b, 56), gmask = Be32(b, 60), bmask = Be32(b, 64), ncolors = Be32(b, 76);
    if (version != 7) return fail("version " + std::to_string(version));
    if (format != 2) return fail("not a ZPixmap");
    if (visualClass != 4 && visualClass != 5) return fail("not TrueColor or DirectColor");
    if (bpp != 16 && bpp != 24 && bpp != 32) return fail("bits per pixel " + std::to_string(bpp));
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return fail("bad size");
    const uint64_t bytesPerPixel = bpp / 8;
    if (static_cast<uint64_t>(bytesPerLine) < width * bytesPerPixel) return fail("short lines");
    const uint64_t data = static_cast<uint64_t>(headerSize) + static_cast<uint64_t>(ncolors) * 12;
    if (headerSize < 100 || data + static_cast<uint64_t>(bytesPerLine) * height > b.size()) return fail("truncated");
    out->width = static_cast<int32_t>(width);
    out->height = static_cast<int32_t>(height);
    out->rgb.resize(static_cast<size_t>(width) * height * 3);
    uint8_t* o = out->rgb.data();
    for (uint32_t y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(data + static_cast<uint64_t>(y) * bytesPerLine);
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t p = 0;
            for (uint64_t i = 0; i < bytesPerPixel; ++i) {
                const uint32_t byte = static_cast<uint8_t>(b[row + x * bytesPerPixel + i]);
                p |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (bytesPerPixel - 1 - i));
            }
            *o++ = Field(p, rmask);
            *o++ = Field(p, gmask);
            *o++ = Field(p, bmask);
        }
    }
    return true;
}

std::unique_ptr<VirtualDisplay> VirtualDisplay::Start(int width, int height, std::string* why) {
    for (const char* tool : {"Xvfb", "xdotool", "xwd"}) {
        if (FindOnPath(tool).empty()) {
            *why = std::string(tool) + " not found (Debian packages xvfb, xdotool, x11-apps; see scripts/deps.sh)";
            return nullptr;
        }
    }
    std::unique_ptr<VirtualDisplay> d(new VirtualDisplay());
    std::string tmpl = (fs::temp_directory_path() / "vantrel-x-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        *why = "no scratch folder";
        return nullptr;
    }
    d->scratch_ = tmpl;
    int fds[2];
    if (pipe(fds) != 0) {
        *why = "no pipe";
        return nullptr;
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const bool started = d->server_.Start({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp",
                                           "-noreset"},
                                          ChildEnvironment({}), "/dev/null", d->scratch_ + "/xvfb.log", fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        *why = "Xvfb did not start";
        return nullptr;
    }
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buf[32];
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<size_t>(n));
        }
        if (!d->server_.Running()) break;
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        *why = "Xvfb gave no display number: " + ReadWholeFile(d->scratch_ + "/xvfb.log");
        return nullptr;
    }
    d->name_ = ":" + number.substr(0, number.find('\n'));
    return d;
}

VirtualDisplay::~VirtualDisplay() {
    server_.Stop(3000);
    std::error_code ec;
    if (!scratch_.empty()) fs::remove_all(scratch_, ec);
}

bool VirtualDisplay::Xdotool(const std::vector<std::string>& args, std::string* out) {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, out, 10000, {DisplayEnv()}) == 0;
}

std::string VirtualDisplay::WaitForWindow(const std::string& pattern, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        std::string out;
        if (Xdotool({"search", "--onlyvisible", "--name", pattern}, &out) && !out.empty())
            return out.substr(0, out.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::string();
}

bool VirtualDisplay::Screenshot(RgbImage* out, std::string* why) {
    const std::string file = scratch_ + "/screen.xwd";
    if (RunCommand({"xwd", "-root", "-silent", "-out", file}, nullptr, 10000, {DisplayEnv()}) != 0) {
        if (why) *why = "xwd failed";
        return false;
    }
    return ReadXwd(ReadWholeFile(file), out, why);
}

} // namespace vtest

namespace vtest {

bool VirtualDisplay::ScreenshotWithCursor(RgbImage* out, int* cursorPixels, std::string* why) {
    if (!Screenshot(out, why)) return false;
    XConnection x(name_);
    int event = 0, error = 0;
    if (!x.dpy || !XFixesQueryExtension(x.dpy, &event, &error)) {
        if (why) *why = "no XFixes on " + name_;
        return false;
    }
    XFixesCursorImage* cursor = XFixesGetCursorImage(x.dpy);
    if (!cursor) {
        if (why) *why = "no cursor image";
        return false;
    }
    // Premultiplied ARGB, one pixel per unsigned long.
    *cursorPixels = 0;
    for (int cy = 0; cy < cursor->height; ++cy) {
        for (int cx = 0; cx < cursor->width; ++cx) {
            const unsigned long p = cursor->pixels[cy * cursor->width + cx];
            const int a = static_cast<int>((p >> 24) & 0xFF);
            const int sx = cursor->x - cursor->xhot + cx, sy = cursor->y - cursor->yhot + cy;
            if (a == 0) continue;
            ++*cursorPixels;
            if (!out->Contains(sx, sy)) continue;
            uint8_t* d = &out->rgb[(static_cast<size_t>(sy) * out->width + sx) * 3];
            for (int c = 0; c < 3; ++c) {
                const int src = static_cast<int>((p >> (16 - 8 * c)) & 0xFF);
                d[c] = static_cast<uint8_t>(src + d[c] * (255 - a) / 255);
            }
        }
    }
    XFree(cursor);
    return true;
}

std::string VirtualDisplay::WaitForTransient(const std::string& owner, int timeoutMs) {
    XConnection x(name_);
    if (!x.dpy) return std::string();
    const Window ownerId = std::strtoul(owner.c_str(), nullptr, 10);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::string found;
        if (XQueryTree(x.dpy, DefaultRootWindow(x.dpy), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found.empty(); ++i) {
                Window to = 0;
                XWindowAttributes a;
                if (XGetTransientForHint(x.dpy, children[i], &to) && to == ownerId &&
                    XGetWindowAttributes(x.dpy, children[i], &a) && a.map_state == IsViewable) {
                    found = std::to_string(children[i]);
                }
            }
            if (children) XFree(children);
        }
        if (!found.empty()) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::string();
}

bool VirtualDisplay::CloseLikeWindowManager(const std::string& window) {
    XConnection x(name_);
    if (!x.dpy) return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    e.xclient.message_type = XInternAtom(x.dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(x.dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(x.dpy, e.xclient.window, False, NoEventMask, &e) != 0;
    XSync(x.dpy, False);
    return sent;
}

} // namespace vtest
