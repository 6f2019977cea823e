// Save games: slot rotation, the summary's and slot file's bytes, reading
// summaries, refusing damaged files with their reason and without changing
// anything, names that would leave the save folder, and failed writes that
// keep the last good save.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "datagen/bytes.h"
#include "roles/save/save_fixture.h"
#include "roles/save/save_format.h"

namespace test_save_mgr {

using namespace save_fixture;
using datagen::Bytes;

std::string HandStr(const std::string& s) {
    Bytes b;
    b.U32(static_cast<uint32_t>(s.size() + 1)).Raw(s).U8(0);
    return b.str();
}

bool HasLine(const std::string& part) {
    for (const std::string& l : plat::DebugCaptured())
        if (l.find(part) != std::string::npos) return true;
    return false;
}

class SaveMgrTest : public SaveTest {
protected:
    // The files of the save folder, name -> bytes.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> out;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(Dir() + "Save", ec))
            out[e.path().filename().string()] = ReadFile(e.path().string());
        return out;
    }
    void WriteSave(const std::string& name, const std::string& summary, const std::string& slot, int n) {
        WriteFile(SaveFile(name + ".sav"), summary);
        WriteFile(SaveFile(name + ".00" + std::to_string(n)), slot);
    }
};

TEST_F(SaveMgrTest, FiveSavesUseSlotsOneTwoThreeZeroOneAndTheSummaryNamesTheLast) {
    const int expected[] = {1, 2, 3, 0, 1};
    for (int i = 0; i < 5; ++i) {
        m_Record.bytes = datagen::SaveRecordLayout(SampleRecord()) ;
        m_Record.bytes[0] = static_cast<char>(i);  // each save's record told apart
        ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1) << g_SaveMgr.LastError();
        EXPECT_EQ(g_SaveMgr.m_Slot, expected[i]);
        const std::string sum = ReadFile(SaveFile("hero.sav"));
        ASSERT_GE(sum.size(), 4u);
        EXPECT_EQ(static_cast<int>(sum[0]), expected[i]);
    }
    const auto files = Files();
    EXPECT_EQ(files.size(), 5u) << "four slots and a summary, no temporary left";
    // The three older slot files stay as written.
    EXPECT_EQ(files.at("hero.002")[0], 1);
    EXPECT_EQ(files.at("hero.003")[0], 2);
    EXPECT_EQ(files.at("hero.000")[0], 3);
    EXPECT_EQ(files.at("hero.001")[0], 4);
}

TEST_F(SaveMgrTest, TheSummaryIsTheLayoutByHandWithEmptySpriteStringsAsOneNulAndTheTrailer) {
    g_SaveMgr.m_Difficulty = 2;
    g_SaveMgr.m_BirthMonth = 2;
    g_SaveMgr.m_BirthDay = 29;
    g_SaveMgr.m_DeathCount = 3;
    g_SaveMgr.m_Reserved[2] = -5;
    g_SaveMgr.m_PlaySeconds = 61;
    SetTime(1000000 + 90000);  // 90061 s of play in all
    m_Record.level = 12;
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1) << g_SaveMgr.LastError();
    Bytes b;
    b.I32(1).Raw(HandStr("1.5"));
    b.I32(2026).I32(12).I32(11).I32(13).I32(5).I32(9);
    b.I32(1).I32(1).I32(1).I32(1);  // 90061 s: 1 day, 1 hour, 1 minute, 1 second
    b.I32(2).I32(12);
    // A role without a composed sprite: three empty strings, each length 1.
    for (int i = 0; i < 3; ++i) b.U32(1).U8(0);
    b.I32(3).I32(2).I32(29).I32(0).I32(0).I32(-5).I32(0);
    EXPECT_EQ(ReadFile(SaveFile("hero.sav")), datagen::WithSaveTrailer(b.str()));
    EXPECT_EQ(g_SaveMgr.m_PlaySeconds, 90061);
    EXPECT_EQ(g_SaveMgr.m_PlayStamp, 1090000u);

    // And it reads back: the strings of length 1 are accepted.
    CSaveMgr other;
    ASSERT_EQ(other.ReadSummary(SaveFile("hero.sav")), 1) << other.LastError();
    EXPECT_EQ(other.m_PlaySeconds, 90061);
    EXPECT_EQ(other.m_Level, 12);
    EXPECT_EQ(other.m_SpriteName, "");
}

