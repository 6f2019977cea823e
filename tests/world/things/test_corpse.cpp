// Corpses and flung body parts: falling, lying, lingering and going; the
// cell they take; flight and effects of body parts; drawing.
#include <algorithm>

#include "core/directories.h"
#include "datagen/demo_data.h"
#include "datagen/demo_role_sprite.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"
#include "gfx/res_lib.h"
#include "gfx/role_sprite.h"
#include "platform/text.h"
#include "../weather_fixture.h"
#include "../world_obj_fixture.h"
#include "world/things/anim_objs.h"
#include "world/things/corpse.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "../world_fixture.h"

using namespace wxtest;

namespace {

constexpr uint16_t kCorpseBack = 0x0841;
constexpr int kPlain = 7;    // death sequences from 2, lying + 8
constexpr int kBig = 8;      // death sequences from 2, lying + 16, large head
constexpr int kSeqs = 26;    // enough for the last lying sequence of kBig
constexpr int kFrames = 40;  // every sequence: 40 frames of one tick

struct Part {
    const char* name;
    uint16_t colour;
    int32_t w, h, x, y;
};
// Drawn in this order, body at the back. Full rectangle (-8, -26, 16, 26).
const Part kParts[] = {
    {"BD", 0x2104, 12, 20, -6, -20}, {"HD", 0xFFE0, 6, 6, -3, -26}, {"TK", 0x07E0, 10, 8, -5, -18},
    {"CA", 0x001F, 8, 4, -4, -10},   {"LA", 0xF800, 2, 8, -8, -18}, {"RA", 0x8010, 2, 8, 6, -18},
};
constexpr CGameRect kFull{-8, -26, 16, 26};

class CorpseTest : public WorldObjTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        EnterWorld(8);
        g_WorldHooks.getDisplayOption = [] { return DisplayOptionValue(); };
        SetProgramDirectory(0);
        g_DrawAlphaSpriteParts = 1;

