#pragma once
// PLI files (drawing orders of a role sprite's parts): the input is the PLI
// file of role "R1", "Slr\R1\R1_001.PLI", placed with the header
// "slr\SprRole.h" on disk or in the pack "slr.fol" (plain or scrambled, by
// the hash of the input). The header is read as start-up reads it, then a
// sprite is created as the game creates one (which reads the PLI file and
// equips a variant of every part); where the file is accepted, the order
// lists of its actions and frames are looked up, the sprite is drawn in each
// action and frame of its main part onto a small 16-bit surface, its parts
// are renamed, shown, hidden and recoloured, a second sprite is made from
// the cached header, and both are destroyed; a purge must then give back
// every loaded byte.
//
// The role's main parts, in template order: "A" (4 actions of 3 frames),
// "B" (variants "001" and "002"), "C", "D" (an animation in a library that
// is not in the list) and "E" (an entry past the end of its library); the
// overlay "AS" has an alpha plane. Parts that point nowhere draw nothing.
//
// Setup (once): a display, colour tables, the program folder and the
// library list with "Zy\role.lib" (PreparePliRoles).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"
#include "env.h"
#include "gfx/res_lib.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"

namespace fuzzharness {

inline constexpr char kPliRole[] = "R1";
inline constexpr int32_t kPliRoleParts = 5;

// The "SprRole.h" bytes that go with the library PreparePliRoles wrote.
inline std::string& PliSprRoleHeader() {
    static std::string s_header;
    return s_header;
}

inline bool PreparePliRoles() {
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    SetProgramDirectory(0);
    std::vector<std::string> e;
    const auto art = [&e](uint16_t colour, int32_t w, int32_t h, int32_t x, int32_t y, uint8_t alpha = 0) {
        return static_cast<int32_t>(datagen::AddRolePartEntries(&e, 0, {colour, w, h, x, y, alpha, 4, 3}));
    };
    const int32_t a = art(datagen::Rgb16(40, 80, 220), 6, 9, -3, -9);
    const int32_t b1 = art(datagen::Rgb16(240, 200, 60), 4, 4, -2, -12);
    const int32_t b2 = art(datagen::Rgb16(160, 160, 170), 5, 3, -2, -12);
    const int32_t c = art(datagen::Rgb16(220, 40, 40), 2, 10, 3, -10);
    const int32_t as = art(datagen::Rgb16(60, 230, 90), 4, 4, 2, -11, 0xA0);
    const int32_t missingLib = static_cast<int32_t>(MakeResId(7, 0, 0));
    const int32_t pastEnd = static_cast<int32_t>(MakeResId(0, 999, 0));
    PliSprRoleHeader() = datagen::BuildSprRoleHeader({{kPliRole, "A", "001", a, "BODY"},
                                                      {kPliRole, "B", "001", b1, "HEAD"},
                                                      {kPliRole, "B", "002", b2, "HAT"},
                                                      {kPliRole, "AS", "001", as, "GLOW"},
                                                      {kPliRole, "C", "001", c, "ARM"},
                                                      {kPliRole, "D", "001", missingLib, "LOST"},
                                                      {kPliRole, "E", "001", pastEnd, "GONE"},
                                                      {"R2", "X", "001", a, ""}});
    if (!fuzzenv::PutFile(home.native + "Zy/role.lib", datagen::BuildLib(e)) ||
        !fuzzenv::PutFile(home.native + "Zy/idx.lib", datagen::BuildIdxLib({"role"})))
        return false;
    if (!g_ResList.Init((home.win + "Zy\\idx.lib").c_str()) || !g_ResList.GetLib(0) || !g_ResList.GetLib(0)->IsOpen())
        return false;
    g_LibMemBudget = 0;  // a purge drops every unreferenced entry
    return true;
}

// The checks and uses of one sprite made from an accepted file.
inline void ExercisePliSprite(CRoleSprite* spr, CSurface* surface) {
    if (!spr->m_pHeader || !spr->m_pMainPart || spr->PartAt(spr->m_MainIndex) != spr->m_pMainPart)
        fuzzenv::Fail("a sprite without its header or main part");
    const PliHeader& h = *spr->m_pHeader;
    if (h.partCount > spr->m_Parts.size() || h.partNames.size() != h.partCount || h.actions.size() != h.actionCount)
        fuzzenv::Fail("the header's counts do not match what it holds");
    if (spr->m_PartNames.size() != spr->m_Parts.size()) fuzzenv::Fail("part names not one per part");

    // Order lists, inside and outside the actions and frames.
    const int32_t actions = static_cast<int32_t>(std::min<uint32_t>(h.actionCount, 8));
    for (int32_t a = -1; a <= actions; ++a) {
        const uint32_t frames = a >= 0 && a < actions ? h.actions[static_cast<size_t>(a)].frameCount : 1;
        const int32_t nf = static_cast<int32_t>(std::min<uint32_t>(frames, 6));
        for (int32_t f = -1; f <= nf; ++f) {
            uint32_t length = 99;
            const uint8_t* order = h.FindOrder(a, f, &length);
            if (!order) {
                if (length != 0) fuzzenv::Fail("no order list but a length");
                continue;
            }
            if (length != h.partCount) fuzzenv::Fail("an order list not as long as the part count");
            uint32_t sum = 0;
            for (uint32_t i = 0; i < length; ++i) sum += order[i];
            (void)sum;
        }
    }

    const CGameRect clip{1, 1, 22, 18};
    const CGamePoint pos{11, 15};
    CTrailAnim* anim = GetRoleSpriteAnim(spr);
    if (!anim) fuzzenv::Fail("a sprite without the main part's animation");
    const auto drawAll = [&]() {
        DrawRoleSprite(spr, surface, pos.x, pos.y, &clip);
        DrawRoleSpriteOverlays(spr, surface, pos.x, pos.y, &clip);
        CGameRect r;
        GetRoleSpriteRect(spr, pos, &r);
        GetRoleSpriteBounds(spr, pos, &r);
        GetRoleSpriteFullRect(spr, pos, &r);
    };
    for (int32_t a = 0; a <= anim->m_SeqCount; ++a) {
        anim->m_CurSeq = a;
        CAnimPlayer* p = anim->Player(a);
        for (int32_t f = 0; f < 4; ++f) {
            if (p) p->m_CurFrame = f;
            drawAll();
        }
        if (p) p->StepLoop();
    }
    anim->m_CurSeq = 0;

    const std::string shortName = GetRolePartFileName(spr), longName = GetRolePartFileName(spr, true);
    if (std::count(shortName.begin(), shortName.end(), '*') != static_cast<long>(spr->m_Parts.size()) - 1 ||
        std::count(longName.begin(), longName.end(), '*') != static_cast<long>(spr->m_Parts.size()) - 1)
        fuzzenv::Fail("the part file name does not list every part");
    for (int32_t i = -1; i <= static_cast<int32_t>(spr->m_Parts.size()); ++i)
        if (GetRoleSpritePartName(spr, i).size() >= static_cast<size_t>(kPliPartNameSize))
            fuzzenv::Fail("a part name longer than its field");
    GetRoleSpriteName(spr);

    // Parts that point at nothing draw nothing and have no rectangle.
    ShowAllRoleSpriteParts(spr, 0);
    ShowRoleSpritePart(spr, "D", 1);
    ShowRoleSpritePartAt(spr, 4, 1);
    CGameRect r;
    if (DrawRoleSprite(spr, surface, pos.x, pos.y, &clip) != 0 || GetRoleSpriteRect(spr, pos, &r, "D") != 0 ||
        GetRoleSpriteRect(spr, pos, &r, "E") != 0)
        fuzzenv::Fail("a part without an animation drew");

    ShowAllRoleSpriteParts(spr, 1);
    SetRoleSpriteParts(spr, "B_002*C_001_001_033*AS_001*nosuch_001");
    SetRoleSpriteColorEffect(spr, 31);
    SetRoleSpriteColorEffect(spr, 7, "AS");
    SetRoleSpriteDrawMode(spr, kDrawBlend, 9, 0);
    SetRoleSpriteOverlayDrawMode(spr, kDrawAlphaFaded, 12);
    PreloadRoleSpriteFrames(spr, 0, -1);
    IsRoleSpritePartShown(spr, "as");
    IsRoleSpritePartShownAt(spr, 2);
    g_DrawAlphaSpriteParts = 0;
    drawAll();
    g_DrawAlphaSpriteParts = 1;
    SetRoleSpriteDrawMode(spr, kDrawTable, 33, 1);
    drawAll();
}

inline int RunPli(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    if (!g_ResList.GetLib(0) || PliSprRoleHeader().empty()) fuzzenv::Fail("the role library is not prepared");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fuzzenv::Place place = fuzzenv::PlaceFor(data, size);
    // On disk the file lies in the role's own folder; in the pack its name
    // holds that folder, as in the game's "slr.fol".
    std::vector<std::unique_ptr<fuzzenv::PlacedFiles>> files;
    if (place == fuzzenv::Place::Disk) {
        files.push_back(std::make_unique<fuzzenv::PlacedFiles>(
            "slr", std::vector<fuzzenv::File>{{"SprRole.h", PliSprRoleHeader()}}, place));
        files.push_back(std::make_unique<fuzzenv::PlacedFiles>(
            "slr/R1", std::vector<fuzzenv::File>{{"R1_001.PLI", bytes}}, place));
    } else {
        files.push_back(std::make_unique<fuzzenv::PlacedFiles>(
            "slr", std::vector<fuzzenv::File>{{"SprRole.h", PliSprRoleHeader()}, {"R1\\R1_001.PLI", bytes}}, place));
    }
    if (!files.back()->Ready()) return -1;
    const uint32_t loadedBefore = g_LibLoadedBytes;
    if (!LoadSprRoleHeader(std::string(GetProgramDirectory()) + "slr\\SprRole.h"))
        fuzzenv::Fail("the role header does not load");
    CSurface surface(24, 20, 1);

    int accepted = 0;
    CRoleSprite* spr = CreateRoleSprite(kPliRole, "001", "001*001*001*001*001");
    if (spr) {
        accepted = 1;
        ExercisePliSprite(spr, &surface);
        // Another sprite of the role: from the cached header when it was
        // filled, else the file is read again; either way it is made.
        CRoleSprite* other = CreateRoleSprite("r1", "002", "001*002*000*001*001");
        if (!other) fuzzenv::Fail("a second sprite of an accepted file is not made");
        if (other->m_pMainPart == nullptr || !other->m_pHeader) fuzzenv::Fail("the second sprite has no header");
        DrawRoleSprite(other, &surface, 6, 17, nullptr);
        DestroyRoleSprite(&other);
        DestroyRoleSprite(&spr);
    }
    g_RoleSprMng.Clear();
    g_ResList.RemoveAllNoUse();
    if (g_LibLoadedBytes != loadedBefore) fuzzenv::Fail("destroyed sprites left library bytes loaded");
    return accepted;
}

} // namespace fuzzharness
