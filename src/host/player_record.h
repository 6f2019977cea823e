#pragma once
// The local player's role data record as the game host handles it: made
// for a new game, its class and revive scene, and the record calls of the
// scenes, the world and the grid searches.
#include <cstdint>
#include <string>

#include "roles/record/role_data.h"

CRoleData* NewPlayerRecord();
void DeletePlayerRecord(CRoleData* record);
// CRoleData::NewCharacter with the class chosen on the new-game screen.
void PlayerRecordNewCharacter(CRoleData* record, int classValue);
// CRoleData::GetReviveScene.
std::string PlayerRecordReviveScene(CRoleData* record);
// The player character's data id.
constexpr int32_t kPlayerDataId = 1;

// The record calls of the scenes (world/scene_hooks.h), the world's
// getItemSkill and getRoleSheetValue, the grid searches' follower test,
// the roles' getLocalPlayerRecord and the items' record operations.
void InstallHostSceneHooks();
