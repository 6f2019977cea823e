// The serialised record: a record written by hand loads and writes back
// byte for byte; damaged records are refused whole and leave the running
// record as it was.
#include <cstring>

#include "record_fixture.h"
#include "roles/items/prop_rec.h"

namespace test_role_data_io {

using namespace record_fixture;
using datagen::RoleRecordSpec;

// The flags of the fixture's file, in its order, all 0.
std::vector<datagen::RecordFlagSpec> FileFlags() {
    std::vector<std::string> names = datagen::DefaultFlagNames();
    names.push_back("herbs");
    names.push_back("gate");
    std::vector<datagen::RecordFlagSpec> flags;
    for (size_t i = 0; i < names.size(); ++i) flags.push_back({0, static_cast<int32_t>(i) + 1, names[i]});
    return flags;
}

RoleRecordSpec HandWritten() {
    RoleRecordSpec s;
    s.name = "Hero";
    s.picture = "Default";
    s.sprite = "R1";
    s.exp = 700;
    s.nextExp = 1500;
    s.level = 2;
    s.money = 321;
    s.hp = 90;
    s.qi = 40;
    s.nu = 5;
    s.st = 30;
    s.ap = 12.5f;
    s.dp = 6.0f;
    s.maxHP = 110.0f;
    s.maxQi = 55.0f;
    s.baseST = 33.0f;
    s.value25 = 8.0f;
    s.hr = 61.0f;
    s.baseNu = 100;
    s.hpResume = 2.0f;
    s.qiResume = 2.0f;
    s.sp = 4;
    s.hpPotion = -1;
    s.qiPotion = -1;
    s.autoSort = 1;
    s.weapons = 4;
    s.equips = 3;
    s.classId = 30;
    s.skillPoints = 1;
    s.sceneId = 0;
    s.maxNu = 1000.0f;
    s.bank = 5000;
    s.act = 2;
    s.skills = {1, 2};
    s.flags = FileFlags();
    s.flags[11].value = 1;  // herbs
    s.flags[12].value = 7;  // gate
    s.cursor = 9;
    s.slots[0] = 5;
    s.slots[50] = 7;
    s.slots[69] = 3;
    s.items = {{kSword, 1, 3, 12, 450, 0, 0, "ATB AP 10"},
               {kPotion, 4, 7, 1, 100, 0, 0, ""},
               {kLetter, 1, 5, 1, 100, 0, 0, ""},
               {kHerb, 9, 9, 1, 100, 0, 0, ""}};
    return s;
}

TEST_F(RecordTest, AHandWrittenRecordLoadsAndWritesBackTheSameBytes) {
    const std::string bytes = datagen::BuildRoleRecord(HandWritten());
    CRoleData r;
    ASSERT_EQ(Load(r, bytes), 1);
    EXPECT_EQ(r.m_Name, "Hero");
    EXPECT_EQ(r.m_SpritePartName, "R1");
    EXPECT_EQ(r.m_Level, 2);
    EXPECT_EQ(r.m_BankMoney, 5000);
    EXPECT_FLOAT_EQ(r.m_BaseAP, 12.5f);
    // Class and act are stored, not applied.
    EXPECT_EQ(r.m_ClassId, 30);
    ASSERT_NE(r.m_pClassRow, nullptr);
    EXPECT_EQ(r.m_pClassRow->GetInt(1), 30);
    EXPECT_EQ(r.m_Act, 2);
    EXPECT_EQ(r.GetFlag("gate"), 7);
    EXPECT_EQ(r.GetFlag("HERBS"), 1);
    ASSERT_NE(r.GetItemInSlot(69), nullptr);
    EXPECT_EQ(r.GetItemInSlot(69)->m_Id, kSword);
    EXPECT_EQ(r.GetItemInSlot(69)->m_RequiredLevel, 12);
    EXPECT_EQ(r.GetItemInSlot(69)->m_Price, 450);
    EXPECT_EQ(r.GetCursorItem()->m_Count, 9);
    EXPECT_EQ(r.GetAP(), 12 + 10);
    EXPECT_TRUE(plat::RecordedMessageBoxes().empty());
    EXPECT_EQ(Bytes(r), bytes);
}

TEST_F(RecordTest, TheFixedPartIs156BytesBetweenTheNamesAndTheSkills) {
    RoleRecordSpec s;
    const std::string bytes = datagen::BuildRoleRecord(s);
    // Three empty names, 156 fixed bytes, three counts, the cursor and 136
    // slots.
    EXPECT_EQ(bytes.size(), 3u * 4 + 156 + 4 + 4 + 4 + 136 * 4 + 4);
    CRoleData r;
    ASSERT_EQ(Load(r, bytes), 1);
    // Saved again, the record lists every flag of the file.
    s.flags = FileFlags();
    EXPECT_EQ(Bytes(r), datagen::BuildRoleRecord(s));
}

TEST_F(RecordTest, EveryShortRecordIsRefusedAndLeavesTheRecordUntouched) {
    const std::string bytes = datagen::BuildRoleRecord(HandWritten());
    CRoleData r;
    r.NewCharacter(4);
    r.SetFlag("local3", 5);
    const std::string before = Bytes(r);
    for (size_t n = 0; n < bytes.size(); ++n) {
        ASSERT_EQ(Load(r, bytes.substr(0, n)), 0) << n;
        ASSERT_EQ(Bytes(r), before) << n;
    }
    EXPECT_EQ(Load(r, bytes), 1);
}

struct Damage {
    const char* what;
    void (*apply)(RoleRecordSpec&);
    int loads;
};

TEST_F(RecordTest, CountsIndicesAndTextsAreCheckedBeforeTheRecordIsTouched) {
    const Damage cases[] = {
        {"pool index 10000", [](RoleRecordSpec& s) { s.items[0].pool = 10000; }, 0},
        {"pool index -1", [](RoleRecordSpec& s) { s.items[1].pool = -1; }, 0},
        {"pool index twice", [](RoleRecordSpec& s) { s.items[2].pool = s.items[0].pool; }, 0},
        {"pool index 0 and 9999", [](RoleRecordSpec& s) { s.items[0].pool = 0, s.items[1].pool = 9999; }, 1},
        {"an unknown item is dropped", [](RoleRecordSpec& s) { s.items[0].propId = 777; }, 1},
    };
    for (const Damage& c : cases) {
        RoleRecordSpec s = HandWritten();
        c.apply(s);
        CRoleData r;
        r.NewCharacter(40);
        const std::string before = Bytes(r);
        EXPECT_EQ(Load(r, datagen::BuildRoleRecord(s)), c.loads) << c.what;
        if (!c.loads) {
            EXPECT_EQ(Bytes(r), before) << c.what;
        }
    }
}

// The record's bytes with a count at `offset` replaced.
std::string WithI32At(std::string bytes, size_t offset, int32_t v) {
    std::memcpy(&bytes[offset], &v, 4);
    return bytes;
}

TEST_F(RecordTest, CountsBeyondTheBytesLeftOrTenThousandAreRefused) {
    RoleRecordSpec s;
    s.skills = {1};
    const std::string bytes = datagen::BuildRoleRecord(s);
    const size_t skillCount = 3 * 4 + 156;
    const int32_t counts[] = {-1, 2, 10001, INT32_MAX};
    for (int32_t n : counts) {
        CRoleData r;
        EXPECT_EQ(Load(r, WithI32At(bytes, skillCount, n)), 0) << n;
    }
    // A name length beyond the file, and one beyond the text buffer.
    CRoleData r;
    EXPECT_EQ(Load(r, WithI32At(bytes, 0, 1000)), 0);
    std::string huge = datagen::BuildRoleRecord(s);
    EXPECT_EQ(Load(r, WithI32At(huge, 0, 20000)), 0);
}

TEST_F(RecordTest, SlotsAndTheCursorNamingNoItemBecomeEmpty) {
    RoleRecordSpec s = HandWritten();
    s.slots[1] = 44;     // no item 44
    s.slots[2] = 12345;  // outside the pool
    s.cursor = -7;
    CRoleData r;
    ASSERT_EQ(Load(r, datagen::BuildRoleRecord(s)), 1);
    EXPECT_EQ(r.m_Slots[1], -1);
    EXPECT_EQ(r.m_Slots[2], -1);
    EXPECT_EQ(r.m_CursorItem, -1);
    EXPECT_EQ(r.m_Slots[0], 5);
}

TEST_F(RecordTest, AVanishedFlagShowsItsBoxOncePerNameAndIsSkipped) {
    RoleRecordSpec s = HandWritten();
    s.flags.push_back({3, 99, "gone"});
    s.flags.push_back({4, 98, "GONE"});
    s.flags.push_back({5, 97, "also gone"});
    CRoleData r;
    ASSERT_EQ(Load(r, datagen::BuildRoleRecord(s)), 1);
    const auto& boxes = plat::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "FindFlag gone error!");
    EXPECT_EQ(boxes[1].text, "FindFlag GONE error!");
    EXPECT_EQ(boxes[2].text, "FindFlag also gone error!");
    EXPECT_EQ(r.GetFlag("gone"), -1);
    EXPECT_EQ(r.GetFlag("gate"), 7);
}

TEST_F(RecordTest, EquipmentSavedWithoutItsTextRollsOnLoadAndKeepsItsLevelAndPrice) {
    RoleRecordSpec s;
    s.items = {{kSword, 1, 3, 9, 777, 5, 6, ""}};
    s.slots[69] = 3;
    CRoleData r;
    ASSERT_EQ(Load(r, datagen::BuildRoleRecord(s)), 1);
    const PropRec* sword = r.GetItemInSlot(69);
    ASSERT_NE(sword, nullptr);
    EXPECT_EQ(sword->m_RequiredLevel, 9);
    EXPECT_EQ(sword->m_Price, 777);
    // Values A and B are read and dropped.
    EXPECT_EQ(sword->m_ValueA, 0);
    EXPECT_EQ(sword->m_ValueB, 0);
    // Whatever it rolled now loads as it is.
    const std::string once = Bytes(r);
    CRoleData again;
    ASSERT_EQ(Load(again, once), 1);
    EXPECT_EQ(Bytes(again), once);
}

} // namespace test_role_data_io
