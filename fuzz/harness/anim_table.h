#pragma once
// Animation tables: the input is entry 0 of library 0 ("Zy\ui.lib", written
// afresh on each input and reopened), taken as an animation through a
// CAnimRes as the game binds one. Its frames resolve through the library
// list: library 0 also holds a bare frame (entry 1) and a frame table of
// three frames (entry 2); library 1 ("Zy\pics.lib") holds bare frames of
// each kind, a frame table and one frame large enough to be loaded as soon
// as it is referenced. Every sequence (up to 32) is played with its
// CAnimPlayer for a bounded number of ticks in each of the four step kinds,
// with the current frames drawn onto a small 16-bit surface; the handles are
// released, a purge drops the table, a rebind parses it again, and closing
// must give back every loaded byte.
//
// Setup (once): a display, colour tables and the library list
// (PrepareAnimLibs). Libraries are plain files, never packed.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "env.h"
#include "gfx/anim.h"
#include "gfx/image.h"
#include "gfx/image_ref.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"

namespace fuzzharness {

namespace animfix {

inline datagen::ImageFrame Box(int32_t w, int32_t h, int seed, bool rle, bool alpha) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            f.pixels.push_back((x + y + seed) % 4 == 0 ? datagen::kKey565
                                                       : static_cast<uint16_t>(0x0841 * (seed + 1) + 37 * x + 501 * y));
    if (alpha) {
        for (int32_t i = 0; i < w * h; ++i) f.alpha.push_back(static_cast<uint8_t>((i * 53 + seed) % 256));
        f.compressAlpha = rle;
    }
    return f;
}

// Entries 1.. of library 0 (entry 0 is the input).
inline const std::vector<std::string>& UiEntries() {
    static const std::vector<std::string> s_entries = {
        datagen::EncodeFrame(Box(5, 4, 0, false, false)),
        datagen::BuildFrameTable({datagen::EncodeFrame(Box(6, 3, 1, true, false)),
                                  datagen::EncodeFrame(Box(4, 4, 2, false, true)),
                                  datagen::EncodeFrame(Box(7, 5, 3, true, true))}),
    };
    return s_entries;
}

// Library 1: 0 raw, 1 RLE, 2 RLE with a compressed alpha plane, 3 a frame
// table of two frames, 4 a raw 72x72 frame (above g_LibKeepThreshold).
inline std::vector<std::string> PicsEntries() {
    return {datagen::EncodeFrame(Box(3, 6, 4, false, false)),
            datagen::EncodeFrame(Box(8, 5, 5, true, false)),
            datagen::EncodeFrame(Box(6, 6, 6, true, true)),
            datagen::BuildFrameTable({datagen::EncodeFrame(Box(2, 2, 7, false, false)),
                                      datagen::EncodeFrame(Box(9, 4, 8, true, false))}),
            datagen::EncodeFrame(Box(72, 72, 9, false, false))};
}

} // namespace animfix

// Writes the list and both libraries and initialises g_ResList from it.
// The caller provides the display (a CSurface of the display must live).
inline bool PrepareAnimLibs() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    std::vector<std::string> ui = {std::string()};
    ui.insert(ui.end(), animfix::UiEntries().begin(), animfix::UiEntries().end());
    if (!fuzzenv::PutFile(home.native + "Zy/idx.lib", datagen::BuildIdxLib({"ui", "pics"})) ||
        !fuzzenv::PutFile(home.native + "Zy/ui.lib", datagen::BuildLib(ui)) ||
        !fuzzenv::PutFile(home.native + "Zy/pics.lib", datagen::BuildLib(animfix::PicsEntries())))
        return false;
    if (!g_ResList.Init((home.win + "Zy\\idx.lib").c_str()) || !g_ResList.GetLib(0) || !g_ResList.GetLib(1) ||
        !g_ResList.GetLib(1)->IsOpen())
        return false;
    g_LibMemBudget = 0;  // a purge drops every unreferenced entry
    return true;
}

// A frame a player hands out must be one of its sequence's frames.
inline void CheckFrame(const CAnimPlayer& p, const CAnimFrame* f) {
    if (p.m_FrameCount < 1) {
        if (f) fuzzenv::Fail("a sequence without frames gave a frame");
        return;
    }
    if (!f || f < p.m_pFrames || f >= p.m_pFrames + p.m_FrameCount) fuzzenv::Fail("a frame outside its sequence");
}