        // Library 0: effect animations at their ids over one 3 x 2 picture,
        // then the role's parts.
        std::vector<std::string> e(260);
        datagen::ImageFrame pic;
        pic.width = 3;
        pic.height = 2;
        pic.rle = true;
        pic.pixels.assign(6, 0x7BEF);
        e[259] = datagen::BuildFrameTable({datagen::EncodeFrame(pic)});
        const auto seqs = [](int n, int frames) {
            datagen::AnimFrameSpec f;
            f.resId = 259u | 1u << 24;
            return std::vector<datagen::AnimSeqSpec>(static_cast<size_t>(n),
                                                     {0, std::vector<datagen::AnimFrameSpec>(frames, f)});
        };
        e[CCorpseBase::kFlingMarkAnim] = datagen::BuildAnimTable(seqs(3, 1));
        for (int id : {CCorpse::kHeadEffectBig, CCorpse::kHeadEffectSmall, CCorpse::kTrunkEffect})
            e[static_cast<size_t>(id)] = datagen::BuildAnimTable(seqs(1, 3));
        e[CCorpse::kLimbEffect] = datagen::BuildAnimTable(seqs(8, 3));
        std::vector<datagen::SprRoleItem> items;
        for (const Part& p : kParts) {
            const uint32_t id = datagen::AddRolePartEntries(&e, 0, {p.colour, p.w, p.h, p.x, p.y, 0, kSeqs, kFrames});
            items.push_back({"DEAD", p.name, "001", static_cast<int32_t>(id), "X"});
        }
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/anim.lib", e));
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"anim"}));
        ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
        ASSERT_TRUE(datagen::WriteSprRoleHeader(Dir() + "slr/SprRole.h", items));
        ASSERT_TRUE(datagen::WritePli(datagen::PliNativePath(Dir(), "DEAD"),
                                      {"DEAD", "BD", {"BD", "HD", "TK", "CA", "LA", "RA"}, {{{0, 1, 2, 3, 4, 5}}}}));
        ASSERT_EQ(LoadSprRoleHeader((Dir() + "slr/SprRole.h").c_str()), 1);

        datagen::Table role{{"Name", "Id"}};
        for (int id : {kPlain, kBig}) {
            std::vector<std::string> row(44, "");
            row[0] = "Dead" + std::to_string(id);
            row[1] = std::to_string(id);
            row[4] = "dead";
            row[5] = "001*001*001*001*001*001";
            row[6] = "001";
            row[19] = "2";
            row[26] = id == kBig ? "60" : "40";
            row[43] = id == kBig ? "3" : "0";
            role.push_back(row);
        }
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Role.txt", role));
        ASSERT_EQ(g_RoleMdlTable.Load("Role.txt", 1, 1, 1), 1);
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Second.txt", {{"Name", "Id"}, {"S", "1", "", "", "", "", "", "", "3"}}));
        ASSERT_EQ(second_.Load("Second.txt", 1, 1, 1), 1);
    }
    void TearDown() override {
        LeaveWorld();
        g_RoleSprMng.Clear();
        g_ResList.Destroy();
        g_RoleMdlTable.Clear();
        second_.Clear();
        WeatherTest::TearDown();
    }

    // The death code's sequence for a corpse.
    CCorpse* MakeCorpse(int model, int x, int y, int dir, int countdown, int height = 0) {
        auto* c = new CCorpse;
        c->PlaceAt(6, x, y, dir, model, height);
        c->SetSprite(nullptr);
        c->SetState(CCorpseBase::kFalling);
        c->SetRoleData(nullptr, 0);
        c->SetCountdown(countdown);
        world_->mng->Register(c->m_Handle);
        return c;
    }
    // ... and for a body part showing one part.
    CCorpsePart* MakePart(int model, int x, int y, int dir, const char* part) {
        auto* c = new CCorpsePart;
        c->PlaceAt(6, x, y, dir, model, 0);
        c->SetSprite(nullptr);
        c->SetRoleData(nullptr, 0);
        c->SetState(CCorpseBase::kFalling);
        world_->mng->Register(c->m_Handle);
        ShowAllRoleSpriteParts(c->m_pSprite, 0);
        ShowRoleSpritePart(c->m_pSprite, part, 1);
        c->SetPart(part);
        return c;
    }
    static CAnimPlayer* Player(CCorpse* c) { return c->GetCurAnim()->CurrentPlayer(); }
    CMapCell& Cell(int x, int y) { return *grid_.GetCell(x, y); }
    static uint16_t H16(const CGameObj* o) { return static_cast<uint16_t>(o->m_Handle); }
    std::vector<CGameObj*> Marks() {
        std::vector<CGameObj*> v;
        for (CObjNode* n = world_->mng->m_Props.Head(); n; n = n->Next())
            if (static_cast<CGameObj*>(n)->m_Kind == 22) v.push_back(static_cast<CGameObj*>(n));
        return v;
    }

    CTxtTable second_;
};

} // namespace

