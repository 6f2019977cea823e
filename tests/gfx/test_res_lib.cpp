#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/log.h"
#include "datagen/image_encoder.h"
#include "datagen/ini_writer.h"
#include "datagen/lib_writer.h"
#include "gfx/image_ref.h"
#include "gfx/raw_image.h"
#include "gfx/res_lib.h"
#include "gfx/rle_image.h"
#include "test_image_fixture.h"

using namespace imgtest;

namespace {

std::string LibFrame(int32_t w, int32_t h, uint16_t colour, bool rle) {
    datagen::ImageFrame f;
    f.width = w;
    f.height = h;
    f.rle = rle;
    f.pixels.assign(static_cast<size_t>(w) * h, colour);
    return datagen::EncodeFrame(f);
}

// An entry of exactly `size` bytes (a frame padded at the end).
std::string Sized(uint32_t size) {
    std::string s = LibFrame(2, 2, 0x1234, false);
    s.resize(size, '\0');
    return s;
}

std::vector<std::string> Names(const CLibFile& lib) {
    std::vector<std::string> v;
    for (const auto& r : lib.Records()) v.push_back(std::to_string(r->m_Index) + (r->m_LoadState ? "L" : ""));
    return v;
}

class ResLibTest : public ImageTest {};

TEST_F(ResLibTest, InitOpensListedLibrariesAndLogsMemory) {
    ASSERT_EQ(InitLibs({{"a", {LibFrame(2, 2, 1, false)}}, {"b", {}}, {"c", {LibFrame(3, 3, 2, true)}}}), 1);
    EXPECT_EQ(g_ResList.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(g_ResList.GetLib(i)->IsOpen()) << i;
    EXPECT_EQ(g_ResList.GetLib(-1), nullptr);
    EXPECT_EQ(g_ResList.GetLib(3), nullptr);
    EXPECT_EQ(g_ResList.GetLib(2)->FileName(), "Zy\\c.lib");
    const std::string log = ReadFile(Dir() + "BugLog.ini");
    EXPECT_EQ(log.rfind("TotalPhys ", 0), 0u) << log;
    EXPECT_NE(log.find("M,dwTotalVirtual 2047M,dBeginMem "), std::string::npos) << log;
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
}

TEST_F(ResLibTest, BudgetArithmetic) {
    EXPECT_EQ(ComputeLibMemBudget(512u << 20), (256u << 20) - 73400320u);
    EXPECT_EQ(ComputeLibMemBudget((512u << 20) + 1), (256u << 20) + 1 - 73400320u);  // the larger half
    EXPECT_EQ(ComputeLibMemBudget(64u << 20), (32u << 20) - 73400320u);              // wraps: purges nothing
    EXPECT_EQ(ComputeLibMemBudget(140u << 20), 0u);
    EXPECT_EQ(ComputeLibMemBudget(64ull << 30), ComputeLibMemBudget(0xFFFFFFFFu));
}

TEST_F(ResLibTest, ListAndLibraryFailures) {
    // No list: message box with its path, no libraries.
    EXPECT_EQ(g_ResList.Init("Zy\\idx.lib"), 0);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Zy\\idx.lib");
    EXPECT_EQ(g_ResList.GetLib(0), nullptr);
    plat::ClearRecordedMessageBoxes();

    // Missing library (message box), empty and short-header files (silent),
    // an entry table larger than the file (refused); the good one opens.
    WriteFile(Dir() + "Zy/empty.lib", "");
    WriteFile(Dir() + "Zy/short.lib", std::string(255, 'x'));
    std::string big = datagen::BuildLib({LibFrame(2, 2, 1, false)});
    big[16] = '\x7F';
    WriteFile(Dir() + "Zy/big.lib", big);
    ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/good.lib", {LibFrame(2, 2, 1, false)}));
    ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "Zy/idx.lib", {"missing", "empty", "short", "big", "good"}));
    ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
    ASSERT_EQ(plat::RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(plat::RecordedMessageBoxes()[0].text, "Zy\\missing.lib");
    for (int i = 0; i < 4; ++i) {
        CResLib* lib = g_ResList.GetLib(i);
        ASSERT_NE(lib, nullptr);
        EXPECT_FALSE(lib->IsOpen()) << i;
        // Every request to a closed library finds nothing.
        EXPECT_EQ(lib->GetImage(0), nullptr);
        EXPECT_EQ(lib->GetAnim(0), nullptr);
        EXPECT_EQ(lib->GetEntry(0), nullptr);
        EXPECT_EQ(lib->LoadEntry(0), nullptr);
        EXPECT_EQ(lib->AddRef(0), 0);
        lib->QueuePending(0);
        EXPECT_EQ(lib->LoadOnePending(), 1);
        lib->RemoveNoUse();
        EXPECT_EQ(lib->UnloadEntry(0), nullptr);
    }
    EXPECT_NE(g_ResList.GetLib(4)->GetImage(0), nullptr);

    // "num" missing: no library.
    ASSERT_TRUE(datagen::WriteIni(Dir() + "Zy/idx.lib", {{"name", "good"}}, false));
    ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
    EXPECT_EQ(g_ResList.Count(), 0);
}

TEST_F(ResLibTest, ResIdsSelectLibraryEntryAndFrame) {
    EXPECT_EQ(MakeResId(1, 5, 3), 0x03100005u);
    uint32_t ev = 0;
    CResLib* lib = nullptr;
    ASSERT_EQ(InitLibs({{"a", {LibFrame(2, 2, 1, false)}}, {"b", {LibFrame(4, 4, 1, false)}}, {"c", {}}}), 1);
    EXPECT_EQ(g_ResList.SplitId(0x03100005u, &ev, &lib), g_ResList.GetLib(1));
    EXPECT_EQ(ev, 0x03000005u);
    EXPECT_EQ(lib, g_ResList.GetLib(1));

    // Library 15 of 3: no library, and the picture draws nothing.
    EXPECT_EQ(g_ResList.SplitId(0x00F00000u, &ev, &lib), nullptr);
    EXPECT_EQ(lib, nullptr);
    CImageRef ref;
    ref.SetById(0x00F00000u);
    EXPECT_EQ(ref.m_pLib, nullptr);
    EXPECT_EQ(ref.GetImage(), nullptr);

    CImageRef ok;
    ok.SetById(0x00100000u);
    ASSERT_NE(ok.GetImage(), nullptr);
    EXPECT_EQ(ok.GetImage()->m_Width, 4);
    EXPECT_EQ(g_ResList.GetLib(1)->FindEntry(0)->m_RefCount, 1);
}

TEST_F(ResLibTest, FrameTablesAndBareFrames) {
    const std::string table =
        datagen::BuildFrameTable({LibFrame(3, 3, 1, true), LibFrame(5, 4, 2, false), LibFrame(7, 2, 3, true)});
    ASSERT_EQ(InitLibs({{"a", {table, table, LibFrame(6, 6, 1, true)}}}), 1);
    CResLib* lib = g_ResList.GetLib(0);
    // Frame 2 first decodes the table; frame 0 afterwards is frame 1's image.
    CImage* second = lib->GetImage(MakeResId(0, 0, 2));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_Width, 5);
    EXPECT_EQ(second->Kind(), 4);
    EXPECT_EQ(lib->FindEntry(0)->ObjectCount(), 3u);
    CImage* first = lib->GetImage(MakeResId(0, 0, 0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_Width, 3);
    EXPECT_EQ(first, lib->GetImage(MakeResId(0, 0, 1)));
    EXPECT_EQ(lib->GetImage(MakeResId(0, 0, 3))->m_Width, 7);
    EXPECT_EQ(lib->GetImage(MakeResId(0, 0, 4)), nullptr);  // past the frame count
    // A bare frame stays bare while loaded: frame 2 of it does not exist.
    EXPECT_NE(lib->GetImage(MakeResId(0, 2, 0)), nullptr);
    EXPECT_EQ(lib->GetImage(MakeResId(0, 2, 2)), nullptr);
    EXPECT_EQ(lib->GetImage(MakeResId(0, 3, 0)), nullptr);  // past the entry count
    // Loaded once, counted once.
    EXPECT_EQ(g_LibLoadedBytes, table.size() + LibFrame(6, 6, 1, true).size());
}

TEST_F(ResLibTest, PurgeFollowsFirstTouchAndSkipsReferenced) {
    ASSERT_EQ(InitLibs({{"a", {Sized(1000), Sized(2000), Sized(3000), Sized(4000), Sized(500)}}}), 1);
    CResLib* lib = g_ResList.GetLib(0);
    for (uint32_t i : {3u, 1u, 0u, 2u}) ASSERT_NE(lib->GetImage(i), nullptr);
    lib->GetEntry(4);  // a record without data
    EXPECT_EQ(g_LibLoadedBytes, 10000u);
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"3L", "1L", "0L", "2L", "4"}));
    CImageRef hold;
    hold.SetById(1);

    // Oldest first until below the budget; the referenced entry stays.
    g_LibMemBudget = 6500;
    g_ResList.RemoveNoUse();
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"1L", "0L", "2L", "4"}));
    EXPECT_EQ(g_LibLoadedBytes, 6000u);
    g_LibMemBudget = 2500;
    g_ResList.RemoveNoUse();
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"1L", "4"}));
    // Only referenced data left: still above the budget.
    g_LibMemBudget = 1000;
    lib->RemoveNoUse();
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"1L"}));
    EXPECT_EQ(g_LibLoadedBytes, 2000u);
    EXPECT_GT(g_LibLoadedBytes, g_LibMemBudget);
    EXPECT_EQ(GetLibLoadedBytes(), 2000u);

    // Budget 0: every unreferenced record at once.
    for (uint32_t i : {0u, 2u, 3u}) lib->GetImage(i);
    g_LibMemBudget = 0;
    lib->RemoveNoUse();
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"1L"}));
    hold.Release();
    g_ResList.RemoveAllNoUse();
    EXPECT_TRUE(Names(*lib).empty());
    EXPECT_EQ(g_LibLoadedBytes, 0u);
}

