// The handle table: next-fit in both ranges, generations, 16-bit handles.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "world/objects/handle_table.h"

namespace {

// Distinct fake addresses; the table never dereferences them.
CGameObj* Obj(int i) { return reinterpret_cast<CGameObj*>(static_cast<uintptr_t>(0x1000 + 16 * i)); }

class HandleTableTest : public ::testing::Test {
protected:
    std::unique_ptr<CHandleTable> t = std::make_unique<CHandleTable>();
};

TEST_F(HandleTableTest, FirstHandlesOfBothRanges) {
    EXPECT_EQ(t->Allocate(Obj(1)), 2u);
    EXPECT_EQ(t->Allocate(Obj(2)), 3u);
    EXPECT_EQ(t->AllocateHigh(Obj(3)), (1u << 15) | 8192u);
    EXPECT_EQ(t->AllocateHigh(Obj(4)), (1u << 15) | 8193u);
    EXPECT_EQ(t->GetLowCount(), 2);
    EXPECT_EQ(t->GetHighCount(), 2);
    EXPECT_EQ(t->Resolve(2), Obj(1));
    EXPECT_EQ(t->Resolve((1u << 15) | 8192u), Obj(3));
    // Generation mismatch, free slot, index outside the table.
    EXPECT_EQ(t->Resolve(8192u), nullptr);
    EXPECT_EQ(t->Resolve(4), nullptr);
    EXPECT_EQ(t->Resolve(0x7FFF), nullptr);
}

TEST_F(HandleTableTest, LowerCursorWrapsAndFullRangeGivesZero) {
    for (int i = 0; i < 8190; ++i) ASSERT_NE(t->Allocate(Obj(i)), 0u) << i;
    // Index 1 is last: the cursor started at 1, so 2..8190 then 1.
    EXPECT_EQ(t->Resolve(1), Obj(8189));
    EXPECT_EQ(t->GetLowCount(), 8190);
    EXPECT_EQ(t->Allocate(Obj(9000)), 0u);
    EXPECT_EQ(t->GetLowCount(), 8190);
    for (int i = 1; i <= 8190; ++i) ASSERT_NE(t->GetAt(i), Obj(9000));
    // Freed slots are found next-fit from after the last one handed out.
    t->FreeIndex(100);
    t->FreeIndex(50);
    EXPECT_EQ(t->Allocate(Obj(9001)), 50u);
    EXPECT_EQ(t->Allocate(Obj(9002)), 100u);
}

TEST_F(HandleTableTest, UpperFullRangeGivesZeroInsteadOfSpinning) {
    for (int i = 0; i < 24576; ++i) ASSERT_NE(t->AllocateHigh(Obj(i)), 0u) << i;
    // 8192..32766 first, then the wrap reaches 8191.
    EXPECT_EQ(t->GetAt(8191), Obj(24575));
    EXPECT_EQ(t->AllocateHigh(Obj(30000)), 0u);
    EXPECT_EQ(t->GetHighCount(), 24576);
    t->FreeIndex(20000);
    EXPECT_EQ(t->AllocateHigh(Obj(30001)), (2u << 15) | 20000u);
}

TEST_F(HandleTableTest, ReserveWrapsToTheRangeStart) {
    struct Case {
        int32_t cursor, n, result, after;
    } cases[] = {
        {32000, 1000, 33000, 8191},
        {8191, 1, 8192, 8192},
        {32765, 1, 32766, 32766},
        {32766, 1, 32767, 8191},
        {10000, 500, 10500, 10500},
    };
    for (const Case& c : cases) {
        t->SetHighCursor(c.cursor);
        EXPECT_EQ(t->Reserve(c.n), c.result) << c.cursor << "+" << c.n;
        EXPECT_EQ(t->GetHighCursor(), c.after);
    }
    // Index 8191 is reached only through a wrap.
    t->SetHighCursor(32766);
    EXPECT_EQ(t->AllocateHigh(Obj(1)), (1u << 15) | 8191u);
    EXPECT_EQ(t->AllocateHigh(Obj(2)), (1u << 15) | 8192u);
}

TEST_F(HandleTableTest, UpperGenerationsCycleThroughFourReuses) {
    // Reusing upper slot 8192: generations 1, 2, 3, 0, 1.
    const uint32_t expectGen[] = {1, 2, 3, 0, 1};
    ObjHandle first = 0;
    for (int round = 0; round < 5; ++round) {
        t->SetHighCursor(8191);
        const ObjHandle h = t->AllocateHigh(Obj(round));
        EXPECT_EQ(h, (expectGen[round] << 15) | 8192u) << round;
        if (round == 0) first = h;
        // The first handle is stale until the generation comes round again.
        EXPECT_EQ(t->Resolve(first), round == 0 || round == 4 ? Obj(round) : nullptr) << round;
        t->Free(h, Obj(round));
        EXPECT_EQ(t->Resolve(h), nullptr);  // freed: null until reused
    }
}

TEST_F(HandleTableTest, StaleLowerHandleResolvesToTheSlotsNextObject) {
    const ObjHandle h = t->Allocate(Obj(1));
    t->Free(h, Obj(1));
    t->SetLowCursor(1);
    EXPECT_EQ(t->Allocate(Obj(2)), h);
    EXPECT_EQ(t->Resolve(h), Obj(2));
}

TEST_F(HandleTableTest, FreeOfAReusedSlotLeavesTheNewObject) {
    const ObjHandle h = t->AllocateHigh(Obj(1));
    t->Free(h, Obj(1));
    t->SetHighCursor(8191);
    const ObjHandle h2 = t->AllocateHigh(Obj(2));
    t->Free(h, Obj(1));  // old owner: nothing happens
    EXPECT_EQ(t->Resolve(h2), Obj(2));
    EXPECT_EQ(t->GetHighCount(), 1);
    t->Free(h, Obj(2));  // the generation is not compared
    EXPECT_EQ(t->Resolve(h2), nullptr);
}

TEST_F(HandleTableTest, AttachKeepsTheGivenGeneration) {
    EXPECT_EQ(t->Attach(Obj(1), (3u << 15) | 9000u), (3u << 15) | 9000u);
    EXPECT_EQ(t->GetGeneration(9000), 3);
    EXPECT_EQ(t->Resolve((3u << 15) | 9000u), Obj(1));
    EXPECT_EQ(t->Attach(Obj(2), 0x7FFF), 0u);  // outside the table
    EXPECT_EQ(t->Attach(Obj(2), 1u << 15), 0u);  // index 0 is never an object
    // Clear empties and resets generations and both cursors.
    t->Clear();
    EXPECT_EQ(t->Resolve((3u << 15) | 9000u), nullptr);
    EXPECT_EQ(t->Allocate(Obj(3)), 2u);
    EXPECT_EQ(t->AllocateHigh(Obj(4)), (1u << 15) | 8192u);
}

TEST_F(HandleTableTest, SixteenBitHandlesCompareTheLowGenerationBit) {
    struct Case {
        int gen;
        uint16_t h16;
        bool resolves;
    } cases[] = {
        {0, 9000, true},           {0, 0x8000 | 9000, false}, {1, 0x8000 | 9000, true},
        {1, 9000, false},          {2, 9000, true},           {2, 0x8000 | 9000, false},
        {3, 0x8000 | 9000, true},  {3, 9000, false},
    };
    for (const Case& c : cases) {
        t->Clear();
        t->Attach(Obj(1), (static_cast<uint32_t>(c.gen) << 15) | 9000u);
        EXPECT_EQ(t->Resolve16(c.h16) != nullptr, c.resolves) << "gen " << c.gen << " h " << c.h16;
    }
    EXPECT_EQ(t->Resolve16(0), nullptr);
    EXPECT_EQ(t->Resolve16(0xFFFF), nullptr);
}

// The search skips blocks it once found full; a free must make its block
// searchable again. Random churn in both ranges, at occupancies from half
// to all but a few slots, against a table walked slot by slot.
TEST_F(HandleTableTest, ChurnMatchesASlotBySlotWalk) {
    struct Walk {
        std::vector<uint8_t> used = std::vector<uint8_t>(32767, 0);
        std::vector<uint8_t> gen = std::vector<uint8_t>(32767, 0);
        int low = 1, high = 8191;
        ObjHandle Next(bool upper) {
            const int first = upper ? 8191 : 1, last = upper ? 32766 : 8190;
            int& cur = upper ? high : low;
            for (int n = 0; n <= last - first; ++n) {
                if (++cur > last) cur = first;
                if (used[cur]) continue;
                used[cur] = 1;
                if (upper) gen[cur] = static_cast<uint8_t>((gen[cur] + 1) & 3);
                return static_cast<ObjHandle>(cur) | (static_cast<ObjHandle>(gen[cur]) << 15);
            }
            return 0;
        }
    };
    Walk w;
    uint32_t x = 7;
    auto rnd = [&x](uint32_t n) {
        x = x * 1103515245u + 12345u;
        return (x >> 8) % n;
    };
    for (int upper = 0; upper < 2; ++upper) {
        const int range = upper ? 24576 : 8190;
        std::vector<ObjHandle> live;
        int made = 0;
        for (int fill : {range / 2, range - 40, range - 3}) {
            while (static_cast<int>(live.size()) < fill) {
                CGameObj* o = Obj(++made);
                const ObjHandle h = upper ? t->AllocateHigh(o) : t->Allocate(o);
                ASSERT_EQ(h, w.Next(upper)) << "fill " << fill;
                live.push_back(h);
            }
            for (int op = 0; op < 3000; ++op) {
                const uint32_t k = rnd(static_cast<uint32_t>(live.size()));
                const int index = static_cast<int>(live[k] & 0x7FFF);
                t->Free(live[k], t->GetAt(index));
                w.used[index] = 0;
                CGameObj* o = Obj(++made);
                const ObjHandle h = upper ? t->AllocateHigh(o) : t->Allocate(o);
                ASSERT_EQ(h, w.Next(upper)) << "fill " << fill << " op " << op;
                live[k] = h;
            }
        }
    }
}

} // namespace