TEST_F(SaveMgrTest, TheSlotFileIsTheRecordThenTheHudBlockThenTheTrailerAndWithoutHudNoBlock) {
    datagen::SaveHud hud;
    hud.groups[0] = {5, 6};
    hud.groups[3] = {9};
    hud.left = 5;
    hud.right = -2;
    hud.selected = 7;
    hud.prevRight = 6;
    hud.hotkeys = {{5, 0x70, 1}, {9, 0x71, 0}};
    const std::string block = datagen::SaveHudLayout(hud);
    InstallHud(block);
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(ReadFile(SaveFile("hero.001")), datagen::BuildSaveSlot(SampleRecord(), &hud));

    g_RoleHooks.SaveHudState = nullptr;
    g_RoleHooks.LoadHudState = nullptr;
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(ReadFile(SaveFile("hero.002")), datagen::BuildSaveSlot(SampleRecord(), nullptr));
}

TEST_F(SaveMgrTest, ALoadCommitsEverythingHandsTheRecordToTheHostAndTheBlockToTheHud) {
    datagen::SaveHud hud;
    hud.groups[1] = {11, 12, 13};
    hud.hotkeys = {{11, 0x72, 0}};
    datagen::SaveSummary s;
    s.slot = 2;
    s.difficulty = 3;
    s.level = 12;
    s.days = 1, s.hours = 1, s.minutes = 1, s.seconds = 1;
    s.deaths = 9;
    s.birthMonth = 4;
    s.birthDay = 30;
    s.reserved[0] = 77;
    WriteSave("abc", datagen::BuildSaveSummary(s), datagen::BuildSaveSlot(SampleRecord(), &hud), 2);
    InstallHud("");
    g_SaveMgr.m_DeathCount = 4;
    SetTime(2000000);
    ASSERT_EQ(g_SaveMgr.Load("abc"), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(g_SaveMgr.m_SaveName, "abc");
    EXPECT_EQ(g_SaveMgr.m_Slot, 2);
    EXPECT_EQ(g_SaveMgr.m_Difficulty, 3);
    EXPECT_EQ(g_SaveMgr.m_Level, 12);
    EXPECT_EQ(g_SaveMgr.m_PlaySeconds, 90061);
    EXPECT_EQ(g_SaveMgr.m_PlayStamp, 2000000u);
    EXPECT_EQ(g_SaveMgr.m_DeathCount, 0) << "deaths count from the load";
    EXPECT_EQ(g_SaveMgr.m_BirthMonth, 4);
    EXPECT_EQ(g_SaveMgr.m_BirthDay, 30);
    EXPECT_EQ(g_SaveMgr.m_Reserved[0], 77);
    EXPECT_EQ(g_SaveMgr.m_SpriteName, "901");
    ASSERT_EQ(g_Restarted.size(), 1u);
    EXPECT_EQ(g_Restarted[0]->bytes, datagen::SaveRecordLayout(SampleRecord()));
    EXPECT_EQ(g_Restarted[0]->applied, 1) << "class and act applied once, after the commit";
    ASSERT_EQ(HudHooks::read.size(), 1u);
    EXPECT_EQ(HudHooks::read[0], datagen::SaveHudLayout(hud));

    // The next save goes to the slot after the loaded one, under its name.
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    EXPECT_TRUE(std::filesystem::exists(SaveFile("abc.003")));
}

TEST_F(SaveMgrTest, FilesWithoutTrailerAndWithoutHudBlockLoadAndNothingIsAppliedToTheHud) {
    datagen::SaveFileOptions plain;
    plain.trailer = false;
    WriteSave("old", datagen::BuildSaveSummary({}, plain), datagen::BuildSaveSlot(SampleRecord(), nullptr, plain), 1);
    InstallHud("");
    ASSERT_EQ(g_SaveMgr.Load("old"), 1) << g_SaveMgr.LastError();
    EXPECT_TRUE(HudHooks::read.empty()) << "no block, nothing read";
    // A block in the file without a HUD panel is checked and dropped.
    datagen::SaveHud hud;
    WriteSave("old", datagen::BuildSaveSummary({}), datagen::BuildSaveSlot(SampleRecord(), &hud), 1);
    g_RoleHooks.LoadHudState = nullptr;
    EXPECT_EQ(g_SaveMgr.Load("old"), 1) << g_SaveMgr.LastError();
}

TEST_F(SaveMgrTest, SummariesAreReadByTheirRules) {
    struct Case {
        const char* what;
        datagen::SaveSummary s;
        bool ok;
        int32_t month, day;
    };
    std::vector<Case> cases;
    datagen::SaveSummary s;
    cases.push_back({"plain", s, true, 1, 1});
    s.version = "1.5";
    s.birthMonth = 2, s.birthDay = 30;
    cases.push_back({"a birthday failing the date rule reads as 1/1", s, true, 1, 1});
    s = {};
    s.birthMonth = 2, s.birthDay = 29;
    cases.push_back({"29 February", s, true, 2, 29});
    s = {};
    s.version = "1.50";
    cases.push_back({"version 1.50", s, false, 0, 0});
    s.version = "1.4";
    cases.push_back({"version 1.4", s, false, 0, 0});
    s = {};
    s.partNo = "";
    cases.push_back({"an empty sprite string", s, false, 0, 0});
    s = {};
    s.slot = -1;
    cases.push_back({"slot -1", s, false, 0, 0});
    s.slot = 4;
    cases.push_back({"slot 4", s, false, 0, 0});
    s = {};
    s.difficulty = 4;
    cases.push_back({"difficulty 4", s, false, 0, 0});
    for (const Case& c : cases) {
        WriteFile(SaveFile("x.sav"), datagen::BuildSaveSummary(c.s));
        CSaveMgr m;
        m.m_DeathCount = 5;
        EXPECT_EQ(m.ReadSummary(SaveFile("x.sav")), c.ok ? 1 : 0) << c.what << ": " << m.LastError();
        if (!c.ok) continue;
        EXPECT_EQ(m.m_BirthMonth, c.month) << c.what;
        EXPECT_EQ(m.m_BirthDay, c.day) << c.what;
        EXPECT_EQ(m.m_DeathCount, 0) << c.what;
    }
    // The version is compared without regard to case; "1.5" has none, so
    // only its exact text passes.
    EXPECT_EQ(g_SaveMgr.ReadSummary(SaveFile("missing.sav")), 0);
}

TEST_F(SaveMgrTest, DamagedFilesAreRefusedWithTheirReasonAndNothingChanges) {
    using datagen::SaveDamage;
    datagen::SaveRecord rec = SampleRecord();
    rec.items.clear();
    for (int i = 0; i < 40; ++i) rec.items.push_back({12, 1, i, 1, 5, 0, 0, "t"});
    const std::string goodSlot = datagen::BuildSaveSlot(rec, nullptr);
    const std::string layout = datagen::SaveRecordLayout(rec);
    // Where item 17 of 40 starts: 24 items of 28 bytes and a text "t"
    // (4 + 2 bytes) each before the end.
    const size_t item17 = layout.size() - 24 * 34;
    datagen::SaveFileOptions cutTrailerless;
    cutTrailerless.trailer = false;
    cutTrailerless.damage = SaveDamage::Cut;
    cutTrailerless.at = 30;  // inside the save time
    struct Case {
        const char* what;
        std::string summary, slot, reason;
    };
    const std::string sum = datagen::BuildSaveSummary({});
    auto summaryWith = [](SaveDamage d, size_t at = 0) {
        datagen::SaveFileOptions o;
        o.damage = d;
        o.at = at;
        return datagen::BuildSaveSummary({}, o);
    };
    auto slotWith = [&](SaveDamage d, size_t at = 0, bool trailer = true) {
        datagen::SaveFileOptions o;
        o.damage = d;
        o.at = at;
        o.trailer = trailer;
        return datagen::BuildSaveSlot(rec, nullptr, o);
    };
    datagen::SaveHud hud;
    hud.groups[0] = {1, 2, 3};
    std::string partialHud = datagen::SaveRecordLayout(rec) + datagen::SaveHudLayout(hud);
    partialHud.resize(partialHud.size() - 4);
    const std::vector<Case> cases = {
        {"cut summary", summaryWith(SaveDamage::Cut), goodSlot, "Save\\abc.sav: truncated in"},
        {"cut summary without trailer", datagen::BuildSaveSummary({}, cutTrailerless), goodSlot,
         "Save\\abc.sav: truncated in the save time"},
        {"flipped summary byte", summaryWith(SaveDamage::FlippedByte, 9), goodSlot, "Save\\abc.sav: checksum mismatch"},
        {"bad version", summaryWith(SaveDamage::BadVersion), goodSlot, "Save\\abc.sav: version \"1.4\""},
        {"slot 7", summaryWith(SaveDamage::Slot7), goodSlot, "Save\\abc.sav: slot 7 out of range"},
        {"huge sprite string", summaryWith(SaveDamage::HugeString), goodSlot, "Save\\abc.sav: string of 20001 bytes"},
        {"cut slot", sum, slotWith(SaveDamage::Cut), "Save\\abc.001: truncated in"},
        {"cut slot without trailer", sum, slotWith(SaveDamage::Cut, item17 + 10, false),
         "Save\\abc.001: truncated in item 17 of 40"},
        {"flipped slot byte", sum, slotWith(SaveDamage::FlippedByte, 100), "Save\\abc.001: checksum mismatch"},
        {"huge item text", sum, slotWith(SaveDamage::HugeString), "Save\\abc.001: string of 20001 bytes in item 1 of 40"},
        {"repeated pool index", sum, slotWith(SaveDamage::RepeatedPoolIndex),
         "Save\\abc.001: pool index 0 repeated in item 41 of 41"},
        {"a partial HUD block", sum, datagen::WithSaveTrailer(partialHud), "Save\\abc.001: truncated in HUD hotkey count"},
        {"bytes after the layout", sum, datagen::WithSaveTrailer(partialHud + std::string(40, '\0')),
         "Save\\abc.001: 36 bytes after the HUD block"},
        {"no slot file", sum, "", "Save\\abc.001: cannot be read"},
    };
    InstallHud("");
    // The running game: another save, whose files stay as they are.
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    g_SaveMgr.m_Difficulty = 2;
    for (const Case& c : cases) {
        std::filesystem::remove(SaveFile("abc.001"));
        WriteFile(SaveFile("abc.sav"), c.summary);
        if (!c.slot.empty()) WriteFile(SaveFile("abc.001"), c.slot);
        const auto before = Files();
        plat::ClearDebugCapture();
        EXPECT_EQ(g_SaveMgr.Load("abc"), 0) << c.what;
        EXPECT_EQ(g_SaveMgr.LastError().rfind(c.reason, 0), 0u) << c.what << ": " << g_SaveMgr.LastError();
        EXPECT_TRUE(HasLine(c.reason)) << c.what << ": the reason reaches the debugger output";
        EXPECT_EQ(g_SaveMgr.m_SaveName, "hero") << c.what;
        EXPECT_EQ(g_SaveMgr.m_Slot, 1) << c.what;
        EXPECT_EQ(g_SaveMgr.m_Difficulty, 2) << c.what;
        EXPECT_TRUE(g_Restarted.empty()) << c.what;
        EXPECT_TRUE(HudHooks::read.empty()) << c.what;
        EXPECT_EQ(StandInRecord::live, 1) << c.what << ": no record left behind";
        EXPECT_EQ(Files(), before) << c.what;
    }
    // After all those refusals the next save still belongs to "hero".
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    EXPECT_TRUE(std::filesystem::exists(SaveFile("hero.002")));
    EXPECT_EQ(ReadFile(SaveFile("abc.sav")), sum);
}

TEST_F(SaveMgrTest, NamesThatLeaveTheSaveFolderAreRefusedByEveryEntry) {
    const char* bad[] = {"", "..", "a..b", "../x", "a/b", "a\\b", "c:x", "a\x01", "tab\t", "del\x7F", "*", "a?"};
    WriteFile(Dir() + "x.sav", datagen::BuildSaveSummary({}));
    for (const char* name : bad) {
        g_SaveMgr.m_SaveName = name;
        EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 0) << name;
        EXPECT_EQ(g_SaveMgr.Load(name), 0) << name;
        EXPECT_EQ(g_SaveMgr.SaveExists(name), 0) << name;
        EXPECT_EQ(g_SaveMgr.ImportCharacter(name), 0) << name;
        EXPECT_FALSE(IsValidSaveName(name)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(Dir() + "Save")) << "nothing written anywhere";
    // A GBK character whose trail byte is 0x5C ("\xD3\x5C") is no separator,
    // and a single full stop is an ordinary character.
    for (const char* name : {"\xD3\x5C", "a.b", "\xD6\xD0\xCE\xC4"}) {
        g_SaveMgr.m_SaveName = name;
        EXPECT_TRUE(IsValidSaveName(name)) << name;
        EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 1) << name;
        EXPECT_EQ(g_SaveMgr.SaveExists(name), 1) << name;
    }
}