TEST_F(ResLibTest, ReferenceCountDoesNotWrap) {
    ASSERT_EQ(InitLibs({{"a", {Sized(100)}}}), 1);
    CResLib* lib = g_ResList.GetLib(0);
    ASSERT_NE(lib->GetImage(0), nullptr);
    for (int i = 0; i < 65536; ++i) lib->AddRef(0);
    lib->RemoveAllNoUse();
    ASSERT_NE(lib->FindEntry(0), nullptr);
    EXPECT_EQ(lib->FindEntry(0)->m_RefCount, 65536);
    for (int i = 0; i < 65537; ++i) lib->ReleaseRef(0);  // never below 0
    EXPECT_EQ(lib->FindEntry(0)->m_RefCount, 0);
    lib->RemoveAllNoUse();
    EXPECT_EQ(lib->FindEntry(0), nullptr);
}

TEST_F(ResLibTest, AnimationTablesAndCrossKindUse) {
    const uint32_t pic = MakeResId(1, 0, 1);
    datagen::AnimFrameSpec a;
    a.delay = 3;
    a.resId = pic;
    a.x = -4;
    a.y = 70000;  // kept in 16 bits
    a.hotX = 2;
    a.hotY = 1;
    datagen::AnimFrameSpec empty;
    empty.empty = true;
    const std::string anim = datagen::BuildAnimTable({{5, {a, empty}}, {0x12345, {a}}});
    const std::string pics = datagen::BuildFrameTable({LibFrame(4, 4, 9, true)});
    ASSERT_EQ(InitLibs({{"a", {anim, pics, anim}}, {"b", {pics}}}), 1);
    CResLib* lib = g_ResList.GetLib(0);

    // CAnimRes::Bind passes the entry value with its frame bits set.
    AnimTable* t = lib->GetAnim(0x05000000u);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->m_SeqCount, 2);
    EXPECT_EQ(t->m_pSeqs[0].m_FrameCount, 2);
    EXPECT_EQ(t->m_pSeqs[0].m_Attribute, 5);
    EXPECT_EQ(t->m_pSeqs[1].m_Attribute, 0x2345);
    const CAnimFrame& f = t->m_pSeqs[0].m_pFrames[0];
    EXPECT_EQ(f.m_Delay, 3);
    EXPECT_EQ(f.m_X, -4);
    EXPECT_EQ(f.m_Y, static_cast<int16_t>(70000 & 0xFFFF));
    EXPECT_EQ(f.m_HotX, 2);
    EXPECT_EQ(f.m_HotY, 1);
    ASSERT_NE(f.m_Image.GetImage(), nullptr);
    EXPECT_EQ(f.m_Image.GetImage()->m_Width, 4);
    EXPECT_EQ(t->m_pSeqs[0].m_pFrames[1].m_Image.m_pLib, nullptr);
    EXPECT_EQ(g_ResList.GetLib(1)->FindEntry(0)->m_RefCount, 2);
    EXPECT_EQ(lib->GetAnim(0), t);
    // Parsed: the raw data is gone but still counted.
    EXPECT_EQ(lib->FindEntry(0)->m_pData, nullptr);
    EXPECT_EQ(g_LibLoadedBytes, anim.size() + pics.size());

    // An index at or past the entry count.
    EXPECT_EQ(lib->GetAnim(3), nullptr);
    EXPECT_EQ(lib->GetAnim(0x000FFFFFu), nullptr);

    // Animation first, then images: refused (the data is freed).
    EXPECT_EQ(lib->GetImage(0), nullptr);
    EXPECT_EQ(lib->GetImage(MakeResId(0, 0, 1)), nullptr);
    // Images first, then animation: refused, images intact.
    CImage* img = lib->GetImage(MakeResId(0, 1, 1));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(lib->GetAnim(1), nullptr);
    EXPECT_EQ(lib->GetImage(MakeResId(0, 1, 1)), img);
    EXPECT_EQ(img->m_Width, 4);

    // Purging the animation subtracts its full size and releases its frames.
    const uint32_t before = g_LibLoadedBytes;
    lib->UnloadEntry(0);
    EXPECT_EQ(g_LibLoadedBytes, before - anim.size());
    EXPECT_EQ(g_ResList.GetLib(1)->FindEntry(0)->m_RefCount, 0);
}

