// Animated map objects: the base, kind 24, timed, footprint and one-shot
// animations, items on the map.
#include <algorithm>

#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "gfx/anim.h"
#include "gfx/res_lib.h"
#include "platform/debug.h"
#include "../weather_fixture.h"
#include "../world_obj_fixture.h"
#include "world/things/anim_objs.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/things/map_prop.h"
#include "../world_fixture.h"

using namespace wxtest;

namespace {

constexpr uint16_t kAnimBack = 0x0841;
constexpr uint32_t kTestAnim = 40;   // seq 0: 3 frames of 2 ticks; seq 1: one frame
constexpr uint32_t kBareAnim = 41;   // a table without sequences

// Pictures of library 1, entry 0: 4 x 3, RLE, the key on the diagonal.
datagen::ImageFrame Pic(int seed) {
    datagen::ImageFrame f;
    f.width = 4;
    f.height = 3;
    f.rle = true;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            f.pixels.push_back(x == y ? datagen::kKey565 : static_cast<uint16_t>(0x1082 * (seed + 1) + 37 * x + 301 * y));
    return f;
}
uint16_t PicPixel(int seed, int x, int y) {
    return x == y ? datagen::kKey565 : static_cast<uint16_t>(0x1082 * (seed + 1) + 37 * x + 301 * y);
}

datagen::AnimFrameSpec F(int pic, uint32_t delay, int32_t hot = 0) {
    datagen::AnimFrameSpec f;
    f.resId = (1u << 20) | (static_cast<uint32_t>(pic + 1) << 24);
    f.delay = delay;
    f.hotX = hot;
    f.hotY = hot;
    return f;
}
datagen::AnimFrameSpec Empty(uint32_t delay) {
    datagen::AnimFrameSpec f;
    f.empty = true;
    f.delay = delay;
    return f;
}

// A world with a map, libraries, the prop table and recorded hooks.
class AnimObjTest : public WorldObjTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        EnterWorld(8);
        g_WorldHooks.getDisplayOption = [] { return DisplayOptionValue(); };
        g_WorldHooks.invalidateRect = [](const CGameRect& r) { Invalidated().push_back(r); };
        g_WorldHooks.addFloatingLine = [](const char* t, int32_t x, int32_t y) {
            Lines().push_back(std::string(t) + "@" + std::to_string(x) + "," + std::to_string(y));
            return 1;
        };
        g_WorldHooks.getRoleCamp = [](const CGameObj* role) { return role->m_DataId; };
        Invalidated().clear();
        Lines().clear();

        std::vector<std::string> pics;
        for (int i = 0; i < 8; ++i) pics.push_back(datagen::EncodeFrame(Pic(i)));
        std::vector<std::string> anim(200);
        anim[CMapProp::kPictureAnim] =
            datagen::BuildAnimTable({{0, {F(0, 1), F(1, 1), F(2, 1), F(3, 1)}}, {0, {F(4, 1), F(5, 1), F(6, 1), F(7, 1), F(0, 1)}}});
        anim[CMapProp::kSparkleAnim] = datagen::BuildAnimTable({{0, {Empty(1), Empty(1), Empty(1)}}});
        anim[CTimedAnimObj::kSplashAnim] = datagen::BuildAnimTable({{0, {F(7, 2), F(6, 2)}}});
        std::vector<datagen::AnimSeqSpec> feet;
        for (int s = 0; s < 16; ++s)
            feet.push_back(s % 16 < 8 ? datagen::AnimSeqSpec{0, {F(s % 8, 1)}}
                                      : datagen::AnimSeqSpec{0, {F(0, 1), F(1, 1), F(2, 1)}});
        anim[193] = datagen::BuildAnimTable(feet);
        anim[kTestAnim] = datagen::BuildAnimTable({{0, {F(0, 2, 1), F(1, 2, 1), F(2, 2, 1)}}, {0, {F(3, 1)}}});
        anim[kBareAnim] = datagen::BuildAnimTable({});
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/anim.lib", anim));
        ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/pics.lib", {datagen::BuildFrameTable(pics)}));
        ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"anim", "pics"}));
        ASSERT_TRUE(g_ResList.Init("Zy\\idx.lib"));

        ASSERT_TRUE(datagen::WriteTable(Dir() + "PropMdl.txt", {{"Name", "Id", "Kind", "Pic", "Land", "X", "Stack"},
                                                                {"Potion", "5", "0", "1", "77", "0", "1"},
                                                                {"Stone", "6", "0", "9", "", "0", "0"}}));
        ASSERT_EQ(g_PropMdlTable.Load("PropMdl.txt", 1, 1, 1), 1);
        ASSERT_TRUE(datagen::WriteTable(Dir() + "Text.txt", {{"0", "a"}, {"3", "Count"}}));
        ASSERT_EQ(g_TextTable.Load("Text.txt", 0, 0, 1), 1);
        plat::ClearDebugCapture();
    }
    void TearDown() override {
        LeaveWorld();
        g_ResList.Destroy();
        g_PropMdlTable.Clear();
        g_TextTable.Clear();
        WeatherTest::TearDown();
    }
    static std::vector<CGameRect>& Invalidated() {
        static std::vector<CGameRect> v;
        return v;
    }
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> v;
        return v;
    }
    CMapProp* Prop(int id, int x, int y, int count = 1) {
        return static_cast<CMapProp*>(world_->mng->AddProp(id, x, y, -1, count));
    }
    CMapCell& Cell(int x, int y) { return *grid_.GetCell(x, y); }
    uint16_t H16(const CGameObj* o) const { return static_cast<uint16_t>(o->m_Handle); }

};