TEST_F(SaveMgrTest, AFailedWriteReturnsZeroAndLeavesTheLastGoodSave) {
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    const auto good = Files();
    plat::SetFileFaultPoint(0);
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    const int steps = plat::FileStepCount();
    ASSERT_GE(steps, 8);
    // Back to one good save, then every step of the next save fails in turn.
    for (int n = 1; n <= steps; ++n) {
        std::filesystem::remove_all(Dir() + "Save");
        for (const auto& [leaf, bytes] : good) WriteFile(SaveFile(leaf), bytes);
        g_SaveMgr.m_Slot = 1;
        plat::SetFileFaultPoint(n, plat::FileFault::Fail);
        EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 0) << "step " << n;
        EXPECT_FALSE(g_SaveMgr.LastError().empty());
        plat::SetFileFaultPoint(0);
        // The summary still names a whole slot file and loads.
        CSaveMgr check;
        check.m_SaveDir = SaveDir();
        ASSERT_EQ(check.Load("hero"), 1) << "step " << n << ": " << check.LastError();
        EXPECT_EQ(g_Restarted.back()->bytes, m_Record.bytes);
        if (n >= steps / 2) continue;  // the slot file is in place already
        EXPECT_EQ(Files(), good) << "step " << n;
    }
    // The record and the HUD block are checked too.
    plat::SetFileFaultPoint(0);
    HudHooks::failWrite = true;
    InstallHud("x");
    HudHooks::failWrite = true;
    EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 0);
    g_RoleHooks.SaveHudState = nullptr;
    g_SaveRecordOps.saveRole = [](CRoleData*, FILE*) { return 0; };
    EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 0);
    g_SceneHooks.getRecord = nullptr;
    EXPECT_EQ(g_SaveMgr.Save(&m_Role1), 0) << "no record";
    EXPECT_EQ(g_SaveMgr.Save(nullptr), 0) << "no role";
}

