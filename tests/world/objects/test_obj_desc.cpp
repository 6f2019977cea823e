// Description records and text references.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "core/txt_table.h"
#include "world/objects/obj_desc.h"

namespace {

TEST(ObjDesc, ConstructionDefaults) {
    CObjDesc d;
    EXPECT_EQ(d.m_Type, 0u);
    EXPECT_EQ(d.m_SubType, 0);
    EXPECT_EQ(d.m_ModelId, 65535);
    EXPECT_EQ(d.m_X, -1);
    EXPECT_EQ(d.m_Y, -1);
    struct Case {
        CObjDesc* d;
        uint32_t type;
        uint16_t sub;
    } cases[] = {{new CObjDesc11, 11, 2}, {new CObjDesc12, 12, 2}, {new CObjDesc13, 13, 2},
                 {new CBldRec, 101, 3},   {new CBldTextRec, 102, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.d->m_Type, c.type);
        EXPECT_EQ(c.d->m_SubType, c.sub);
        delete c.d;
    }
}

TEST(ObjDesc, AssignCopiesEveryFieldButTheType) {
    CObjDesc12 a;
    a.m_Type = 16;
    a.m_SubType = 9;
    a.m_ModelId = 1234;
    a.m_X = 5;
    a.m_Y = 6;
    a.m_Behave1 = 1;
    a.m_Logic = 2;
    a.m_MoveLevel = 3;
    a.m_WanderCount = 4;
    a.m_Nested[4] = 44;
    a.SetText("Bandit");
    a.m_Words[3] = 33;
    a.m_LastWord = 99;
    a.m_PatrolX = 70;
    a.m_PatrolY = 80;
    a.m_Dir = 7;
    a.m_Word = -5;
    CObjDesc12 b;
    std::memset(b.m_Text, 'x', sizeof b.m_Text);
    b.Assign(a);
    EXPECT_EQ(b.m_Type, 12u);
    EXPECT_EQ(b.m_SubType, 9);
    EXPECT_EQ(b.m_ModelId, 1234);
    EXPECT_EQ(b.m_X, 5);
    EXPECT_EQ(b.m_Y, 6);
    EXPECT_EQ(b.m_Behave1 + b.m_Logic + b.m_MoveLevel + b.m_WanderCount, 10);
    EXPECT_EQ(b.m_Nested[4], 44);
    EXPECT_STREQ(b.m_Text, "Bandit");
    EXPECT_EQ(b.m_Text[7], 0);  // the rest of the old text is gone
    EXPECT_EQ(b.m_Words[3], 33);
    EXPECT_EQ(b.m_LastWord, 99);
    EXPECT_EQ(b.m_PatrolX, 70);
    EXPECT_EQ(b.m_PatrolY, 80);
    EXPECT_EQ(b.m_Dir, 7);
    EXPECT_EQ(b.m_Word, -5);

    CObjDesc13 r;
    r.m_RectX = 1;
    r.m_RectH = 4;
    r.m_Value = 16;
    CObjDesc13 r2;
    r2.Assign(r);
    EXPECT_EQ(r2.m_RectX, 1);
    EXPECT_EQ(r2.m_RectH, 4);
    EXPECT_EQ(r2.m_Value, 16);
}

TEST(ObjDesc, TextsAreBoundedAndTerminated) {
    std::string longText(300, 'a');
    CObjDesc11 d;
    d.SetText(longText.c_str());
    EXPECT_EQ(std::strlen(d.m_Text), 63u);
    CBldTextRec t;
    t.SetText(longText.c_str());
    EXPECT_EQ(std::strlen(t.m_Text), 127u);
    d.SetText(nullptr);
    EXPECT_STREQ(d.m_Text, "");
}

TEST(ObjDesc, BuildingRecordsCopyTheirWholeDataBlock) {
    // A tagged block has a zero byte after the tag: copied as a text it
    // would lose the name.
    const uint8_t block[] = {7, 0, '%', '1', '2', 0};
    CBldTextRec a;
    a.m_ModelId = 77;
    a.m_X = 3;
    a.SetData(block, sizeof block);
    a.SetText("Use");
    CBldTextRec b;
    b.Assign(a);
    ASSERT_NE(b.GetData(), nullptr);
    EXPECT_EQ(b.m_DataLen, 6);
    EXPECT_EQ(std::memcmp(b.GetData(), block, sizeof block), 0);
    EXPECT_STREQ(b.m_Text, "Use");
    EXPECT_EQ(b.m_ModelId, 77);
    // A source without data keeps the target's length marker in step.
    CBldRec none, c;
    c.Assign(none);
    EXPECT_EQ(c.GetData(), nullptr);
    EXPECT_EQ(c.m_DataLen, -1);
    // A one-byte block still reads as a whole (empty) text field.
    const uint8_t one[] = {9};
    CBldRec d;
    d.SetData(one, 1);
    EXPECT_STREQ(ResolveTextRef(d.GetShape()), "");
}

TEST(ResolveTextRef, TagSevenPercentNamesAUiText) {
    {
        std::ofstream f("text_ref_test.txt", std::ios::binary);
        f << "12\tOpen door\r\n";
    }
    ASSERT_EQ(g_TextTable.Load("text_ref_test.txt", 0, 0, 1), 1);
    struct Case {
        std::vector<uint8_t> field;
        const char* want;
    } cases[] = {
        {{7, 0, '%', '1', '2', 0}, "Open door"},
        {{7, 0, '%', '1', '%', '2', 0}, "Open door"},  // every '%' is taken out
        {{7, 0, '1', '2', 0}, "12"},                 // no leading '%'
        {{7, 0, '1', '2', '%', 0}, "12%"},           // digits first: shown as it is
        {{3, 0, '%', '1', '2', 0}, "%12"},           // other tag
        {{7, 0, '%', '9', '9', 0}, ""},              // no such UI text
        {{7, 0, '%', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 0}, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(ResolveTextRef(c.field.data()), c.want);
    EXPECT_EQ(ResolveTextRef(nullptr), nullptr);
    g_TextTable.Clear();
    std::remove("text_ref_test.txt");
}

} // namespace
