#pragma once
// The player's persistent character record: level and experience, money,
// pools and base attributes, the 136 item slots over a pool of item
// instances, the game flags of "trigger\flag.txt", learned skills,
// followers, two return portals, the class and the act. It outlives the
// role object: the role reads its attributes from here, scene changes keep
// it, and the save game carries it (SaveRole / LoadRole).
//
// LoadRole reads the whole record into a side structure first and touches
// the record only once every field has been read and checked, so a short
// or damaged save leaves the running record as it was.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/containers.h"
#include "world/objects/handle_table.h"

class CTxtRow;
class CRole;
class CScene;
class PropRec;

// Slot numbering.
constexpr int kSlotBag = 0;         // 0-49
constexpr int kSlotQuick = 50;      // 50-55: consumables (PropMdl kinds 10-19)
constexpr int kSlotSpecial = 56;    // 56-61: PropMdl kinds 20-29
constexpr int kSlotExchange = 62;   // 62-68
constexpr int kSlotEquip = 69;      // 69-74, 75-77, 78-80: the equipment groups
constexpr int kSlotAccessory = 81;  // 81-85
constexpr int kSlotStorage = 86;    // 86-135
constexpr int kSlotCount = 136;
constexpr int kItemPoolSize = 10000;
constexpr int kStackMax = 9;
constexpr int kMaxLevel = 99;

// One game flag of "trigger\flag.txt".
class RoleFlag : public CObjNode {
public:
    int32_t m_Value = 0;
    int32_t m_Id = 0;
    std::string m_Name;
};

// A follower keeps its whole handle (index and generation).
struct RoleFollower {
    ObjHandle handle = 0;
    int32_t count = 0;
};

struct ReturnPortal {
    int32_t farScene = -1;
    ObjHandle farGate = 0;
    int32_t nearScene = -1;
    ObjHandle nearGate = 0;
};

class CRoleData {
public:
    CRoleData();
    virtual ~CRoleData();
    CRoleData(const CRoleData&) = delete;
    CRoleData& operator=(const CRoleData&) = delete;

    // ---- items and slots
    PropRec* GetItemInSlot(int slot) const;
    PropRec* GetItem(int poolIndex) const;
    PropRec* GetCursorItem() const { return GetItem(m_CursorItem); }
    void SetSlot(int slot, int poolIndex);
    void SwapSlots(int a, int b);
    int FindSlotOfItem(int poolIndex) const;
    int FindSlotOfObject(const PropRec* item) const;
    int FindItemById(int propId) const;
    int FindCarriedItemById(int propId) const;
    int FindFreeBagSlot() const { return FindFree(kSlotBag, kSlotQuick); }
    int FindFreeQuickSlot() const { return FindFree(kSlotQuick, kSlotSpecial); }
    int FindFreeSpecialSlot() const { return FindFree(kSlotSpecial, kSlotExchange); }
    int FindFreeExchangeSlot() const { return FindFree(kSlotExchange, kSlotEquip); }
    int FindFreeStorageSlot() const { return FindFree(kSlotStorage, kSlotCount); }
    // The item that took the last of the count; null for money, an id
    // without a row, a full pool, or when the rest went to the ground.
    PropRec* AddItem(int propId, int count, int toExchange, const char* text, int level, int price);
    void RemoveItem(int poolIndex, int n);
    int DropItem(int poolIndex);
    int UseItem(PropRec* item);
    void SetCursorItem(int poolIndex);
    void SwapSlotWithCursor(int slot);
    void MoveSlotToBag(int slot);
    void ReturnExchangeItems();
    int EquipItem(int i, int cost, int minLevel);
    int EquipAccessory(int i);
    void PreviewEquip(int i, PropRec* item);
    void PreviewAccessory(int i, PropRec* item);
    void UndoPreview();
    void SetStorageSlot(int i, int poolIndex);
    void SetExchangeSlot(int i, int poolIndex);
    void ReplaceWithLeftover(int poolIndex);
    void SortQuickSlots();
    void UpdatePotions();

    // ---- money
    int AddMoney(int delta, int useBank);
    int AddBankMoney(int delta);
    int DropMoney(int amount);
    const char* GetBankMoneyText();

    // ---- experience, death, class
    int AddExp(int n);
    void LevelUp(int level);
    void SetDead(int dead);
    void SetClass(int classId);
    void NewCharacter(int classId);
    int GetClassIndex() const;
    void SetAct(int act);
    // ActMdl column 2 of the act ("a*b": a while flag a is not 0).
    const char* GetReviveScene();

    // ---- flags
    void LoadFlags();
    // The box "FindFlag %s error!" for a name not in the list.
    RoleFlag* FindFlag(const char* name);
    // The same without the box.
    RoleFlag* FindFlagQuiet(const char* name);
    int32_t GetFlag(const char* name);
    void SetFlag(const char* name, int32_t value);
    void ResetLocals();

