#pragma once
// Resource libraries (".lib" under "Zy\"): library 0 of the library list is
// reopened on the input, then every entry (up to 16) is taken three ways,
// one per opening, since the first request decides what an entry is: as a
// bare frame, as a frame table (frames 1-8), and as an animation table whose
// frames resolve through the library list back into the same library. The
// pictures are held through image references, drawn onto a small 16-bit
// surface in several modes, drawn again after a purge of unreferenced
// entries, and released; closing must give back every loaded byte.
//
// Setup (once): a display, colour tables and a library list whose library 0
// is "Zy\ui.lib" (PrepareResLibs). Libraries are plain files, never packed.
#include <memory>
#include <string>
#include <vector>

#include "datagen/lib_writer.h"
#include "env.h"
#include "gfx/image.h"
#include "gfx/image_ref.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"

namespace fuzzharness {

// Writes the list and an empty library and initialises g_ResList from it.
// The caller provides the display (a CSurface of the display must live).
inline bool PrepareResLibs() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    if (!fuzzenv::PutFile(home.native + "Zy/idx.lib", datagen::BuildIdxLib({"ui"})) ||
        !fuzzenv::PutFile(home.native + "Zy/ui.lib", datagen::BuildLib({})))
        return false;
    if (!g_ResList.Init((home.win + "Zy\\idx.lib").c_str()) || !g_ResList.GetLib(0)) return false;
    g_LibMemBudget = 0;  // a purge drops every unreferenced entry
    return true;
}

inline void DrawImage(CImage* img, CSurface* dst, int k) {
    if (!img) return;
    static const int32_t kModes[] = {kDrawCopy, kDrawCopy1, kDrawAlpha, kDrawBlend, kDrawTable, kDrawAlphaFaded};
    const CGameRect clip{1, 1, 20, 18};
    img->Draw(dst, -2 + k % 5, -3 + k % 7, kModes[k % 6], (k * 5) % 16, &clip);
    img->Blt(dst, 4, 2, 9, 7, 1 + k % 3, k % 4, kModes[(k + 2) % 6], 7, nullptr);
}

inline int RunResLib(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    CResLib* lib = g_ResList.GetLib(0);
    if (!lib) fuzzenv::Fail("the library list is not prepared");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("Zy", {{"ui.lib", bytes}}, fuzzenv::Place::Disk);
    const std::string path = files.Path();
    const uint32_t loadedBefore = g_LibLoadedBytes;
    CSurface surface(24, 20, 1);

    int accepted = 0;
    for (int pass = 0; pass < 3; ++pass) {
        if (!lib->Open(path.c_str())) {
            if (pass > 0) fuzzenv::Fail("a library that opened once does not open again");
            break;
        }
        accepted = 1;
        const uint32_t n = std::min<uint32_t>(lib->EntryCount(), 16);
        std::vector<std::unique_ptr<CImageRef>> refs;
        for (uint32_t i = 0; i < n; ++i) {
            if (pass < 2) {
                for (uint32_t f = pass == 0 ? 0 : 1; f <= (pass == 0 ? 0u : 8u); ++f) {
                    auto ref = std::make_unique<CImageRef>();
                    ref->Set(i | f << 24, lib);
                    CImage* img = ref->GetImage();
                    if (!img) break;
                    DrawImage(img, &surface, int(i + f));
                    refs.push_back(std::move(ref));
                }
            } else if (const AnimTable* anim = lib->GetAnim(i)) {
                for (int16_t s = 0; s < anim->m_SeqCount; ++s) {
                    const CAnimSeq& seq = anim->m_pSeqs[s];
                    seq.WidestFrame();
                    seq.TallestFrame();
                    for (int16_t k = 0; k < seq.m_FrameCount && k < 8; ++k) {
                        CGameRect r;
                        seq.m_pFrames[k].GetRect(10, 10, &r);
                        const CGameRect clip{0, 0, 24, 20};
                        seq.m_pFrames[k].Draw(&surface, 10, 10, kDrawAlpha, 8, &clip);
                        seq.m_pFrames[k].DrawRegion(&surface, 10, 10, 5, 4, 1, 1, kDrawCopy, -1, &clip);
                    }
                }
            }
        }
        // Referenced entries survive a purge and still draw.
        lib->RemoveNoUse();
        for (size_t k = 0; k < refs.size(); ++k) DrawImage(refs[k]->GetImage(), &surface, int(k));
        refs.clear();
        lib->RemoveAllNoUse();
    }
    lib->Close();
    if (g_LibLoadedBytes != loadedBefore) fuzzenv::Fail("closing the library did not give back its loaded bytes");
    return accepted;
}

} // namespace fuzzharness
