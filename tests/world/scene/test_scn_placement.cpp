// Scene object lists: records into groups, placement and the entries
// scripts take later.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datagen/scn_writer.h"
#include "platform/msgbox.h"
#include "support/test_env.h"
#include "world/scene/scn_placement.h"
#include "../world_fixture.h"

namespace {

using datagen::KeyValues;
using datagen::ObjRecord;
using datagen::ScnObjRecord;

datagen::ScnObjListSpec Sample() {
    datagen::ScnObjListSpec s;
    s.bldMdl = "Town.mdl";
    ScnObjRecord a = ObjRecord(12, 1, 10, 11, 0, "Guard");
    a.moveLevel = 4;
    a.range[0] = 1, a.range[1] = 2, a.range[2] = 3, a.range[3] = 4;
    a.array = 5, a.group = 6, a.data[0] = 7, a.data[1] = 8, a.data[2] = 9;
    a.init[0] = 70000, a.init[1] = 21;
    a.dir = 5;
    ScnObjRecord b = ObjRecord(13, 1, 12, 13, 1, "Walker");
    b.rect[0] = 10, b.rect[1] = 11, b.rect[2] = 4, b.rect[3] = 3;
    ScnObjRecord c = ObjRecord(14, 1, 14, 15, 2, "Patrol");
    c.path = {{1, 2}, {3, 4}, {5, 6}};
    ScnObjRecord d = ObjRecord(15, 1, 16, 17, 3);
    d.asd[0] = 1, d.asd[1] = 2, d.asd[2] = 3, d.point[0] = 40, d.point[1] = 41;
    ScnObjRecord e = ObjRecord(16, 1, 18, 19, 4);
    e.init[0] = 30, e.init[1] = 31, e.dir = 6;
    s.cha = {a, b, c, d, e};
    for (int id : {1499, 1500, 2000, 2001}) s.bea.push_back(ObjRecord(11, id, id - 1490, 3, 0, "B" + std::to_string(id)));
    s.prop = {ObjRecord(11, 5, 7, 7, 0, "Key"), ObjRecord(11, 6, 7, 7, 0, "key"), ObjRecord(101, 3, 9, 9, 0)};
    return s;
}

class PlacementTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::ClearRecordedMessageBoxes();
    }
    void Write(const std::string& name, const KeyValues& kv) {
        ASSERT_TRUE(datagen::WriteIni(Dir() + name, kv, false));
    }
};

template <class T>
const T* As(const CScnObjFile& f, int i, int g) {
    return dynamic_cast<const T*>(f.GetEntry(i, g));
}

