// Building model files and the model cache.
#include <gtest/gtest.h>

#include <cstring>

#include "../bld_fixture.h"
#include "core/directories.h"
#include "datagen/bytes.h"
#include "platform/msgbox.h"
#include "support/test_env.h"
#include "world/buildings/bld_mdl.h"

namespace {

using datagen::BldModelFault;
using datagen::BldModelSpec;

class BldMdlTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        vtest::TempDirTest::SetUp();
        SetProgramDirectory(0);
        plat::ClearRecordedMessageBoxes();
    }
    void Write(const std::string& name, const BldModelSpec& spec) {
        ASSERT_TRUE(datagen::WriteBldModel(Dir() + "mb/" + name, spec));
    }
    static BldModelSpec TwoParts() {
        BldModelSpec s;
        s.records.push_back({3, bldtest::SamplePart(4, 128)});
        s.records.push_back({7, {}});
        datagen::BldPartSpec second;
        second.partId = 9;
        second.partKind = 11;
        s.records.push_back({3, second});
        return s;
    }
};

TEST_F(BldMdlTest, WriterPlacesTheFieldsAtTheirOffsets) {
    const std::string part = datagen::BuildPartRecord(bldtest::SamplePart(4, 128));
    const auto u16 = [&](size_t o) { return uint8_t(part[o]) | uint8_t(part[o + 1]) << 8; };
    const auto i32 = [&](size_t o) { return int32_t(u16(o) | u16(o + 2) << 16); };
    EXPECT_EQ(u16(0), 3);
    EXPECT_EQ(u16(2), 0) << "the name's text-field tag";
    EXPECT_STREQ(part.c_str() + 4, "House");
    EXPECT_EQ(u16(34), 128);
    EXPECT_EQ(u16(36), 4);
    EXPECT_EQ(u16(42), 3);
    EXPECT_EQ(u16(79), 3);
    EXPECT_EQ(u16(81), 2);
    EXPECT_EQ(i32(93), 0);  // occlusion dx, dy
    EXPECT_EQ(i32(97), 2);
    EXPECT_EQ(u16(165), 128 | 8 | 1);
    const size_t after = 165 + 2 * 6;
    EXPECT_EQ(u16(after), 0xBEEF);
    EXPECT_EQ(uint8_t(part[after + 2]), 2);
    EXPECT_EQ(uint8_t(part[after + 3]), 5);
    EXPECT_EQ(part.size(), after + 4 + 3 * 21);
}

TEST_F(BldMdlTest, LoadsEveryFieldOfAPart) {
    BldModelSpec s = TwoParts();
    Write("Town.mdl", s);
    CBldMdl m;
    ASSERT_EQ(m.Load("Town.mdl"), 1);
    EXPECT_STREQ(m.m_FileName, "Town.mdl");
    EXPECT_EQ(m.GetRecordCount(), 3);
    EXPECT_EQ(m.m_Parts[1], nullptr);  // a record of another kind
    const CBldPart* p = m.GetPart(4);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, m.m_Parts[0]);
    EXPECT_STREQ(p->m_Name + 2, "House");  // after the text-field tag
    EXPECT_EQ(p->m_PartKind, 128);
    EXPECT_EQ(p->m_SubCount, 3);
    EXPECT_EQ(p->m_MiddleStart, 1);
    EXPECT_EQ(p->m_Word46, 0x1234);
    EXPECT_EQ(p->m_TopCount, 1);
    EXPECT_EQ(p->m_LabelEnable, 1);
    EXPECT_EQ(std::memcmp(p->m_Bytes51, "twenty-byte-block-51", 20), 0);
    EXPECT_EQ(std::memcmp(p->m_Bytes71, "8bytes71", 8), 0);
    EXPECT_EQ(p->m_NameTextId, 12);
    EXPECT_EQ((std::vector<int32_t>{p->m_AnchorX, p->m_AnchorY, p->m_LineDx, p->m_LineDy, p->m_OriginX, p->m_OriginY,
                                    p->m_RectX, p->m_RectY, p->m_RectW, p->m_RectH, p->m_LightX, p->m_LightY,
                                    p->m_UseSound, p->m_AmbientSound}),
              (std::vector<int32_t>{1, 1, 0, 2, 0, 0, -40, -60, 80, 70, 1, -1, 7, 9}));
    EXPECT_EQ(p->m_Rest[5], 20);
    EXPECT_EQ(p->m_Mask, (std::vector<uint16_t>{137, 129, 0, 128, 130, 5}));
    EXPECT_EQ(p->MaskAt(1, 1), 130);
    EXPECT_EQ(p->MaskAt(3, 0), 0);
    EXPECT_EQ(p->m_Trailing, 0xBEEF);
    EXPECT_EQ(p->m_LightKind, 2);
    EXPECT_EQ(p->m_LabelColour, 5);
    ASSERT_EQ(p->m_Items.size(), 3u);
    EXPECT_STREQ(p->m_Items[2].m_Name, "top");
    EXPECT_EQ(p->m_Items[2].m_Animated, 1);
    EXPECT_EQ(p->m_Items[2].m_ResId, 3u);
    EXPECT_EQ(p->m_Items[2].m_X, -20);
    EXPECT_EQ(p->m_Items[2].m_Y, -70);
    EXPECT_EQ(p->m_Items[2].m_pObj, nullptr);
    const CBldPart* q = m.GetPart(9);
    ASSERT_NE(q, nullptr);
    EXPECT_STREQ(q->m_Name, "????");
    EXPECT_TRUE(q->m_Items.empty());
    m.ReleaseParts();
    EXPECT_EQ(m.GetPart(4), nullptr);
    EXPECT_EQ(m.GetRecordCount(), 0);
}