// A role for the owner and occupant tests; its camp is its data id.
class CTestRole : public CMapObj {
public:
    explicit CTestRole(int camp) {
        m_Kind = 31;
        m_DataId = camp;
        Register(-1);
    }
};

// Nothing in the game makes kind 24: a test subclass arms it.
class CTestOwnedProp : public COwnedProp {
public:
    CTestOwnedProp(ObjHandle owner, uint32_t anim) {
        m_Owner = owner;
        m_Armed = 1;
        m_Res.Bind(anim);
        Register(-1);
    }
};

} // namespace

TEST_F(AnimObjTest, ItemPlacement) {
    const struct {
        const char* what;
        int x, y;
        int ground;  // 1: another object lies on the start cell
        int role;    // 1: a role stands on the start cell and on (3, 4)
        int blockAll;
        CGamePoint want;  // -1: no prop
        int bounces;
    } cases[] = {
        {"free cell", 3, 3, 0, 0, 0, {3, 3}, 0},
        {"ground object moves it", 3, 3, 1, 0, 0, {3, 4}, 1},
        {"a role only matters on the start cell", 3, 3, 0, 1, 0, {3, 4}, 1},
        {"start cell off the grid", -1, 3, 0, 0, 0, {0, 4}, 1},
        {"none within 10", 3, 3, 0, 0, 1, {-1, -1}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        grid_.Create(8, 8);
        if (c.ground) Cell(3, 3).m_GroundObj = 4000;
        std::unique_ptr<CTestRole> r1, r2;
        if (c.role) {
            r1 = std::make_unique<CTestRole>(1);
            r2 = std::make_unique<CTestRole>(1);
            Cell(3, 3).SetOccupant(H16(r1.get()));
            Cell(3, 4).SetOccupant(H16(r2.get()));
        }
        if (c.blockAll)
            for (int i = 0; i < grid_.CellCount(); ++i) grid_.Cells()[i].m_Walkable = 0;
        plat::ClearDebugCapture();
        CMapProp* p = Prop(6, c.x, c.y);
        if (c.want.x < 0) {
            EXPECT_EQ(p, nullptr);
            const auto& out = plat::DebugCaptured();
            EXPECT_NE(std::find(out.begin(), out.end(), "CObjMng::AddObj Error"), out.end());
            continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ((CGamePoint{p->GetDesc()->m_X, p->GetDesc()->m_Y}), c.want);
        EXPECT_EQ((CGamePoint{p->m_X, p->m_Y}), TileToPixel(c.want));
        EXPECT_EQ(Cell(c.want.x, c.want.y).m_GroundObj, H16(p));
        EXPECT_EQ(p->m_Flight, c.bounces ? 0 : g_PropFlightTicks);
        EXPECT_EQ(p->m_StepX, 0.0f);
        EXPECT_EQ(p->m_DrawLayer, 1);
        EXPECT_EQ(p->m_pPicture, p->m_PictureRes.Player(0)) << "picture 9 is outside: sequence 0";
        p->Remove();
        world_->mng->Update();
    }
}

TEST_F(AnimObjTest, BounceHeightsAndSoundTicks) {
    Cell(2, 2).m_GroundObj = 4000;
    CMapProp* p = Prop(5, 2, 2);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_pPicture, p->m_PictureRes.Player(1));
    const int32_t want[] = {18, 35, 51, 66, 80, 93, 105, 116, 106, 95, 83, 70, 56, 41, 25, 8, 0, 0, 0};
    for (int t = 1; t <= 19; ++t) {
        Sounds().clear();
        ASSERT_EQ(p->Tick(), 1);
        EXPECT_EQ(p->m_Height, want[t - 1]) << "tick " << t;
        if (t == 1) {
            EXPECT_EQ(Sounds(), (std::vector<SoundCall>{{'a', 36, 0, 0}}));
            EXPECT_EQ(SoundPoints().back(), (CGamePoint{p->m_X, p->m_Y}));
        } else if (t == 17) {
            EXPECT_EQ(Sounds(), (std::vector<SoundCall>{{'a', 77, 0, 0}})) << "the landing sound";
        } else {
            EXPECT_TRUE(Sounds().empty()) << t;
        }
        if (t < 18) {
            EXPECT_LT(p->m_pPicture->m_CurFrame, 3) << "the flight cycles all frames but the last two";
        }
    }
    EXPECT_EQ(p->m_pPicture->m_CurFrame, 4) << "resting on the last frame";

    // A prop made on a free cell rests at once: no bounce, no sound.
    CMapProp* q = Prop(6, 5, 5);
    Sounds().clear();
    q->Tick();
    EXPECT_EQ(q->m_Height, 0);
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(q->m_pPicture->m_CurFrame, 3);
}

TEST_F(AnimObjTest, HoverLabelWithCounts) {
    CMapProp* one = Prop(6, 1, 1);
    CMapProp* two = Prop(5, 4, 4, 2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->m_Count, 2) << "a stacking prop keeps its count";
    one->UpdateScreenRect();
    two->UpdateScreenRect();
    one->SetHover(1);
    two->SetHover(1);
    two->SetHover(0);
    EXPECT_EQ(one->m_Hover, 1u);
    EXPECT_EQ(two->m_Hover, 0u);
    const CGamePoint a1 = g_IsoGrid.WorldToScreen(one->m_X, one->m_Y);
    const CGamePoint a2 = g_IsoGrid.WorldToScreen(two->m_X, two->m_Y);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Stone@" + std::to_string(a1.x) + "," + std::to_string(a1.y - 35),
                           "Potion\nCount:2@" + std::to_string(a2.x) + "," + std::to_string(a2.y - 35)}));
    two->SetPropInfo("engraved", 3, 4);
    EXPECT_EQ(two->m_Text, "engraved");
    EXPECT_EQ(two->m_ValueB, 4);
}