// Plays one sequence: each step kind from the start (the backward ones from
// the end) for a bounded number of ticks, the delay offset lowered part way
// through, current frames drawn now and then.
inline void PlaySequence(CAnimPlayer& p, const CAnimSeq& seq, CSurface* surface) {
    if (p.m_FrameCount != seq.m_FrameCount || p.m_pFrames != seq.m_pFrames.get())
        fuzzenv::Fail("a player does not show its sequence");
    constexpr int kTicks = 40;
    static const int32_t kModes[] = {kDrawCopy, kDrawCopy1, kDrawAlpha, kDrawBlend, kDrawTable, kDrawAlphaFaded};
    const CGameRect clip{1, 1, 22, 18};
    for (int kind = 0; kind < 4; ++kind) {
        p.Start(kind >= 2);
        p.m_DelayOffset = 0;
        for (int t = 0; t < kTicks; ++t) {
            if (t == kTicks / 2) p.m_DelayOffset = -2;
            CAnimFrame* f = kind == 0 ? p.Step() : kind == 1 ? p.StepLoop() : kind == 2 ? p.StepBack() : p.StepLoopBack();
            CheckFrame(p, f);
            CheckFrame(p, p.CurrentFrame());
            if (p.m_FrameCount > 0 && (p.m_CurFrame < 0 || p.m_CurFrame >= p.m_FrameCount))
                fuzzenv::Fail("a step left the frame index outside the sequence");
            if (p.FrameDelay() < 1) fuzzenv::Fail("a frame lasts less than a tick");
            p.IsAtEnd();
            p.IsNearEnd();
            if (t % 8 == 0) {
                p.Draw(surface, 11, 10, kModes[(kind + t) % 6], (t * 3) % 16, &clip);
                p.DrawRegion(surface, 11, 10, 5, 4, 1, 1, kModes[(kind + t + 1) % 6], 8, &clip);
            }
        }
    }
    // Callers write the index directly; one outside still shows a frame of
    // the sequence.
    p.m_CurFrame = p.m_FrameCount + 2;
    CheckFrame(p, p.CurrentFrame());
    CheckFrame(p, p.StepLoop());
    p.m_CurFrame = -3;
    CheckFrame(p, p.StepBack());
    // Frame indices as a caller asks for them: inside, wrapped once, and
    // beyond both.
    const int32_t n = std::min<int32_t>(p.m_FrameCount, 12);
    for (int32_t i = 0; i < n; ++i) {
        CheckFrame(p, p.FrameAt(i));
        CheckFrame(p, p.FrameAt(p.m_FrameCount + i));
    }
    for (int32_t i : {-1, 2 * p.m_FrameCount, 2 * p.m_FrameCount + 1}) CheckFrame(p, p.FrameAt(i));
    for (int32_t i = 0; i < n; ++i) {
        const CAnimFrame& fr = seq.m_pFrames[i];
        CGameRect r;
        fr.GetRect(11, 10, &r);
        const CImage* img = fr.GetImage();
        if ((r.width != (img ? img->m_Width : 0)) || (r.height != (img ? img->m_Height : 0)))
            fuzzenv::Fail("a frame's rectangle is not its picture's size");
        fr.Draw(surface, 11, 10, kModes[i % 6], 7, &clip);
    }
    int32_t w = -1, h = -1;
    const int32_t wi = seq.WidestFrame(&w), hi = seq.TallestFrame(&h);
    if (wi < 0 || hi < 0 || (seq.m_FrameCount > 0 ? (wi >= seq.m_FrameCount || hi >= seq.m_FrameCount) : (wi | hi)) ||
        w < 0 || h < 0)
        fuzzenv::Fail("the widest or tallest frame lies outside the sequence");
}

inline int RunAnimTable(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    CResLib* lib = g_ResList.GetLib(0);
    CResLib* pics = g_ResList.GetLib(1);
    if (!lib || !pics) fuzzenv::Fail("the library list is not prepared");
    std::vector<std::string> entries = {std::string(reinterpret_cast<const char*>(data), size)};
    entries.insert(entries.end(), animfix::UiEntries().begin(), animfix::UiEntries().end());
    fuzzenv::PlacedFiles files("Zy", {{"ui.lib", datagen::BuildLib(entries)}}, fuzzenv::Place::Disk);
    if (!lib->Open(files.Path().c_str())) fuzzenv::Fail("the library of the input does not open");
    const uint32_t loadedBefore = g_LibLoadedBytes;
    CSurface surface(24, 20, 1);
    const uint32_t id = MakeResId(0, 0, 0);

    int accepted = 0;
    int32_t seqCount = -1;
    {
        CAnimRes anim;
        if (anim.Bind(id)) {
            accepted = 1;
            const AnimTable* table = lib->GetAnim(0);
            if (!table) fuzzenv::Fail("a bound animation has no table");
            seqCount = table->m_SeqCount;
            if (anim.m_SeqCount != std::max<int32_t>(seqCount, 0) || anim.IsBound() != (seqCount > 0))
                fuzzenv::Fail("the handle's sequence count is not the table's");
            if (anim.Player(-1) || anim.Player(anim.m_SeqCount)) fuzzenv::Fail("a player outside the sequences");
            const int32_t n = std::min<int32_t>(anim.m_SeqCount, 32);
            for (int32_t s = 0; s < n; ++s) {
                CAnimPlayer* p = anim.Player(s);
                if (!p) fuzzenv::Fail("a sequence without a player");
                PlaySequence(*p, table->m_pSeqs[s], &surface);
            }
            // A second handle shares the parsed table.
            CAnimRes again;
            if (!again.Bind(id) || lib->GetAnim(0) != table) fuzzenv::Fail("a second handle does not share the table");
            again.m_CurSeq = n - 1;
            anim.SetDelayOffset(3);
            if (CAnimPlayer* p = again.CurrentPlayer()) {
                CheckFrame(*p, p->StepLoop());
                p->Draw(&surface, 4, 4, kDrawCopy, -1, nullptr);
            }
        }
    }
    if (accepted) {
        // Unreferenced, the table goes with a purge (unless its own frames
        // reference it); a rebind parses it again, to the same shape.
        lib->RemoveAllNoUse();
        CAnimRes anim;
        anim.m_Id = id;
        if (!anim.Rebind() || lib->GetAnim(0)->m_SeqCount != seqCount)
            fuzzenv::Fail("the table does not parse the same way twice");
        if (anim.m_SeqCount > 0) {
            CAnimPlayer* p = anim.Player(anim.m_SeqCount - 1);
            for (int t = 0; t < 6; ++t) CheckFrame(*p, p->StepLoopBack());
        }
    }
    lib->Close();
    pics->RemoveAllNoUse();
    if (g_LibLoadedBytes != loadedBefore) fuzzenv::Fail("closing the library did not give back its loaded bytes");
    return accepted;
}

} // namespace fuzzharness