TEST_F(ResLibTest, LoadOnePendingTakesTheLastQueued) {
    ASSERT_EQ(InitLibs({{"a", {Sized(100), Sized(200), Sized(300)}}}), 1);
    CResLib* lib = g_ResList.GetLib(0);
    EXPECT_EQ(lib->LoadOnePending(), 1);  // empty queue
    lib->QueuePending(0);
    lib->QueuePending(2);
    EXPECT_EQ(lib->LoadOnePending(), 1);
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"2L"}));
    EXPECT_EQ(lib->PendingCount(), 1);
    EXPECT_EQ(lib->LoadOnePending(), 1);
    EXPECT_EQ(Names(*lib), (std::vector<std::string>{"2L", "0L"}));
    EXPECT_EQ(g_LibLoadedBytes, 400u);
    // A queued index outside the library is dropped harmlessly.
    lib->QueuePending(77);
    EXPECT_EQ(lib->LoadOnePending(), 1);
    EXPECT_EQ(lib->PendingCount(), 0);
    for (int i = 0; i < kLibPendingMax; ++i) EXPECT_EQ(lib->QueuePending(1), 1);
    EXPECT_EQ(lib->QueuePending(1), 0);
}

// Entries whose directory rows or contents lie are refused without reading
// past them (the sanitizer build checks the reads).
TEST_F(ResLibTest, MalformedEntriesAreRefused) {
    std::string badTable = datagen::BuildFrameTable({LibFrame(3, 3, 1, true), LibFrame(3, 3, 1, true)});
    std::string hugeCount = badTable;
    hugeCount[3] = '\x10';
    std::string badOffset = badTable;
    badOffset[4] = '\x7F';  // frame 1 past the entry; frame 2 still good
    badOffset[7] = '\x7F';
    datagen::AnimFrameSpec a;
    a.resId = 0;
    std::string anim = datagen::BuildAnimTable({{0, {a, a, a}}});
    const std::string truncatedAnim = anim.substr(0, anim.size() - 4);
    std::string hugeR = anim;
    hugeR[12] = '\xFF';
    hugeR[13] = '\xFF';
    std::string twoSeqs = hugeR;  // the second sequence lies far past the data
    twoSeqs[0] = 2;
    std::string lib = datagen::BuildLib({hugeCount, badOffset, truncatedAnim, twoSeqs, Sized(64), Sized(64)});
    // Entry 4's data runs past the end of the file.
    const size_t row4 = datagen::LibDirRowPos(4);
    lib[row4 + 4] = '\x00';
    lib[row4 + 5] = '\x10';
    WriteFile(Dir() + "Zy/a.lib", lib);
    WriteFile(Dir() + "Zy/idx.lib", datagen::BuildIdxLib({"a"}));
    ASSERT_EQ(g_ResList.Init("Zy\\idx.lib"), 1);
    CResLib* l = g_ResList.GetLib(0);
    EXPECT_EQ(l->GetImage(MakeResId(0, 0, 1)), nullptr);
    EXPECT_EQ(l->GetImage(MakeResId(0, 1, 1)), nullptr);
    ASSERT_NE(l->GetImage(MakeResId(0, 1, 2)), nullptr);
    EXPECT_EQ(l->GetAnim(2), nullptr);
    EXPECT_EQ(l->GetAnim(3), nullptr);
    EXPECT_EQ(l->LoadEntry(4), nullptr);
    EXPECT_EQ(l->GetImage(4), nullptr);
    EXPECT_EQ(l->FindEntry(4)->m_LoadState, kEntryNotLoaded);
    EXPECT_EQ(g_LibLoadedBytes, hugeCount.size() + badOffset.size() + truncatedAnim.size() + twoSeqs.size());
    // A failed animation parse leaves no reference behind.
    EXPECT_EQ(l->FindEntry(0)->m_RefCount, 0);

    // A file cut short after opening: the read falls short, nothing counted.
    // (Entries larger than the stream's buffer, so the cut is seen.)
    ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/b.lib", {Sized(64), Sized(40000)}));
    CResLib b;
    ASSERT_EQ(b.Open("Zy\\b.lib"), 1);
    const std::string whole = ReadFile(Dir() + "Zy/b.lib");
    std::filesystem::resize_file(Dir() + "Zy/b.lib", whole.size() - 10);
    const uint32_t bytes = g_LibLoadedBytes;
    EXPECT_NE(b.LoadEntry(0), nullptr);
    EXPECT_EQ(b.LoadEntry(1), nullptr);
    EXPECT_EQ(g_LibLoadedBytes, bytes + 64);
    EXPECT_EQ(b.FindEntry(1)->m_LoadState, kEntryNotLoaded);
    b.Close();
}

