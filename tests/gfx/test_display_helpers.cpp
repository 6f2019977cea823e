#include <gtest/gtest.h>

#include "gfx/display_helpers.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/window.h"
#include "support/test_env.h"

namespace {

TEST(DisplayHelpers, ScaleGammaRamp) {
    plat::GammaRamp ramp;
    plat::SetIdentityRamp(ramp);
    ramp.red[0] = 40000;
    ramp.green[1] = 1000;
    EXPECT_EQ(ScaleGammaRamp(nullptr, &ramp, 2.0f), 0);

    plat::UseHeadlessBackend();
    plat::DisplayDevice* dd = nullptr;
    ASSERT_EQ(plat::DirectDrawCreate(&dd), plat::DD_OK);
    plat::DDSurfaceDesc d;
    d.flags = plat::DDSD_CAPS;
    d.caps = plat::DDSCAPS_PRIMARYSURFACE;
    plat::DDSurface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &primary), plat::DD_OK);
    plat::DDGammaControl* gc = nullptr;
    ASSERT_EQ(primary->QueryGammaControl(&gc), plat::DD_OK);

    EXPECT_EQ(ScaleGammaRamp(gc, &ramp, 2.0f), 1);
    EXPECT_EQ(dd->Gamma().red[0], 65535);
    EXPECT_EQ(dd->Gamma().green[1], 2000);
    EXPECT_EQ(ramp.red[0], 40000) << "the given ramp is not changed";
    EXPECT_EQ(ScaleGammaRamp(gc, &ramp, 0.0f), 1);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(dd->Gamma().blue[i], 0);
    plat::ForceDisplayResult(plat::DisplayOp::SetGammaRamp, plat::DDERR_GENERIC);
    EXPECT_EQ(ScaleGammaRamp(gc, &ramp, 1.0f), 0);
    plat::ClearDisplayFaults();
    gc->Release();
    primary->Release();
    dd->Release();
}

class DeleteFilesTest : public vtest::TempDirTest {};

TEST_F(DeleteFilesTest, DeletesMatchesAndSearchesMatchingFolders) {
    plat::CreateDirectory("Save");
    WriteFile(Dir() + "Save/a.sav", "x");
    WriteFile(Dir() + "Save/B.SAV", "x");
    WriteFile(Dir() + "Save/a.txt", "x");
    EXPECT_EQ(DeleteFilesInDir("*", ".sav", "Save"), 1);  // leading point or not, the same
    EXPECT_FALSE(plat::PathExists("Save/a.sav"));
    EXPECT_FALSE(plat::PathExists("Save/B.SAV"));
    EXPECT_TRUE(plat::PathExists("Save/a.txt"));

    WriteFile(Dir() + "Save/c.sav", "x");
    EXPECT_EQ(DeleteFilesInDir("c", "sav", "Save\\"), 1);
    EXPECT_FALSE(plat::PathExists("Save/c.sav"));

    // A folder whose name matches is searched too.
    plat::CreateDirectory("Save/old.sav");
    WriteFile(Dir() + "Save/old.sav/old.sav", "x");
    EXPECT_EQ(DeleteFilesInDir("old", "sav", "Save"), 1);
    EXPECT_FALSE(plat::PathExists("Save/old.sav/old.sav"));

    EXPECT_EQ(DeleteFilesInDir("", "sav", "Save"), 0);
    EXPECT_EQ(DeleteFilesInDir("a", nullptr, "Save"), 0);
    EXPECT_EQ(DeleteFilesInDir(nullptr, "txt", "Save"), 0);
    EXPECT_TRUE(plat::PathExists("Save/a.txt"));
    // Without a directory the pattern is relative to the working folder.
    WriteFile(Dir() + "top.tmp", "x");
    EXPECT_EQ(DeleteFilesInDir("top", "tmp", nullptr), 1);
    EXPECT_FALSE(plat::PathExists("top.tmp"));
}

// Links the used slots of t into the list first..last in the given order.
void Link(CSlotTable60Ex& t, std::initializer_list<int> order) {
    int prev = -1;
    for (int s : order) {
        t.SetAt(s, 100 + s);
        t.m_ExtraB[s] = prev;
        if (prev >= 0) t.m_ExtraA[prev] = s;
        else t.m_Extra1 = s;
        prev = s;
    }
    t.m_Extra2 = prev;
}

TEST(SlotTablePair, ClearWalksTheListFromItsFirstEnd) {
    CSlotTablePair pair;
    EXPECT_EQ(pair.m_First.m_Extra1, -1);
    EXPECT_EQ(pair.m_FirstCleared, 0);
    Link(pair.m_First, {7, 3, 42});
    Link(pair.m_Second, {1});
    pair.ClearFirst();
    EXPECT_EQ(pair.m_First.m_Count, 0);
    EXPECT_EQ(pair.m_First.m_Extra1, -1);
    EXPECT_EQ(pair.m_First.m_Extra2, -1);
    for (int s : {7, 3, 42}) {
        EXPECT_EQ(pair.m_First.m_Used[s], 0);
        EXPECT_EQ(pair.m_First.m_Values[s], pair.m_First.m_EmptyValue);
        EXPECT_EQ(pair.m_First.m_ExtraA[s], -1);
        EXPECT_EQ(pair.m_First.m_ExtraB[s], -1);
    }
    EXPECT_EQ(pair.m_FirstCleared, 1);
    EXPECT_EQ(pair.m_SecondCleared, 0);
    EXPECT_EQ(pair.m_Second.m_Count, 1);
    // Clearing an empty table only sets its flag.
    pair.Reset();
    pair.ClearFirst();
    EXPECT_EQ(pair.m_FirstCleared, 1);
    pair.ClearSecond();
    EXPECT_EQ(pair.m_Second.m_Count, 0);
    pair.Reset();
    EXPECT_EQ(pair.m_FirstCleared, 0);
    EXPECT_EQ(pair.m_SecondCleared, 0);
    // A broken list (count says used, list is empty) does not hang.
    pair.m_First.SetAt(5, 1);
    pair.ClearFirst();
    EXPECT_EQ(pair.m_FirstCleared, 1);
}

} // namespace