    // ---- attributes
    float SumItemAttribute(const char* key, float base) const;
    int GetAP() const;
    int GetDP() const;
    int GetMaxHP() const;
    int GetMaxQi() const;
    int GetST() const;
    int GetSH() const;
    int GetHR() const;
    float GetNu() const;
    float GetHPResume() const;
    float GetQiResume() const;
    int GetSP() const;
    int GetIceDp() const;
    int GetFireDp() const;
    int GetPoisonDp() const;
    void AddMaxHP(float v) { m_BaseMaxHP += v; }
    void AddMaxQi(float v) { m_BaseMaxQi += v; }
    void AddAP(float v) { m_BaseAP += v; }
    void AddST(float v) { m_BaseST += v; }
    void AddHR(float v) { m_BaseHR += v; }
    void AddDP(float v) { m_BaseDP += v; }
    void SetMultiplier(int i, float value);
    void AddMaxNu(float n);
    void AddWeaponNum(int n);
    void AddEquipNum(int n);

    // ---- skills ("Player\Skill.txt" rows)
    int LearnSkill(const CTxtRow* newRow, const CTxtRow* replaced);
    int CanLearnSkill(const CTxtRow* row) const;
    void AddLearnedSkill(int id);
    void ForgetSkill(int id);
    int GetLearnedSkill(int baseId) const;
    const CTxtRow* GetLearnedSkillRow(int baseId) const;
    // The learned row and the next row of tree slot class index x 16 + i.
    void GetSkillSlotRows(const CTxtRow** learned, const CTxtRow** next, int i) const;
    int CountSkillPower(int group) const;

    // ---- followers
    void AddFollower(CRole* role);
    int HasFollower(ObjHandle handle) const;
    void RemoveFollower(ObjHandle handle);
    void DropFollowers(int keep);

    // ---- return portals
    int OpenReturnPortal(int i);
    void CloseReturnPortal(int i);
    int FindReturnPortal(ObjHandle gate) const;

    // ---- the live role
    CRoleData* SetRoleRef(int32_t sceneId, ObjHandle handle);
    CRole* GetRole() const;
    CScene* GetScene() const;

    // ---- serialised record
    // 1 on success; 0 without a live role or its view tracker.
    int SaveRole(FILE* file);
    // The bytes alone, with the tracker's entry position given.
    int WriteRecord(FILE* file, int32_t entryX, int32_t entryY) const;
    // 1 when the whole record read and checked; 0 with the record untouched.
    int LoadRole(FILE* file);

    // Fields, in the record's order.
    std::string m_Name;
    std::string m_PictureName;
    int32_t m_Dead = 0;
    int32_t m_Exp = 0;
    int32_t m_NextExp = 0;
    int32_t m_Level = 1;
    std::string m_SpritePartName;
    int32_t m_Money = 0;
    int32_t m_BankMoney = 0;
    int32_t m_HP = 0;
    int32_t m_Qi = 0;
    int32_t m_Nu = 0;
    int32_t m_ST = 0;
    float m_BaseAP = 0.0f;
    float m_BaseDP = 0.0f;
    float m_BaseMaxHP = 0.0f;
    float m_BaseMaxQi = 0.0f;
    float m_BaseST = 0.0f;
    float m_ClassValue25 = 0.0f;
    float m_MaxNu = 0.0f;
    float m_BaseHR = 0.0f;
    int32_t m_BaseNu = 0;
    float m_BaseHPResume = 0.0f;
    float m_BaseQiResume = 0.0f;
    int32_t m_BaseSP = 0;
    CObjList m_Items;  // owns the PropRecs
    CPtrTable m_ItemPool;
    int32_t m_Slots[kSlotCount];
    int32_t m_CursorItem = -1;
    float m_Multipliers[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    CObjList m_Flags;  // owns the RoleFlags
    RoleFlag* m_pFlagCache = nullptr;
    const CTxtRow* m_pClassRow = nullptr;
    int32_t m_HPPotion = -1;
    int32_t m_QiPotion = -1;
    int32_t m_AutoSort = 1;
    ReturnPortal m_Portals[2];
    int32_t m_SceneId = -1;
    ObjHandle m_RoleHandle = 0;
    int32_t m_WeaponCount = 3;
    int32_t m_EquipCount = 3;
    int32_t m_ClassId = -1;
    int32_t m_SkillPoints = 0;
    std::vector<RoleFollower> m_Followers;
    std::vector<int32_t> m_LearnedSkills;
    std::string m_BankText;
    int32_t m_Act = -1;

    // The slot and item of an equipment preview, -1 when none.
    int32_t m_PreviewSlot = -1;
    int32_t m_PreviewOld = -1;
    int32_t m_PreviewItem = -1;

private:
    int FindFree(int first, int end) const;
    void ClearItems();
    void FreeItem(PropRec* item);
    // Puts the item into a free bag slot, or on the ground.
    void StowOrDrop(int poolIndex);
    void RefreshRole();
    void UpdateAppearance(int slot);
};

// The record's operations into the items' table (g_ItemRecordOps).
void InstallRecordItemOps();

// The record's class row: the "player\init.txt" row whose column 1 is the
// class id; null when none.
const CTxtRow* FindClassRow(int classId);
