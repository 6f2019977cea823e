#include "probe/probe.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/msgbox.h"

namespace {

uint32_t Fail(const char* line, uint32_t version) {
    plat::OutputDebugString(line);
    return version;
}

// Frees the renderer's objects on every way out of the renderer checks.
struct RendererScope {
    CProbeBackend& backend;
    ~RendererScope() { backend.RendererRelease(); }
};

// Everything after the display backend started; the caller stops it again.
uint32_t LadderAfterDisplay(CProbeBackend& b) {
    if (!b.DisplayDriver()) return Fail("Couldn't GetProcAddress DirectDrawCreate\r\n", kProbeVersionNone);
    if (!b.DisplayPresent()) return Fail("Couldn't create DDraw\r\n", kProbeVersionNone);
    if (!b.DisplayMode()) return Fail("Couldn't QI DDraw2\r\n", kProbeVersion10);

    if (!b.InputInit()) return Fail("Couldn't LoadLibrary DInput\r\n", kProbeVersion20);
    const bool events = b.InputEvents();
    b.InputQuit();
    if (!events) return Fail("Couldn't GetProcAddress DInputCreate\r\n", kProbeVersion20);

    {
        RendererScope scope{b};
        if (!b.RendererWindow()) return Fail("Couldn't Set coop level\r\n", kProbeVersionNone);
        if (!b.RendererCreate()) return Fail("Couldn't CreateSurface\r\n", kProbeVersionNone);
        if (!b.RendererInfo()) return Fail("Couldn't QI DDS3\r\n", kProbeVersion30);
        if (!b.RendererTexture()) return Fail("Couldn't QI DDS4\r\n", kProbeVersion50);
    }

    if (!b.AudioInit()) return Fail("Couldn't create CLSID_DirectMusic\r\n", kProbeVersion60);
    b.AudioQuit();

    if (!b.RenderDrivers()) return Fail("Couldn't GetProcAddress DirectDrawCreateEx\r\n", kProbeVersion61);
    ProbeCaps scratch;
    if (!b.ReadCaps(&scratch)) return Fail("Couldn't DirectDrawCreateEx\r\n", kProbeVersion61);

    if (!b.EffectRasteriser()) return Fail("Couldn't LoadLibrary D3D8.DLL\r\n", kProbeVersion70);
    if (!b.TextConverter()) return Fail("Couldn't LoadLibrary dpnhpast.dll\r\n", kProbeVersion80);
    return kProbeVersion81;
}

int ClampToInt(uint64_t v) { return v > uint64_t(INT32_MAX) ? INT32_MAX : int(v); }

} // namespace

uint32_t GetDXVersion(CProbeBackend& backend) {
    if (!backend.DisplayInit()) return Fail("Couldn't LoadLibrary DDraw\r\n", kProbeVersionNone);
    const uint32_t version = LadderAfterDisplay(backend);
    backend.DisplayQuit();
    return version;
}

std::string FormatDXVersion(uint32_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d", int((version >> 8) & 0xF), int(version & 0xF));
    return text;
}

std::string CapsFilePath() { return plat::ProgramDirNative() + kCapsFileName; }

int RunCapsProbe(CProbeBackend& backend, std::string* why) {
    const std::string versionText = FormatDXVersion(GetDXVersion(backend));

    ProbeCaps caps;
    if (!backend.ReadCaps(&caps)) caps = ProbeCaps{};
    if (caps.hardwareColourKey) plat::MessageBox("Hard!", "ok");

    const std::string path = CapsFilePath();
    // Written beside the old file and renamed over it, so a failed run never
    // leaves the game a half-written file.
    CIniFile ini;
    if (!ini.OpenFileWrite(path.c_str(), 0, 1)) {
        const int err = errno;
        if (why) {
            *why = "cannot write \"" + path + "\": ";
            if (!plat::IsDirectory(plat::ProgramDirNative()))
                *why += "the program folder does not exist or is not a folder";
            else
                *why += err ? std::strerror(err) : "the file could not be opened for writing";
        }
        return 1;
    }
    bool ok = ini.WriteInt("3dFunc", caps.accelerated ? 1 : 0) == 1;
    ok = ini.WriteInt("VedioMemory", ClampToInt(caps.videoMemory)) == 1 && ok;
    ok = ini.WriteInt("ZoomCap", caps.accelerated ? 1 : 0) == 1 && ok;
    ok = ini.WriteInt("AlphaCap", caps.blending ? 1 : 0) == 1 && ok;
    ok = ini.WriteString("DXVersion", versionText.c_str()) == 1 && ok;
    const int errBeforeClose = errno;
    ok = ini.Close() == 1 && ok;
    if (!ok) {
        if (why) {
            const int err = errno ? errno : errBeforeClose;
            *why = "cannot write \"" + path + "\": " +
                   (err ? std::strerror(err) : "the file could not be written in full");
        }
        return 1;
    }
    return 0;
}

uint64_t ReadVideoMemory(const std::string& drmRoot) {
    namespace fs = std::filesystem;
    std::vector<std::string> cards;
    std::error_code ec;
    for (fs::directory_iterator it(drmRoot, ec), end; !ec && it != end; it.increment(ec)) {
        // "card0", "card1", ...: the connectors ("card0-DP-1") have no memory figure.
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(0, 4, "card") == 0 &&
            std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            cards.push_back(name);
    }
    std::sort(cards.begin(), cards.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& card : cards) {
        std::ifstream in(drmRoot + "/" + card + "/device/mem_info_vram_total");
        std::string text;
        if (!in || !std::getline(in, text) || text.empty() || text[0] < '0' || text[0] > '9') continue;
        char* end = nullptr;
        errno = 0;
        const unsigned long long bytes = std::strtoull(text.c_str(), &end, 10);
        if (end != text.c_str() && errno == 0 && bytes > 0) return bytes;
    }
    return 0;
}
