// Writes the composed benchmark frame as "frame565.png" and "frame555.png"
// into the folder given; the two must look the same.
//
//   gfxdemo OUTPUT_FOLDER [--sprites N] [--frames N]
//
// --frames N composes N more 5-6-5 frames first and prints the mean time,
// for profilers. The kernel set follows VANTREL_KERNELS.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "gfx/fast_kernels.h"
#include "gfxdemo/frame_scene.h"
#include "platform/png.h"
#include "platform/window.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gfxdemo OUTPUT_FOLDER [--sprites N] [--frames N]\n");
        return 2;
    }
    gfxdemo::FrameSceneOptions options;
    int frames = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const int n = std::atoi(argv[i + 1]);
        if (opt == "--sprites" && n >= 0) options.sprites = n;
        else if (opt == "--frames" && n >= 0) frames = n;
        else {
            std::fprintf(stderr, "gfxdemo: unknown option %s\n", opt.c_str());
            return 2;
        }
    }
    std::error_code ec;
    const fs::path out = fs::absolute(argv[1], ec);
    fs::create_directories(out, ec);
    char tmpl[] = "/tmp/gfxdemo-XXXXXX";
    const char* data = mkdtemp(tmpl);
    if (!data) {
        std::fprintf(stderr, "gfxdemo: no temporary folder\n");
        return 1;
    }
    plat::UseHeadlessBackend();

    int rc = 0;
    for (const int format : {16, 15}) {
        options.format = format;
        gfxdemo::FrameScene scene;
        std::string error;
        if (!scene.Build(std::string(data) + (format == 16 ? "/565" : "/555"), options, &error)) {
            std::fprintf(stderr, "gfxdemo: %s\n", error.c_str());
            rc = 1;
            break;
        }
        if (format == 16 && frames > 0) {
            const auto t0 = std::chrono::steady_clock::now();
            for (int i = 0; i < frames; ++i) scene.Compose();
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            std::printf("%s: %d frames, %.3f ms per frame\n", KernelSetName(), frames, ms / frames);
        }
        scene.Compose();
        const std::string png = (out / (format == 16 ? "frame565.png" : "frame555.png")).string();
        if (!plat::WritePngRgb(png, gfxdemo::kFrameWidth, gfxdemo::kFrameHeight, scene.Rgb().data())) {
            std::fprintf(stderr, "gfxdemo: cannot write %s\n", png.c_str());
            rc = 1;
            break;
        }
        std::printf("%s\n", png.c_str());
    }
    fs::remove_all(data, ec);
    return rc;
}
