#pragma once
// The local player's role data record as the game host handles it.
// PLACEHOLDER until the role data record (CRoleData, 888 bytes) is built:
// a record is the block of that size with the few fields the scenes touch
// beside it; a new character sets nothing, the player character's data id
// is 1 and the revive scene is the start scene's name. The host's and the
// scenes' calls stay when the record class replaces these bodies.
#include <cstdint>
#include <string>

class CRoleData {
public:
    uint8_t m_Bytes[888] = {};
    int32_t m_Dead = 0;
    int32_t m_SceneId = -1;
    uint32_t m_RoleHandle = 0;
};

CRoleData* NewPlayerRecord();
void DeletePlayerRecord(CRoleData* record);
// CRoleData::NewCharacter with the class chosen on the new-game screen.
void PlayerRecordNewCharacter(CRoleData* record, int classValue);
// CRoleData::GetReviveScene.
std::string PlayerRecordReviveScene(const CRoleData* record);
// The player character's data id.
constexpr int32_t kPlayerDataId = 1;

// The record and client calls of the scenes (world/scene_hooks.h).
void InstallHostSceneHooks();