TEST_F(PlacementTest, RecordsLoadIntoTheirGroupsWithTheirLogic) {
    Write("Town.obj", datagen::BuildScnObjList(Sample()));
    CScnObjFile f;  // creates nothing
    ASSERT_EQ(f.Load("Town.obj"), 1);
    EXPECT_EQ(f.m_BldMdl, "Town.mdl");
    EXPECT_EQ(f.m_Path, "Town.obj");
    EXPECT_EQ(f.m_Total, 12);
    EXPECT_EQ(f.GetGroup(0)->count, 0);
    EXPECT_EQ(f.GetGroup(1)->count, 5);
    EXPECT_EQ(f.GetGroup(2)->count, 3);
    EXPECT_EQ(f.GetGroup(3)->count, 4);
    EXPECT_EQ(f.GetEntry(5, 1), nullptr);
    EXPECT_EQ(f.GetEntry(-1, 1), nullptr);

    const auto* a = As<CObjDesc12>(f, 0, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_Type, 12u);
    EXPECT_EQ(a->m_SubType, 2);
    EXPECT_EQ(a->m_ModelId, 1);
    EXPECT_EQ(a->m_X, 10);
    EXPECT_EQ(a->m_Y, 11);
    EXPECT_EQ(a->m_Logic, 0);
    EXPECT_EQ(a->m_MoveLevel, 4);  // the rest level, behaviour word 3
    EXPECT_EQ(a->m_Nested[0], 1);
    EXPECT_EQ(a->m_Nested[3], 4);
    EXPECT_STREQ(a->m_Text, "Guard");
    EXPECT_EQ(a->m_Words[0], 5);
    EXPECT_EQ(a->m_Words[3], 8);
    EXPECT_EQ(a->m_LastWord, 9);
    EXPECT_EQ(a->m_PatrolX, 70000 & 0xFFFF);
    EXPECT_EQ(a->m_PatrolY, 21);
    EXPECT_EQ(a->m_Dir, 5);

    const auto* b = As<CObjDesc13>(f, 1, 1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_RectX, 10);
    EXPECT_EQ(b->m_RectH, 3);
    const auto* c = As<CObjDesc14>(f, 2, 1);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->m_Path.size(), 3u);
    EXPECT_EQ(c->m_Path[2].x, 5);
    EXPECT_EQ(c->m_Path[2].y, 6);
    const auto* d = As<CObjDesc15>(f, 3, 1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_A, 1);
    EXPECT_EQ(d->m_D, 3);
    EXPECT_EQ(d->m_PointY, 41);
    EXPECT_EQ(d->m_Word, 1);
    const auto* e = As<CObjDesc12>(f, 4, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_Type, 16u);
    EXPECT_EQ(e->m_Logic, 4);
    EXPECT_EQ(e->m_PatrolY, 31);
    EXPECT_EQ(e->m_Dir, 6);
    EXPECT_EQ(f.GetEntry(2, 2)->m_Type, 101u);
    EXPECT_EQ(f.GetEntry(3, 3)->m_ModelId, 2001);
}