// A list named without a folder: its libraries are looked up beside it
// (the folder part is empty), not under a path made of stack bytes.
TEST_F(ResLibTest, ListNamedWithoutAFolder) {
    ASSERT_TRUE(datagen::WriteLib(Dir() + "a.lib", {LibFrame(2, 2, 1, false)}));
    ASSERT_TRUE(datagen::WriteIdxLib(Dir() + "idx.lib", {"a"}));
    ASSERT_EQ(g_ResList.Init("idx.lib"), 1);
    ASSERT_EQ(g_ResList.Count(), 1);
    EXPECT_TRUE(g_ResList.GetLib(0)->IsOpen());
    EXPECT_EQ(g_ResList.GetLib(0)->FileName(), "a.lib");
}

TEST_F(ResLibTest, DemoLibrariesLoadAndDraw) {
    ASSERT_TRUE(datagen::WriteDemoLibraries(Dir()));
    SetProgramDirectory(0);
    ASSERT_EQ(InitResourceLibraries(), 1);
    ASSERT_EQ(g_ResList.Count(), 3);
    auto s = PatternSurface(400, 60);
    for (uint32_t id = 0x100000; id <= 0x100009; ++id) {
        CImageRef ref;
        ref.SetById(id);
        CImage* img = ref.GetImage();
        ASSERT_NE(img, nullptr) << std::hex << id;
        EXPECT_EQ(img->Draw(s.get(), static_cast<int32_t>(id & 0xF) * 30, 0, img->m_pAlpha ? 2 : 0, -1, nullptr), 1);
    }
    for (uint32_t id : {28u, 144u, 145u}) {
        AnimTable* t = g_ResList.GetLib(0)->GetAnim(id);
        ASSERT_NE(t, nullptr) << id;
        for (int16_t si = 0; si < t->m_SeqCount; ++si)
            for (int16_t fi = 0; fi < t->m_pSeqs[si].m_FrameCount; ++fi)
                EXPECT_NE(t->m_pSeqs[si].m_pFrames[fi].m_Image.GetImage(), nullptr) << id;
    }
    EXPECT_EQ(g_ResList.GetLib(0)->GetAnim(28)->m_SeqCount, 2);
    EXPECT_NE(Read(*s), Pixels(400, 60));
    EXPECT_EQ(CloseResourceLibraries(), 1);
    EXPECT_EQ(g_LibLoadedBytes, 0u);
}

} // namespace