TEST_F(SaveMgrTest, ReadersIgnoreTemporaryFilesBesideTheSave) {
    ASSERT_EQ(g_SaveMgr.Save(&m_Role1), 1);
    WriteFile(SaveFile("hero.sav.tmp"), "junk");
    WriteFile(SaveFile("hero.001.tmp"), "junk");
    ASSERT_EQ(g_SaveMgr.Load("hero"), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(g_SaveMgr.SaveExists("hero.sav"), 0);
}

TEST_F(SaveMgrTest, SlotsAdvanceAndWrapAndPlayTimeResets) {
    CSaveMgr m;
    const int32_t next[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {7, 0}, {-3, 0}};
    for (const auto& c : next) {
        m.m_Slot = c[0];
        m.AdvanceSlot();
        EXPECT_EQ(m.m_Slot, c[1]) << c[0];
    }
    SetTime(555);
    m.m_PlaySeconds = 99;
    m.ResetPlayTime();
    EXPECT_EQ(m.m_PlaySeconds, 0);
    EXPECT_EQ(m.m_PlayStamp, 555u);
    EXPECT_EQ(CSaveMgr().m_PlayStamp, 555u) << "a new manager stamps now";
    EXPECT_EQ(CSaveMgr().m_Version, "1.5");
}

TEST_F(SaveMgrTest, ImportReadsTheOldGameIntoTemporariesAndHandsItOver) {
    static const CRoleData* s_Old = nullptr;
    static CRoleData* s_Local = nullptr;
    StandInRecord local;
    s_Local = AsRecord(&local);
    g_RoleHooks.getLocalPlayerRecord = [] { return s_Local; };
    g_SaveRecordOps.importInto = [](CRoleData* l, const CRoleData* old) {
        EXPECT_EQ(l, s_Local);
        s_Old = old;
        AsStandIn(l)->bytes = reinterpret_cast<const StandInRecord*>(old)->bytes;
    };
    WriteSave("done", datagen::BuildSaveSummary({}), datagen::BuildSaveSlot(SampleRecord(), nullptr), 1);
    g_SaveMgr.m_Difficulty = 3;
    ASSERT_EQ(g_SaveMgr.ImportCharacter("done"), 1) << g_SaveMgr.LastError();
    EXPECT_EQ(local.bytes, datagen::SaveRecordLayout(SampleRecord()));
    EXPECT_NE(s_Old, nullptr);
    EXPECT_EQ(StandInRecord::live, 2) << "the old record is freed";
    EXPECT_EQ(g_SaveMgr.m_SaveName, "hero") << "the running game's values stay";
    EXPECT_EQ(g_SaveMgr.m_Difficulty, 3);
    EXPECT_TRUE(g_Restarted.empty());
    WriteFile(SaveFile("done.001"), "short");
    EXPECT_EQ(g_SaveMgr.ImportCharacter("done"), 0);
    EXPECT_EQ(StandInRecord::live, 2);
}

TEST(SaveTrailer, IsTheMagicTheLayoutLengthAndTheStandardCrc32) {
    // CRC-32 of "123456789" is the standard check value 0xCBF43926.
    EXPECT_EQ(savefmt::Crc32("123456789"), 0xCBF43926u);
    std::string reader = "123456789";
    savefmt::AppendTrailer(&reader);
    const std::string hand = std::string("123456789VTSV") + std::string("\x09\0\0\0", 4) + "\x26\x39\xF4\xCB";
    EXPECT_EQ(reader, hand);
    EXPECT_EQ(datagen::WithSaveTrailer("123456789"), hand);
    std::string_view layout;
    std::string reason;
    ASSERT_TRUE(savefmt::SplitLayout(hand, &layout, &reason));
    EXPECT_EQ(layout, "123456789");
    // Shorter than a trailer, or not ending in one: all of it is layout.
    ASSERT_TRUE(savefmt::SplitLayout("VTSV", &layout, &reason));
    EXPECT_EQ(layout, "VTSV");
}

TEST_F(SaveMgrTest, SetMonthDayKeepsItsRule) {
    const struct {
        int month, day, ok;
    } cases[] = {{2, 29, 1}, {2, 30, 0}, {4, 31, 0}, {13, 1, 0}, {12, 31, 1}, {6, 0, 0}};
    for (const auto& c : cases) {
        CSaveMgr m;
        EXPECT_EQ(m.SetMonthDay(c.month, c.day), c.ok) << c.month << "/" << c.day;
        EXPECT_EQ(m.m_BirthMonth, c.ok ? c.month : 1);
    }
}

} // namespace test_save_mgr