TEST_F(PlacementTest, MissingReorderedAndOversizedKeys) {
    struct Case {
        const char* what;
        void (*damage)(KeyValues*, datagen::ScnObjListSpec*);
        int cha, prop, bea;
        const char* bldMdl;
    };
    const Case cases[] = {
        // Every key after a missing "PROP" reads as missing.
        {"no PROP", [](KeyValues* kv, datagen::ScnObjListSpec*) { datagen::DropKey(kv, "PROP"); }, 0, 0, 0, ""},
        // A missing "Type" takes the next record's: the records shift by one
        // and the last, read past the end, repeats the type before with its
        // defaults.
        {"no third Type", [](KeyValues* kv, datagen::ScnObjListSpec*) { datagen::DropKey(kv, "Type", 2); }, 5, 3, 4,
         "Town.mdl"},
        // A type outside the factory is passed over.
        {"type 10", [](KeyValues*, datagen::ScnObjListSpec* s) { s->cha[1].type = 10; }, 4, 3, 4, "Town.mdl"},
        // "Bea" before "PROP": "PROP" is never found again.
        {"swapped counts", [](KeyValues* kv, datagen::ScnObjListSpec*) { datagen::SwapKeys(kv, "PROP", "Bea"); }, 0, 0,
         0, ""},
    };
    for (const Case& c : cases) {
        datagen::ScnObjListSpec s = Sample();
        KeyValues none;
        c.damage(&none, &s);
        KeyValues kv = datagen::BuildScnObjList(s);
        c.damage(&kv, &s);
        Write("Cut.obj", kv);
        CScnObjFile f;
        ASSERT_EQ(f.Load("Cut.obj"), 1) << c.what;
        EXPECT_EQ(f.GetGroup(1)->count, c.cha) << c.what;
        EXPECT_EQ(f.GetGroup(2)->count, c.prop) << c.what;
        EXPECT_EQ(f.GetGroup(3)->count, c.bea) << c.what;
        EXPECT_EQ(f.m_BldMdl, c.bldMdl) << c.what;
    }

    // A logic kind its type does not hold reads none of its keys; the next
    // record is still found.
    datagen::ScnObjListSpec s = Sample();
    s.cha[0].logic = 2;
    s.cha[0].path = {{8, 9}};
    Write("Mixed.obj", datagen::BuildScnObjList(s));
    CScnObjFile f;
    ASSERT_EQ(f.Load("Mixed.obj"), 1);
    EXPECT_EQ(As<CObjDesc12>(f, 0, 1)->m_Logic, 2);
    EXPECT_EQ(As<CObjDesc12>(f, 0, 1)->m_PatrolX, 0);
    EXPECT_EQ(As<CObjDesc13>(f, 1, 1)->m_RectX, 10);

    // A path count far beyond the file: only the points it holds.
    s = Sample();
    s.cha = {s.cha[2]};
    s.cha[0].pathNum = 2000000000;
    s.bea.clear();
    s.prop.clear();
    Write("Path.obj", datagen::BuildScnObjList(s));
    ASSERT_EQ(f.Load("Path.obj"), 1);
    ASSERT_NE(As<CObjDesc14>(f, 0, 1), nullptr);
    EXPECT_EQ(As<CObjDesc14>(f, 0, 1)->m_Path.size(), 3u);

    // Counts far beyond the file stop at a full group.
    s = Sample();
    KeyValues kv = datagen::BuildScnObjList(s);
    kv[2].second = "2000000000";  // CHA
    Write("Huge.obj", kv);
    ASSERT_EQ(f.Load("Huge.obj"), 1);
    EXPECT_EQ(f.GetGroup(1)->count, CScnObjFile::kGroupCapacity);

    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(f.Load("None.obj"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "None.obj");
    EXPECT_STREQ(plat::RecordedMessageBoxes()[0].caption.c_str(), plat::kCannotOpenCaption);
}

class PlacementWorldTest : public PlacementTest {
protected:
    void SetUp() override {
        PlacementTest::SetUp();
        world_ = std::make_unique<wtest::TestWorld>();
        world_->MakeCurrent();
    }
    void TearDown() override {
        world_.reset();
        ClearCurrentWorld();
        PlacementTest::TearDown();
    }
    std::unique_ptr<wtest::TestWorld> world_;
};

TEST_F(PlacementWorldTest, CreatesCharactersAndCreaturesOutsideTheScriptRange) {
    Write("Town.obj", datagen::BuildScnObjList(Sample()));
    CScnPlacement& p = world_->mng->m_Placement;
    ASSERT_EQ(p.Load("Town.obj"), 1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.IsUsed(1, i), 1) << i;
    // Creatures 1499 and 2001 are taken; 1500 and 2000 wait for scripts.
    EXPECT_EQ(p.IsUsed(3, 0), 1);
    EXPECT_EQ(p.IsUsed(3, 1), 0);
    EXPECT_EQ(p.IsUsed(3, 2), 0);
    EXPECT_EQ(p.IsUsed(3, 3), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(p.IsUsed(2, i), 0);

    EXPECT_EQ(p.FindByName("b1500", 3), 1);
    EXPECT_EQ(p.FindByName("B1499", 3), -1);  // used
    EXPECT_EQ(p.FindByPos(9, 3, 3), 0);       // used or not
    EXPECT_EQ(p.FindByPos(9, 9, 2), -1);      // a building record
    EXPECT_EQ(p.FindByName("KEY", 2), 0);
    std::unique_ptr<CObjDesc> key(p.TakeEntry(2, 0));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->m_ModelId, 5);
    EXPECT_EQ(p.FindByName("KEY", 2), 1);  // the first is used now
    EXPECT_EQ(p.FindByPos(7, 7, 2), 0);
    p.SetUsed(2, 0, 0);
    EXPECT_EQ(p.FindByName("KEY", 2), 0);
    EXPECT_EQ(p.TakeEntry(2, 3), nullptr);
    EXPECT_EQ(p.TakeEntry(2, -1), nullptr);

    // A taken path is the entry's own copy.
    std::unique_ptr<CObjDesc> path(p.TakeEntry(1, 2));
    auto* d14 = dynamic_cast<CObjDesc14*>(path.get());
    ASSERT_NE(d14, nullptr);
    EXPECT_EQ(d14->m_Path.size(), 3u);
    d14->m_Path.clear();
    EXPECT_EQ(dynamic_cast<const CObjDesc14*>(p.GetEntry(2, 1))->m_Path.size(), 3u);
}

} // namespace