TEST_F(AnimObjTest, DrawingPlainLitAndHighlighted) {
    CMapProp* p = Prop(6, 0, 0);
    ASSERT_NE(p, nullptr);
    p->Tick();  // resting: picture 3
    p->SetPos(40, 20);
    g_LightGrid.Init(8, 64, 48);
    g_LightGrid.Fill(6);
    auto target = std::make_unique<CSurface>(64, 48, 1);
    SetView(64, 48);
    const CGamePoint a = g_IsoGrid.WorldToScreen(40, 20);
    const struct {
        int option;
        uint32_t hover;
        int table;  // -1 plain
    } cases[] = {{0, 0, -1}, {0, 1, -1}, {2, 0, 6}, {1, 0, 6}, {2, 1, 34}};
    for (const auto& c : cases) {
        DisplayOptionValue() = c.option;
        p->m_Hover = c.hover;
        target->FillAll(kAnimBack);
        p->UpdateScreenRect();
        EXPECT_EQ((CGameRect{p->m_ScreenRect.x, p->m_ScreenRect.y}), (CGameRect{a.x, a.y}));
        p->Draw(target.get());
        std::vector<uint16_t> want(64 * 48, kAnimBack);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const uint16_t s = PicPixel(3, x, y);
                const int tx = a.x + x, ty = a.y + y;
                if (s == datagen::kKey565) continue;
                want[static_cast<size_t>(ty) * 64 + tx] = c.table < 0 ? s : GetColorTable(c.table)[s];
            }
        EXPECT_EQ(ReadSurface(*target), want) << c.option << " " << c.hover;
    }
}

