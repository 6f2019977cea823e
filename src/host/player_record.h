#pragma once
// The local player's role data record as the game host handles it.
// PLACEHOLDER until the role data record (CRoleData, 888 bytes) is built:
// a record is an opaque block of that size, a new character sets nothing,
// and the revive scene is the start scene's name. The host's calls stay
// when the record class replaces these bodies.
#include <string>

class CRoleData;

CRoleData* NewPlayerRecord();
void DeletePlayerRecord(CRoleData* record);
// CRoleData::NewCharacter with the class chosen on the new-game screen.
void PlayerRecordNewCharacter(CRoleData* record, int classValue);
// CRoleData::GetReviveScene.
std::string PlayerRecordReviveScene(const CRoleData* record);
