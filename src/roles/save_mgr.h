#pragma once
// The one save manager of the process. A save game is a summary
// ("Save\<name>.sav", listed by the load panel) and four rotating slot
// files ("Save\<name>.000" to ".003") with the player's role data record
// and the HUD block; the summary names the newest slot. Role, item and
// script code read the difficulty here; the new-game form sets name,
// birthday and difficulty.
//
// Every file is written whole through plat::WriteFileAtomic, slot first and
// summary second, so the summary only ever names a complete slot file and
// a crash leaves the last good save. Loading reads both files into a
// temporary manager and record and checks every byte before anything of
// the running game changes; a refusal keeps its reason in LastError
// ("Save\abc.002: truncated in item 17 of 40").
#include <cstdint>
#include <string>
#include <string_view>

class CGameObj;
class CRoleData;
class CRoleSprite;

class CSaveMgr {
public:
    CSaveMgr();
    virtual ~CSaveMgr();
    CSaveMgr(const CSaveMgr&) = delete;
    CSaveMgr& operator=(const CSaveMgr&) = delete;

    // Writes the next slot and the summary for the player's role; 1, or 0
    // with the reason in LastError and the last good save untouched.
    int Save(CGameObj* role);
    // Loads the named save (null: the current name) and restarts the game
    // host with it; 1, or 0 with the reason and nothing changed.
    int Load(const char* name);
    int ReadSummary(const std::string& path);
    int WriteSummary(const std::string& path, CGameObj* role);
    int SaveExists(const char* name);
    const std::string& GetSaveDir();
    // 1 and stored for a valid date (29 February in every year), else 0
    // with nothing stored.
    int SetMonthDay(int month, int day);
    void ResetPlayTime();
    void AdvanceSlot();
    void SelectPreviewFrame(int mode);
    int ImportCharacter(const char* name);

    const std::string& LastError() const { return m_LastError; }

    std::string m_SaveDir;
    int32_t m_Slot = 0;
    std::string m_Version = "1.5";
    uint32_t m_PlayStamp = 0;
    uint32_t m_SaveTime = 0;
    int32_t m_PlaySeconds = 0;
    std::string m_SaveName = "test";
    int32_t m_Difficulty = 1;
    int32_t m_Level = 0;
    std::string m_SpriteName;
    std::string m_PartNo;
    std::string m_PartFile;
    CRoleSprite* m_pPreview = nullptr;  // owned
    // Deaths since the last load or new game, counted by the record.
    int32_t m_DeathCount = 0;
    int32_t m_BirthMonth = 1;
    int32_t m_BirthDay = 1;
    int32_t m_Reserved[4] = {};

private:
    // The summary bytes of the manager as it stands (the play time
    // accounted first), without the trailer.
    std::string BuildSummary(int32_t level, const std::string& sprite, const std::string& partNo,
                             const std::string& partFile);
    // Reads a summary's layout into this manager; false with a reason.
    bool ParseSummary(std::string_view layout, std::string* reason);
    // Reads the summary and slot of `name` into this (temporary) manager, a
    // new record and the HUD block's bytes; false with the reason.
    bool ReadGame(const std::string& name, CRoleData** record, std::string* hud, std::string* reason);
    // Takes the summary values of a read game (a committed load).
    void TakeSummary(const CSaveMgr& from);
    int Refuse(const std::string& reason);

    std::string m_LastError;
};

extern CSaveMgr g_SaveMgr;

// A save name that stays a plain file name inside "Save\": not empty, no
// '\', '/', ':', "..", '*' or control characters (the trail byte of a GBK
// character is part of that character, never a separator).
bool IsValidSaveName(const std::string& name);