TEST_F(CorpseTest, FallsLiesAndLingers) {
    const struct {
        int model, dir, countdown, lyingOffset;
    } cases[] = {{kPlain, 0, 0, 8}, {kPlain, 3, 20, 8}, {kBig, 7, 5, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.countdown);
        CCorpse* k = MakeCorpse(c.model, 200, 200, c.dir, c.countdown, 12);
        ASSERT_NE(k->m_pSprite, nullptr);
        EXPECT_EQ(k->m_Kind, 25);
        EXPECT_EQ(k->m_DrawLayer, 5);
        EXPECT_EQ(k->m_pDrawList, nullptr) << "layer 5 has no draw list";
        const int death = 2 + c.dir;
        EXPECT_EQ(k->GetCurAnim()->m_CurSeq, death);
        for (int t = 1; t <= c.countdown; ++t) {
            k->Tick();
            ASSERT_EQ(Player(k)->m_CurFrame, 0) << "first death frame held, tick " << t;
        }
        EXPECT_EQ(k->m_Height, c.countdown >= 3 ? 0 : 12 - 4 * c.countdown) << "sinks 4 a tick";
        // Frames of one tick: the death sequence ends when its last frame shows.
        for (int t = 1; t < kFrames - 1; ++t) k->Tick();
        EXPECT_EQ(k->m_State, CCorpseBase::kFalling);
        EXPECT_EQ(Player(k)->m_CurFrame, kFrames - 2);
        k->Tick();
        ASSERT_EQ(k->m_State, CCorpseBase::kLying);
        EXPECT_EQ(k->GetCurAnim()->m_CurSeq, death + c.lyingOffset);
        EXPECT_EQ(k->m_Countdown, -1);
        EXPECT_EQ(k->m_Height, 0);
        EXPECT_EQ(k->m_DrawLayer, 0);
        // More than 200 ticks lying: the tick whose count was 201 (203rd).
        for (int t = 1; t < 203; ++t) k->Tick();
        EXPECT_EQ(k->m_State, CCorpseBase::kLying);
        k->Tick();
        EXPECT_EQ(k->m_State, CCorpseBase::kLingering);
        EXPECT_EQ(k->m_Countdown, 0);
        k->Remove();
        world_->mng->Update();
    }
    EXPECT_EQ(world_->mng->m_CorpsePool.GetCount(), 0) << "deleted corpses leave the pool";
}

