// Scene descriptors and scene object lists.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "datagen/scn_writer.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "support/test_env.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_desc.h"
#include "world/scene/scn_placement.h"
#include "world/scene/world_globals.h"

namespace {

using datagen::KeyValues;

// "入口点太多了！！！！"
const std::string kTooMany = "\xc8\xeb\xbf\xda\xb5\xe3\xcc\xab\xb6\xe0\xc1\xcb\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1";

class ScnFileTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        plat::ClearRecordedMessageBoxes();
    }
    void Write(const std::string& name, const KeyValues& kv, bool scrambled = false) {
        ASSERT_TRUE(datagen::WriteIni(Dir() + name, kv, scrambled));
    }
};

datagen::ScnDescSpec SampleDesc() {
    datagen::ScnDescSpec s;
    s.mapFile = "Town.map";
    s.bldFile = "Town.int";
    s.objFile = "Town.obj";
    s.portals = {{"Field", 3, 4, 1}, {"DEAD", 5, 6, 2}, {"Field", 7, 8, 3}};
    s.radarId = 12;
    return s;
}

TEST_F(ScnFileTest, DescriptorLoadsKeysAndPortalsNewestFirst) {
    for (bool scrambled : {false, true}) {
        Write("Town.scn", datagen::BuildScnDesc(SampleDesc()), scrambled);
        CScnDesc d;
        ASSERT_EQ(d.Load("Town.scn"), 1);
        EXPECT_STREQ(d.m_ScnName, "Town");
        EXPECT_STREQ(d.m_MapFile, "Town.map");
        EXPECT_STREQ(d.m_BldFile, "Town.int");
        EXPECT_STREQ(d.m_ObjFile, "Town.obj");
        EXPECT_EQ(d.m_RadarId, 12);
        ASSERT_EQ(d.GetPortalCount(), 3);
        // From the first slot the newest; from the last index file order.
        std::vector<int> xs;
        for (int i = d.m_Portals.First(); i >= 0; i = d.m_Portals.Next(i)) xs.push_back(d.m_Portals.GetAt(i)->m_X);
        EXPECT_EQ(xs, (std::vector<int>{7, 5, 3}));
        xs.clear();
        for (int i = d.m_Portals.Last(); i >= 0; i = d.m_Portals.Prev(i)) xs.push_back(d.m_Portals.GetAt(i)->m_X);
        EXPECT_EQ(xs, (std::vector<int>{3, 5, 7}));
        EXPECT_EQ(d.GetLastPortal()->m_X, 7);
        EXPECT_EQ(d.FindPortal("field")->m_X, 7);  // the later of two, case ignored
        ASSERT_NE(d.FindPortal("dead"), nullptr);
        EXPECT_EQ(d.FindPortal("dead")->m_Dir, 2);
        EXPECT_EQ(d.FindPortal("CSD"), nullptr);
    }
}

TEST_F(ScnFileTest, DescriptorWithMissingKeysAndNoFile) {
    // No portals and no "RadarID": empty table, minimap -1.
    datagen::ScnDescSpec s = SampleDesc();
    s.portals.clear();
    s.radarId = -1;
    Write("Empty.scn", datagen::BuildScnDesc(s));
    CScnDesc d;
    ASSERT_EQ(d.Load("Empty.scn"), 1);
    EXPECT_EQ(d.GetLastPortal(), nullptr);
    EXPECT_EQ(d.FindPortal("Field"), nullptr);
    EXPECT_EQ(d.PickPortal("Field"), nullptr);
    EXPECT_EQ(d.m_RadarId, -1);

    // A missing "MapY" finds the next portal's and "Dir" with it; the last
    // portal then reads past the end and copies the one before whole; the
    // minimap id stays -1.
    KeyValues kv = datagen::BuildScnDesc(SampleDesc());
    datagen::DropKey(&kv, "MapY", 1);
    Write("Cut.scn", kv);
    ASSERT_EQ(d.Load("Cut.scn"), 1);
    ASSERT_EQ(d.GetPortalCount(), 3);
    const CScnPortal* p = d.GetLastPortal();
    EXPECT_EQ(p->m_Name, "DEAD");
    EXPECT_EQ(p->m_X, 5);
    EXPECT_EQ(p->m_Y, 8);
    EXPECT_EQ(p->m_Dir, 3);
    EXPECT_EQ(d.m_RadarId, -1);

    // "BldFile" after "ObjFile": the reader passes "ObjFile" looking for it.
    kv = datagen::BuildScnDesc(SampleDesc());
    datagen::SwapKeys(&kv, "BldFile", "ObjFile");
    Write("Swap.scn", kv);
    ASSERT_EQ(d.Load("Swap.scn"), 1);
    EXPECT_STREQ(d.m_BldFile, "Town.int");
    EXPECT_STREQ(d.m_ObjFile, "");
    EXPECT_EQ(d.GetPortalCount(), 0);

    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(d.Load("cj\\None.scn"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "cj\\None.scn");
    EXPECT_STREQ(plat::RecordedMessageBoxes()[0].caption.c_str(), plat::kCannotOpenCaption);
    EXPECT_STREQ(d.m_ScnName, "None");
    EXPECT_EQ(d.GetPortalCount(), 0);
}

TEST_F(ScnFileTest, PortalsPastTheTableAreRefusedOneMessageEach) {
    datagen::ScnDescSpec s = SampleDesc();
    s.portals.clear();
    for (int i = 0; i < 302; ++i) s.portals.push_back({"P" + std::to_string(i), i, i, 0});
    Write("Many.scn", datagen::BuildScnDesc(s));
    CScnDesc d;
    ASSERT_EQ(d.Load("Many.scn"), 1);
    EXPECT_EQ(d.GetPortalCount(), 299);
    EXPECT_EQ(d.GetLastPortal()->m_Name, "P298");
    EXPECT_EQ(d.FindPortal("P299"), nullptr);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 3u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[2].text, kTooMany);
    EXPECT_EQ(d.m_RadarId, 12);

    // A count far past the file's records: the copies beyond the end stop
    // at a full table with one message.
    plat::ClearRecordedMessageBoxes();
    s.portals.resize(2);
    s.portalNum = 2000000000;
    Write("Huge.scn", datagen::BuildScnDesc(s));
    ASSERT_EQ(d.Load("Huge.scn"), 1);
    EXPECT_EQ(d.GetPortalCount(), 299);
    EXPECT_EQ(plat::RecordedMessageBoxes().size(), 1u);
}

TEST_F(ScnFileTest, PickPortalIsUniformOverSameNamedPortals) {
    datagen::ScnDescSpec s = SampleDesc();
    s.portals = {{"Gate", 1, 0, 0}, {"Other", 9, 0, 0}, {"GATE", 2, 0, 0}, {"gate", 3, 0, 0}};
    Write("Pick.scn", datagen::BuildScnDesc(s));
    CScnDesc d;
    ASSERT_EQ(d.Load("Pick.scn"), 1);
    plat::SRand(7);
    std::map<int, int> seen;
    for (int i = 0; i < 30000; ++i) ++seen[d.PickPortal("Gate")->m_X];
    ASSERT_EQ(seen.size(), 3u);
    for (const auto& [x, n] : seen) EXPECT_NEAR(n, 10000, 400) << x;
    EXPECT_EQ(d.PickPortal("Other")->m_X, 9);
}

} // namespace