TEST_F(BldMdlTest, PartIdsTakenOrOutsideTheTableAreUnreachable) {
    BldModelSpec s;
    s.records.push_back({3, bldtest::SamplePart(5, 11)});
    s.records.push_back({3, bldtest::SamplePart(5, 12)});    // same id
    s.records.push_back({3, bldtest::SamplePart(1200, 12)}); // past the table
    s.records.push_back({3, bldtest::SamplePart(0, 130)});
    Write("a.mdl", s);
    CBldMdl m;
    ASSERT_EQ(m.Load("a.mdl"), 1);
    EXPECT_EQ(m.GetPart(5), m.m_Parts[0]);
    EXPECT_EQ(m.m_Parts[1]->m_PartId, 65535);
    EXPECT_EQ(m.m_Parts[2]->m_PartId, 65535);
    EXPECT_EQ(m.GetPart(0), m.m_Parts[3]);
}

TEST_F(BldMdlTest, OnlyTheFirst1200RecordsAreRead) {
    BldModelSpec s;
    for (int i = 0; i < 1201; ++i) s.records.push_back({1, {}});
    s.records.push_back({3, bldtest::SamplePart(3, 11)});
    Write("many.mdl", s);
    CBldMdl m;
    ASSERT_EQ(m.Load("many.mdl"), 1);
    EXPECT_EQ(m.GetPart(3), nullptr);
    EXPECT_EQ(m.GetRecordCount(), 1202);
}

TEST_F(BldMdlTest, NoPartsWhenEveryRecordIsOfAnotherKind) {
    BldModelSpec s;
    s.records = {{1, {}}, {2, {}}, {65535, {}}};
    Write("k.mdl", s);
    CBldMdl m;
    ASSERT_EQ(m.Load("k.mdl"), 1);
    for (const CBldPart* p : m.m_Parts) EXPECT_EQ(p, nullptr);
    EXPECT_EQ(m.m_PartTable.GetCount(), 0);
}

TEST_F(BldMdlTest, NamesWithoutTheirNulAreCutInsideTheirFields) {
    BldModelSpec s = TwoParts();
    s.fault = BldModelFault::NoNulNames;
    Write("n.mdl", s);
    CBldMdl m;
    ASSERT_EQ(m.Load("n.mdl"), 1);
    EXPECT_EQ(std::strlen(m.GetPart(4)->m_Name), 31u);
    EXPECT_EQ(std::strlen(m.GetPart(4)->m_Items[0].m_Name), 7u);
}

TEST_F(BldMdlTest, MalformedFilesAreRefusedWithoutParts) {
    for (BldModelFault f : {BldModelFault::ShortHeader, BldModelFault::CountPastEnd, BldModelFault::CutInPart,
                            BldModelFault::HugeFootprint, BldModelFault::HugeSubCount}) {
        SCOPED_TRACE(int(f));
        BldModelSpec s = TwoParts();
        s.fault = f;
        Write("bad.mdl", s);
        CBldMdl m;
        EXPECT_EQ(m.Load("bad.mdl"), 0);
        EXPECT_EQ(m.m_PartTable.GetCount(), 0);
        for (const CBldPart* p : m.m_Parts) EXPECT_EQ(p, nullptr);
    }
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(BldMdlTest, MissingFileShowsItsErrorBox) {
    CBldMdl m;
    EXPECT_EQ(m.Load("none.mdl"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(1)Mdl\xce\xc4\xbc\xfe\xb2\xbb\xb4\xe6\xd4\xda:<none.mdl>");
}

TEST_F(BldMdlTest, CacheLoadsOnceIgnoringCaseAndReportsFailures) {
    Write("Town.mdl", TwoParts());
    CMdlCache cache;
    CBldMdl* a = cache.Get("Town.mdl");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(cache.Get("TOWN.MDL"), a);
    EXPECT_EQ(cache.GetCount(), 1);
    EXPECT_EQ(cache.m_Entries[0].name, "Town.mdl");

    BldModelSpec bad = TwoParts();
    bad.fault = BldModelFault::CutInPart;
    Write("bad.mdl", bad);
    EXPECT_EQ(cache.Get("bad.mdl"), nullptr);  // the failed model is deleted (ASan run checks)
    EXPECT_EQ(cache.GetCount(), 1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Error(1)Load Mdl\xce\xc4\xbc\xfe:<bad.mdl>");

    // Past ten models the cache keeps growing: every model stays valid.
    for (int i = 0; i < 11; ++i) {
        const std::string n = "m" + std::to_string(i) + ".mdl";
        Write(n, TwoParts());
        ASSERT_NE(cache.Get(n.c_str()), nullptr);
    }
    EXPECT_EQ(cache.GetCount(), 12);
    EXPECT_EQ(cache.Get("town.mdl"), a);
    EXPECT_NE(a->GetPart(4), nullptr);
}

} // namespace