TEST_F(CorpseTest, TakesOnlyAFreeCellAndFreesOnlyItsOwn) {
    enum End { kLie, kRemove, kReset, kDelete };
    const struct {
        const char* what;
        uint16_t before;
        End end;
        uint16_t after;  // kNoObj or `before`; 0: the corpse's own handle
    } cases[] = {
        {"free cell, lies down", kNoObj, kLie, kNoObj},
        {"taken cell kept while falling and after", 4000, kLie, 4000},
        {"removed while falling", kNoObj, kRemove, kNoObj},
        {"corpses reset while falling", kNoObj, kReset, kNoObj},
        {"destroyed while falling", kNoObj, kDelete, kNoObj},
        {"removed while falling, another's cell", 4000, kRemove, 4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Cell(3, 3).SetOccupant(c.before);
        CCorpse* k = MakeCorpse(kPlain, 3 * 64 + 10, 3 * 64 + 50, 0, 50);
        EXPECT_EQ(Cell(3, 3).m_Occupant, c.before == kNoObj ? H16(k) : c.before);
        switch (c.end) {
        case kLie: k->SetState(CCorpseBase::kLying); break;
        case kRemove: k->Remove(); break;
        case kReset: world_->mng->ResetCorpses(); break;
        case kDelete:
            world_->mng->m_Props.SetCursor(k);
            world_->mng->m_Props.RemoveCurrent();
            break;
        }
        EXPECT_EQ(Cell(3, 3).m_Occupant, c.after);
        world_->mng->ResetCorpses();
        world_->mng->Update();
        EXPECT_EQ(Cell(3, 3).m_Occupant, c.after);
    }
}

TEST_F(CorpseTest, GoesOnlyAfterLongOutOfView) {
    CCorpse* k = MakeCorpse(kPlain, 200, 200, 0, 0);
    k->SetState(CCorpseBase::kLingering);
    k->UpdateScreenRect();
    const CGameRect r = k->m_ScreenRect;
    const auto view = [](const CGameRect& v) {
        ViewRect vr;
        vr.x = v.x;
        vr.y = v.y;
        vr.width = v.width;
        vr.height = v.height;
        SetViewRect(vr);
    };
    const CGameRect touching{r.x + r.width - 1, r.y + r.height - 1, 50, 50};
    const CGameRect beside{r.x + r.width, r.y, 50, 50};
    view(touching);
    for (int t = 0; t < 500; ++t) ASSERT_EQ(k->Tick(), 1);
    EXPECT_FALSE(k->m_Removed) << "in view (one pixel) it stays";
    view(beside);
    for (int t = 0; t < 60; ++t) k->Tick();
    view(touching);
    k->Tick();  // back in view: the count starts again
    view(beside);
    for (int t = 1; t <= 101; ++t) ASSERT_EQ(k->Tick(), 1) << t;
    EXPECT_FALSE(k->m_Removed);
    EXPECT_EQ(k->Tick(), 1) << "a corpse says 1 whatever";
    EXPECT_TRUE(k->m_Removed) << "the 102nd tick out of view";
}

TEST_F(CorpseTest, BodyPartsFlyEffectAndMark) {
    const struct {
        const char* part;
        int model, dir;
        int flightDir, minSpeed, speedSpan, effect;
        uint32_t anim;  // kNoAnimId: none bound
        CGamePoint offset;
        bool mark;
    } cases[] = {
        {"HD", kPlain, 0, 0, 8, 2, 1, CCorpse::kHeadEffectSmall, {0, -26}, true},
        {"hd", kBig, 5, 5, 8, 2, 1, CCorpse::kHeadEffectBig, {0, -26}, true},
        {"LA", kPlain, 0, 7, 4, 4, 6, CCorpse::kLimbEffect, {-5, -23}, true},
        {"RA", kPlain, 0, 1, 4, 4, 7, CCorpse::kLimbEffect, {5, -23}, true},
        {"RA", kPlain, 7, 0, 4, 4, 7, CCorpse::kLimbEffect, {5, -23}, true},
        {"TK", kPlain, 2, 2, 5, 2, 2, CCorpse::kTrunkEffect, {0, -10}, true},
        {"CA", kPlain, 4, 4, 3, 2, -1, kNoAnimId, {0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " facing " + std::to_string(c.dir));
        plat::SRand(99);
        Lcg lcg{99};
        const int ctorSpeed = 2 + lcg.Next() % 2;
        (void)ctorSpeed;
        CCorpsePart* p = MakePart(c.model, 300, 300, c.dir, c.part);
        EXPECT_EQ(p->m_Kind, 26);
        EXPECT_EQ(p->m_DrawLayer, 1);
        EXPECT_EQ(p->m_FlightDir, c.flightDir);
        EXPECT_EQ(p->m_Speed, c.minSpeed + lcg.Next() % c.speedSpan);
        EXPECT_EQ(p->m_EffectNo, c.effect);
        EXPECT_EQ(p->m_Effect.IsBound() ? p->m_Effect.m_Id : kNoAnimId, c.anim);
        if (c.anim != kNoAnimId) {
            EXPECT_EQ((CGamePoint{p->m_EffectX, p->m_EffectY}), c.offset);
        }
        if (c.anim == CCorpse::kLimbEffect) {
            EXPECT_EQ(p->m_Effect.m_CurSeq, c.effect == 6 ? c.dir : (c.dir + 4) % 8);
        }
        EXPECT_EQ(Player(p)->m_DelayOffset, -5) << "a part plays faster";
        EXPECT_EQ(Cell(4, 4).m_Occupant, kNoObj) << "a part takes no cell";

        // Backwards along the flight direction for 30 ticks, then still.
        CGamePoint want{300, 300};
        for (int t = 0; t < 30; ++t) MoveDir8(want, c.flightDir, -p->m_Speed);
        Sounds().clear();
        for (int t = 0; t < 30; ++t) p->Tick();
        EXPECT_EQ((CGamePoint{p->m_X, p->m_Y}), want);
        if (c.anim != kNoAnimId) {
            EXPECT_FALSE(p->m_Effect.IsBound()) << "the effect goes at its end";
            EXPECT_FALSE(Sounds().empty());
            EXPECT_EQ(Sounds().front(), (SoundCall{'a', CCorpse::kFallSound, 0, 0}));
        } else {
            EXPECT_TRUE(Sounds().empty());
        }
        for (int t = 30; t < kFrames - 2; ++t) p->Tick();
        EXPECT_EQ(p->m_State, CCorpseBase::kFalling);
        EXPECT_TRUE(Marks().empty());
        p->Tick();
        ASSERT_EQ(p->m_State, CCorpseBase::kLying) << "lands at the end of the death sequence";
        EXPECT_EQ((CGamePoint{p->m_X, p->m_Y}), want);

        const auto marks = Marks();
        ASSERT_EQ(marks.size(), c.mark ? 1u : 0u);
        if (c.mark) {
            CGameRect r{};
            for (const Part& q : kParts)
                if (plat::EqualsNoCase(q.name, c.part)) r = CGameRect{q.x, q.y, q.w, q.h};
            const int cx = r.x + r.width / 2, cy = r.y + r.height / 2;
            EXPECT_EQ((CGamePoint{marks[0]->m_X, marks[0]->m_Y}), (CGamePoint{want.x + 2 * cy + cx, want.y + 2 * cy - cx}));
            marks[0]->Remove();
        }
        p->Remove();
        world_->mng->Update();
    }
}

TEST_F(CorpseTest, EffectsOnTheCorpse) {
    const struct {
        int n;
        uint32_t anim;
        CGamePoint offset;
    } cases[] = {
        {1, CCorpse::kHeadEffectSmall, {0, -26}}, {2, CCorpse::kTrunkEffect, {0, -10}},
        {3, kNoAnimId, {-6, -20}},  // the main part's frame offset
        {4, kNoAnimId, {0, -26}},   {5, kNoAnimId, {0, 0}},
        {6, CCorpse::kLimbEffect, {-5, -23}}, {7, CCorpse::kLimbEffect, {5, -23}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        CCorpse* k = MakeCorpse(kPlain, 200, 200, 1, 0);
        k->SetEffect(c.n);
        EXPECT_EQ(k->m_EffectNo, c.n);
        EXPECT_EQ(k->m_Effect.IsBound() ? k->m_Effect.m_Id : kNoAnimId, c.anim);
        EXPECT_EQ((CGamePoint{k->m_EffectX, k->m_EffectY}), c.offset);
        k->Remove();
        world_->mng->Update();
    }
}

TEST_F(CorpseTest, DrawsPlainLitRaisedAndScaled) {
    constexpr int32_t W = 48, H = 48;
    auto target = std::make_unique<CSurface>(W, H, 1);
    SetView(W, H);
    g_LightGrid.Init(8, W, H);
    g_LightGrid.Fill(6);
    CSurface viewScratch(W, H, 1);
    static CSurface* s_scratch = nullptr;
    s_scratch = &viewScratch;

    // The natural picture: parts in order over the colour key.
    std::vector<uint16_t> natural(static_cast<size_t>(kFull.width * kFull.height), datagen::kKey565);
    for (const Part& p : kParts)
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x)
                natural[static_cast<size_t>((p.y - kFull.y + y) * kFull.width + p.x - kFull.x + x)] = p.colour;

    enum Way { kDraw, kOnSurface, kClipped };
    const struct {
        const char* what;
        Way way;
        int option, colourEffect, height, step;
        CGamePoint anchor;
        bool scratchHook;
        int table;  // -1 plain
        int raise;
    } cases[] = {
        {"plain", kDraw, 0, 0, 6, 0, {20, 36}, false, -1, 0},
        {"lit at the level, raised", kDraw, 2, 0, 6, 0, {20, 36}, false, 6, 6},
        {"lit with a colour effect", kDraw, 1, 1, 0, 0, {20, 36}, false, 35, 0},
        {"second way, lit and raised", kOnSurface, 2, 0, 4, 0, {20, 36}, false, 6, 4},
        {"second way, plain", kOnSurface, 0, 0, 4, 0, {20, 36}, false, -1, 0},
        {"clipped: plain, never raised", kClipped, 2, 0, 4, 0, {20, 36}, false, -1, 0},
        {"size step 2", kDraw, 0, 0, 0, 2, {20, 36}, false, -1, 0},
        {"size step 5", kDraw, 0, 0, 0, 5, {20, 36}, false, -1, 0},
        {"size step 5 on the view's scratch", kDraw, 0, 0, 0, 5, {20, 36}, true, -1, 0},
        {"size step 5, lit", kDraw, 2, 0, 0, 5, {20, 36}, false, 6, 0},
        {"size step 5 cut by the edges", kDraw, 0, 0, 0, 5, {3, 20}, false, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayOptionValue() = c.option;
        g_WorldHooks.getViewScratchSurface = c.scratchHook ? +[] { return s_scratch; } : nullptr;
        const CGamePoint world = g_IsoGrid.ScreenToWorld(c.anchor.x, c.anchor.y);
        CCorpse* k = MakeCorpse(kPlain, world.x, world.y, 0, 0, c.height);
        k->SetState(CCorpseBase::kLying);
        k->m_Height = c.height;
        k->SetRoleData(c.colourEffect ? second_.GetRow(1) : nullptr, c.step);
        k->UpdateScreenRect();
        const CGamePoint a{k->m_ScreenX, k->m_ScreenY};
        ASSERT_LE(std::abs(a.x - c.anchor.x) + std::abs(a.y - c.anchor.y), 2);
        EXPECT_EQ(k->m_ScreenRect, (CGameRect{a.x + kFull.x, a.y + kFull.y, kFull.width, kFull.height}));

        target->FillAll(kCorpseBack);
        switch (c.way) {
        case kDraw: EXPECT_EQ(k->Draw(target.get()), 1); break;
        case kOnSurface: EXPECT_EQ(k->DrawOnSurface(target.get()), 1); break;
        case kClipped: EXPECT_EQ(k->DrawClipped(target.get(), CGameRect{0, 0, W, H}), 1); break;
        }
        // The oracle: the natural picture stretched by nearest sample.
        CGameRect g{a.x + kFull.x, a.y + kFull.y - c.raise, kFull.width, kFull.height};
        const int dx = kFull.width * c.step / 40, dy = kFull.height * c.step / 40;
        g.x -= dx;
        g.width += 2 * dx;
        g.y -= 2 * dy;
        g.height += 2 * dy;
        std::vector<uint16_t> want(W * H, kCorpseBack);
        for (int y = std::max(g.y, 0); y < std::min(g.y + g.height, H); ++y)
            for (int x = std::max(g.x, 0); x < std::min(g.x + g.width, W); ++x) {
                const uint16_t s = natural[static_cast<size_t>((y - g.y) * kFull.height / g.height * kFull.width +
                                                               (x - g.x) * kFull.width / g.width)];
                if (s == datagen::kKey565) continue;
                want[static_cast<size_t>(y * W + x)] = c.table < 0 ? s : GetColorTable(c.table)[s];
            }
        EXPECT_EQ(ReadSurface(*target), want);
        k->Remove();
        world_->mng->Update();
    }
    g_WorldHooks.getViewScratchSurface = nullptr;
}

TEST_F(CorpseTest, DemoHeroFallsAndLies) {
    g_ResList.Destroy();
    datagen::DemoOptions o;
    o.sounds = o.music = false;
    std::string error;
    ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), o, &error)) << error;
    ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
    ASSERT_EQ(LoadSprRoleHeader((Dir() + "slr/SprRole.h").c_str()), 1);
    ASSERT_EQ(g_RoleMdlTable.Load("mb/Role.txt", 1, 1, 1), 1);
    for (int dir : {0, 5}) {
        CCorpse* k = MakeCorpse(1, 200, 200, dir, 0);
        ASSERT_NE(k->m_pSprite, nullptr) << "column 5's variants make the sprite";
        EXPECT_EQ(k->GetCurAnim()->m_CurSeq, datagen::kDemoRoleDeathSeq + dir);
        k->UpdateScreenRect();
        EXPECT_GT(k->m_ScreenRect.height, k->m_ScreenRect.width) << "standing at first";
        for (int t = 0; t < 100 && k->m_State == CCorpseBase::kFalling; ++t) k->Tick();
        ASSERT_EQ(k->m_State, CCorpseBase::kLying);
        EXPECT_EQ(k->GetCurAnim()->m_CurSeq, datagen::kDemoRoleDeathSeq + 8 + dir);
        k->UpdateScreenRect();
        EXPECT_GT(k->m_ScreenRect.width, k->m_ScreenRect.height) << "lying down";
        k->Remove();
        world_->mng->Update();
    }
}
