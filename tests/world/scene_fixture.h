#pragma once
// Scenes on disk for the scene tests (small maps, descriptors with portals,
// object lists, "ScnInfo.txt" and "Role.txt"), and a stand-in role class
// behind the role hooks that records what the scenes ask of it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/msg_lists.h"
#include "support/test_env.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"

namespace scntest {

struct Portal {
    std::string name;
    int x = 0, y = 0, dir = 0;
};

struct SceneSpec {
    std::string name;
    int type = 2;
    int width = 8, height = 8;
    std::vector<Portal> portals;
    std::string flag;  // column 21
    bool writeMap = true;
};

// A role that keeps what it was asked: placed, turned, ordered, killed.
class CFakeRole : public CMapObj {
public:
    explicit CFakeRole(int kind) {
        m_Kind = kind;
        if (kind == 60) m_DataId = 1;
    }
    int32_t camp = 0;
    int32_t dir = -1;
    int32_t orders = 0;
    int32_t lastCommand = -1;
    int32_t died = 0;
    // The object manager current when it was killed (its own, when the
    // scene made its world current first).
    const void* mngAtDeath = nullptr;
};

class SceneTest : public vtest::TempDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the scene's descriptor, map, empty object list and table row.
    void WriteScene(const SceneSpec& spec);
    // "ScnInfo.txt" with every scene written so far; "Role.txt".
    void WriteTables();
    // Every packet on the client list (the list emptied), text included.
    std::vector<std::vector<uint8_t>> Drain();
    std::vector<std::string> DrainDecoded();
    // The role of the client's tracker in its scene.
    CFakeRole* RoleOf(CScene* scene, int clientId);

    CScnMng* mng = nullptr;
    std::vector<std::string> sounds;
    std::vector<std::string> calls;  // hook calls, in order
    std::vector<const void*> deathMngs;  // the object manager current at each death

private:
    std::vector<SceneSpec> m_Scenes;
    CWorldHooks m_Hooks;
    CSceneHooks m_SceneHooks;
    CWorldSoundCalls m_Sound;
};

// The last recorded message box text ("" when none since `from`).
std::string LastMessageBox(size_t from);
size_t MessageBoxCount();

} // namespace scntest