TEST_F(AnimObjTest, RemovalLeavesAnotherObjectsMark) {
    CMapProp* p = Prop(6, 2, 2);
    CMapProp* q = Prop(6, 5, 5);
    Cell(5, 5).m_GroundObj = 777;  // something else lies there now
    q->Remove();
    EXPECT_EQ(Cell(5, 5).m_GroundObj, 777) << "another object's mark stays";
    p->Remove();
    EXPECT_EQ(Cell(2, 2).m_GroundObj, kNoObj);
    world_->mng->Update();

    // PlaceAll marks the cells of the props anew (a reactivated scene).
    CMapProp* r = Prop(6, 6, 1);
    Cell(6, 1).m_GroundObj = kNoObj;
    world_->mng->PlaceAll();
    EXPECT_EQ(Cell(6, 1).m_GroundObj, H16(r));
}

// An item clears the mark in its own world's map, whichever world is
// current: the other world's item of the same handle stays.
TEST_F(AnimObjTest, RemovalClearsTheMarkInItsOwnWorld) {
    CMapProp* p = Prop(6, 2, 2);
    ASSERT_EQ(Cell(2, 2).m_GroundObj, H16(p));
    CMapGrid other;
    other.Create(8, 8);
    other.GetCell(2, 2)->m_GroundObj = H16(p);  // the other world's item
    g_CurMapGrid = &other;
    p->Remove();
    EXPECT_EQ(other.GetCell(2, 2)->m_GroundObj, H16(p));
    EXPECT_EQ(Cell(2, 2).m_GroundObj, kNoObj);
    g_CurMapGrid = &grid_;
    world_->mng->Update();
}

// Positions are pixels: maps of up to 65535 cells take them past 16 bits.
TEST_F(AnimObjTest, TimedAnimationsKeepFarPositions) {
    for (const CGamePoint at : {CGamePoint{40000, 70000}, CGamePoint{65535 * 64 + 32, 3 * 64}}) {
        CGameObj* t = world_->mng->AddAnimObj(static_cast<int>(kTestAnim), 0, at.x, at.y);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->m_X, at.x);
        EXPECT_EQ(t->m_Y, at.y);
        t->Remove();
    }
    world_->mng->Update();
}

