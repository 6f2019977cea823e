// PLACEHOLDER bodies (see player_record.h).
#include "host/player_record.h"

#include <cstdint>

namespace {
constexpr size_t kRoleDataSize = 888;
} // namespace

CRoleData* NewPlayerRecord() { return reinterpret_cast<CRoleData*>(new uint8_t[kRoleDataSize]()); }

void DeletePlayerRecord(CRoleData* record) { delete[] reinterpret_cast<uint8_t*>(record); }

void PlayerRecordNewCharacter(CRoleData*, int) {}

std::string PlayerRecordReviveScene(const CRoleData*) { return "Start"; }
