// Building init files.
#include <gtest/gtest.h>

#include <cstring>

#include "datagen/bld_writer.h"
#include "world/buildings/bld_init.h"

namespace {

using datagen::BldInitFault;
using datagen::BldInitSpec;

BldInitSpec Sample() {
    BldInitSpec s;
    s.modelFile = "Town.mdl";
    s.records = {{3, 4, 10, 12, 0xDEADBEEF, "", -1, ""},
                 {4, 2, 5, 6, 0, "shape", -1, "%12"},
                 {9, 1, 0, 0, 0, "skipped", -1, ""},
                 {3, 7, -1, 300, 0, "", 0xFFFFFFFF, ""},
                 {4, 0, 1, 2, 0, "", -1, "TransGo Field 3"}};
    return s;
}

BldInitFile Parse(const std::string& bytes, int* result) {
    BldInitFile f;
    *result = ParseBldInit(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &f);
    return f;
}

TEST(BldInit, ReadsRecordsInFileOrderPassingOverOtherTypes) {
    const std::string bytes = datagen::BuildBldInit(Sample());
    ASSERT_EQ(bytes.substr(0, 13), std::string("QuorInit1.00\0", 13));
    int r = 0;
    const BldInitFile f = Parse(bytes, &r);
    ASSERT_EQ(r, 1);
    EXPECT_TRUE(f.complete);
    EXPECT_EQ(f.modelFile, "Town.mdl");
    ASSERT_EQ(f.entries.size(), 4u);
    EXPECT_EQ(f.entries[0].type, 3);
    EXPECT_EQ(f.entries[0].modelId, 4);
    EXPECT_EQ(f.entries[0].x, 10);
    EXPECT_EQ(f.entries[0].y, 12);
    EXPECT_EQ(f.entries[0].dataLength, 0);
    EXPECT_TRUE(f.entries[0].data.empty());
    EXPECT_EQ(f.entries[1].data, "shape");
    EXPECT_EQ(f.entries[1].dataLength, 5);
    EXPECT_STREQ(f.entries[1].text, "%12");
    EXPECT_EQ(f.entries[2].dataLength, -1);
    EXPECT_EQ(f.entries[2].x, -1);
    EXPECT_STREQ(f.entries[3].text, "TransGo Field 3");
}

TEST(BldInit, MalformedFilesAreRefusedOrCutAtTheBrokenRecord) {
    struct Case {
        BldInitFault fault;
        int result;
        size_t entries;
        bool complete;
    };
    for (const Case& c : {Case{BldInitFault::ShortHeader, 0, 0, false}, Case{BldInitFault::WrongMagic, 0, 0, false},
                          Case{BldInitFault::CountPastEnd, 1, 4, false}, Case{BldInitFault::HugeData, 1, 0, false},
                          Case{BldInitFault::CutText, 1, 3, false}}) {
        SCOPED_TRACE(int(c.fault));
        BldInitSpec s = Sample();
        s.fault = c.fault;
        int r = -1;
        const BldInitFile f = Parse(datagen::BuildBldInit(s), &r);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(f.entries.size(), c.entries);
        EXPECT_EQ(f.complete, c.complete);
    }
}

TEST(BldInit, FixedTextsWithoutTheirNulAreCutInsideTheirFields) {
    BldInitSpec s = Sample();
    s.fault = BldInitFault::NoNulName;
    int r = 0;
    EXPECT_EQ(Parse(datagen::BuildBldInit(s), &r).modelFile.size(), 177u);
    s.fault = BldInitFault::NoNulText;
    const BldInitFile f = Parse(datagen::BuildBldInit(s), &r);
    ASSERT_EQ(f.entries.size(), 4u);
    EXPECT_EQ(std::strlen(f.entries[3].text), 127u);
}

} // namespace