TEST_F(AnimObjTest, TimedAnimationsWaterFootprintsAndOneShots) {
    Cell(4, 4).m_Surface = 4;
    Cell(4, 4).m_Walkable = 0;
    const struct {
        int x, y;
        uint32_t id;
        int seq;
        uint32_t wantId;
        int wantSeq;
    } cases[] = {
        {100, 100, kTestAnim, 1, kTestAnim, 1},
        {4 * 64 + 10, 4 * 64 + 50, kTestAnim, 1, CTimedAnimObj::kSplashAnim, 0},  // water
        {100, 100, kTestAnim, 5, kTestAnim, 0},  // outside: kept
        {100, 100, kBareAnim, -1, kBareAnim, 0},  // nothing to choose from
    };
    for (const auto& c : cases) {
        auto* t = static_cast<CTimedAnimObj*>(world_->mng->AddAnimObj(static_cast<int>(c.id), c.seq, c.x, c.y));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->m_Kind, 22);
        EXPECT_EQ(t->m_Id, c.wantId);
        EXPECT_EQ(t->m_CurSeq, c.wantSeq);
        EXPECT_EQ(t->m_X, c.x);
        t->Remove();
    }
    world_->mng->Update();

    // A timed animation holds its last frame and goes on its 302nd tick.
    auto* t = static_cast<CTimedAnimObj*>(world_->mng->AddAnimObj(static_cast<int>(kTestAnim), 0, 100, 100));
    int ticks = 0;
    while (!t->m_Removed && ticks < 400) {
        ++ticks;
        t->Tick();
        if (ticks == 10) {
            EXPECT_EQ(t->CurrentPlayer()->m_CurFrame, 2);
        }
    }
    EXPECT_EQ(ticks, 302);
    EXPECT_EQ(t->CurrentPlayer()->m_CurFrame, 2) << "still the last frame";
    EXPECT_FALSE(Invalidated().empty()) << "redraws while it holds the end";

    // A footprint fades to its sequence + 8 after 300 ticks, then goes.
    auto* f = new CFootprintObj;
    f->SetPos(200, 200);
    f->Setup(193, 3);
    world_->mng->Register(f->m_Handle);
    ticks = 0;
    while (!f->m_Fading) {
        ++ticks;
        f->Tick();
    }
    EXPECT_EQ(ticks, 302);
    EXPECT_EQ(f->m_CurSeq, 11);
    EXPECT_EQ(f->m_DrawLayer, 0);
    int fade = 0;
    while (!f->m_Removed && fade < 20) {
        ++fade;
        f->Tick();
    }
    EXPECT_EQ(fade, 2) << "removed at the fade's end (frame 0 showed on the tick it began)";
    // Without a fade sequence the footprint keeps its own.
    auto* g = new CFootprintObj;
    g->Setup(193, 9);
    g->m_Age = 301;
    g->Tick();
    EXPECT_EQ(g->m_CurSeq, 9);
    world_->mng->Register(g->m_Handle);

    // One-shot: removed on the last tick of its sequence.
    auto* o = new COneShotAnimObj;
    o->SetAnimation(CTimedAnimObj::kSplashAnim);
    world_->mng->Register(o->m_Handle);
    ticks = 0;
    while (!o->m_Removed && ticks < 20) {
        ++ticks;
        o->Tick();
    }
    EXPECT_EQ(ticks, 3);
    auto* bare = new COneShotAnimObj;
    bare->SetAnimation(kBareAnim);
    EXPECT_EQ(bare->Tick(), 0) << "nothing to play: gone at once";
    EXPECT_EQ(bare->m_Removed, 1u);
    world_->mng->Register(bare->m_Handle);
    world_->mng->Update();
}

TEST_F(AnimObjTest, RainSplashesLandOnTheMap) {
    // The view at the origin: screen (32, 16) is inside cell (0, 0).
    Cell(0, 0).m_Surface = 4;
    MakeRainSplash(32, 16, 0);
    MakeRainSplash(32 + 64, 16 + 32, 0);
    MakeRainSplash(-500, -500, 0);  // off the map: nothing
    std::vector<uint32_t> ids;
    for (CObjNode* n = world_->mng->m_Props.Head(); n; n = n->Next())
        ids.push_back(static_cast<COneShotAnimObj*>(static_cast<CGameObj*>(n))->m_Id);
    EXPECT_EQ(ids, (std::vector<uint32_t>{238, 29}));
}

TEST_F(AnimObjTest, AnimatedBaseDrawsAndClips) {
    auto* t = static_cast<CTimedAnimObj*>(world_->mng->AddAnimObj(static_cast<int>(kTestAnim), 0, 40, 20));
    t->m_Height = 2;
    t->UpdateScreenRect();
    const CGamePoint a = g_IsoGrid.WorldToScreen(40, 20);
    EXPECT_EQ(t->m_ScreenRect, (CGameRect{a.x - 1, a.y + 2 - 1, 4, 3})) << "height adds; the hot spot moves it";
    auto target = std::make_unique<CSurface>(64, 48, 1);
    SetView(64, 48);
    target->FillAll(kAnimBack);
    // A clip touching the rectangle's last pixel draws only that pixel.
    const CGameRect& r = t->m_ScreenRect;
    EXPECT_EQ(t->DrawClipped(target.get(), CGameRect{r.x + 3, r.y + 2, 10, 10}), 1);
    auto px = ReadSurface(*target);
    std::vector<uint16_t> want(64 * 48, kAnimBack);
    want[static_cast<size_t>(r.y + 2) * 64 + r.x + 3] = PicPixel(0, 3, 2);
    EXPECT_EQ(px, want);
    EXPECT_EQ(t->DrawClipped(target.get(), CGameRect{r.x + 4, r.y, 5, 5}), 0);

    // An unbound resource has no rectangle and draws nothing.
    auto* bare = static_cast<CTimedAnimObj*>(world_->mng->AddAnimObj(static_cast<int>(kBareAnim), 0, 40, 20));
    target->FillAll(kAnimBack);
    DisplayOptionValue() = 2;
    EXPECT_EQ(bare->Draw(target.get()), 1);
    EXPECT_EQ(bare->m_ScreenRect.width, 0);
    EXPECT_EQ(ReadSurface(*target), std::vector<uint16_t>(64 * 48, kAnimBack));
    // The switching rule: the player left restarts; invalid indices keep.
    t->CurrentPlayer()->m_CurFrame = 2;
    EXPECT_EQ(SwitchSequence(*t, 1), 1);
    EXPECT_EQ(t->Player(0)->m_CurFrame, 0);
    EXPECT_EQ(SwitchSequence(*t, 1), 0);
    EXPECT_EQ(SwitchSequence(*t, -1), 0);
    EXPECT_EQ(SwitchSequence(*t, 2), 0);
    EXPECT_EQ(t->m_CurSeq, 1);
}

TEST_F(AnimObjTest, OwnedPropOperations) {
    CTestRole owner(7);
    auto* p = new CTestOwnedProp(owner.m_Handle, kTestAnim);
    world_->mng->Register(p->m_Handle);
    EXPECT_EQ(p->m_Kind, 24);
    EXPECT_EQ(p->IsIdle(), 0) << "armed";
    p->SetHover(1);
    EXPECT_EQ(p->m_Hover, 0u) << "an armed prop ignores hover";
    EXPECT_EQ(p->GetOwnerCamp(), 7);

    Cell(2, 3).m_GroundObj = H16(p);
    EXPECT_EQ(FindOwnedPropNear(1, 2, 0, 3), p) << "radius 0 searches 1";
    EXPECT_EQ(FindOwnedPropNear(1, 2, 1, 7), nullptr) << "own camp";
    EXPECT_EQ(FindOwnedPropNear(5, 5, 1, 3), nullptr);

    Sounds().clear();
    p->SetState(1);
    EXPECT_EQ(Sounds(), (std::vector<SoundCall>{{'a', 60, 0, 0}}));
    EXPECT_EQ(p->m_Res.m_CurSeq, 1);
    EXPECT_EQ(p->m_Armed, 0u);
    EXPECT_EQ(p->m_Active, 0u);
    EXPECT_EQ(p->IsIdle(), 0) << "fired";
    EXPECT_EQ(FindOwnedPropNear(1, 2, 1, 3), nullptr) << "disarmed";
    p->SetState(0);
    EXPECT_EQ(p->m_Res.m_CurSeq, 0);
    EXPECT_EQ(p->IsIdle(), 1);
    p->SetHover(1);
    EXPECT_EQ(p->m_Hover, 1u);

    // The owner gone: the cached camp answers.
    owner.Remove();
    world_->table->Free(owner.m_Handle, &owner);
    EXPECT_EQ(p->GetOwnerCamp(), 7);

    // One sequence: the sound and the disarming, but sequence 0 stays.
    auto* single = new CTestOwnedProp(0, CTimedAnimObj::kSplashAnim);
    world_->mng->Register(single->m_Handle);
    Sounds().clear();
    single->SetState(1);
    EXPECT_EQ(Sounds().size(), 1u);
    EXPECT_EQ(single->m_Res.m_CurSeq, 0);
    EXPECT_EQ(single->m_Armed, 0u);
}
