#include "world/scene_fixture.h"

#include "core/directories.h"
#include "core/txt_table.h"
#include "datagen/bld_writer.h"
#include "datagen/ini_writer.h"
#include "datagen/lib_writer.h"
#include "datagen/map_writer.h"
#include "datagen/scene_tables.h"
#include "datagen/table_writer.h"
#include "platform/msgbox.h"
#include "support/packet_decode.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"

namespace scntest {

namespace {

SceneTest* g_Fixture = nullptr;

CFakeRole* Fake(CGameObj* obj) { return dynamic_cast<CFakeRole*>(obj); }

} // namespace

std::string LastMessageBox(size_t from) {
    const auto& boxes = plat::RecordedMessageBoxes();
    return boxes.size() > from ? boxes.back().text : "";
}

size_t MessageBoxCount() { return plat::RecordedMessageBoxes().size(); }

void SceneTest::SetUp() {
    TempDirTest::SetUp();
    SetProgramDirectory(0);
    g_Fixture = this;
    m_Hooks = g_WorldHooks;
    m_SceneHooks = g_SceneHooks;
    m_Sound = g_WorldSound;
    g_WorldHooks = CWorldHooks{};
    g_SceneHooks = CSceneHooks{};
    g_WorldSound = CWorldSoundCalls{};
    g_WorldSound.playEffect = [](int id, int loop, int percent, int) {
        g_Fixture->sounds.push_back(std::to_string(id) + "/" + std::to_string(loop) + "/" + std::to_string(percent));
    };
    g_WorldHooks.createRole = [](int kind) -> CGameObj* { return new CFakeRole(kind == 60 ? 60 : 40); };
    g_WorldHooks.getRoleCamp = [](const CGameObj* r) {
        const auto* f = dynamic_cast<const CFakeRole*>(r);
        return f ? f->camp : 0;
    };
    g_SceneHooks.placeNear = [](CGameObj* r, int32_t x, int32_t y, int32_t) {
        r->SetTilePos(x, y);
        g_Fixture->calls.push_back("place " + std::to_string(x) + "," + std::to_string(y));
        return 1;
    };
    g_SceneHooks.setDirection = [](CGameObj* r, int32_t dir) {
        if (CFakeRole* f = Fake(r)) f->dir = dir;
    };
    g_SceneHooks.die = [](CGameObj* r, int32_t mode, int32_t) {
        CFakeRole* f = Fake(r);
        if (!f || f->died) return;
        f->died = mode;
        f->mngAtDeath = g_CurObjMng;
        g_Fixture->deathMngs.push_back(g_CurObjMng);
        r->Remove();
    };
    g_SceneHooks.order = [](CGameObj* r, int32_t command, uint32_t, uint32_t, uint32_t) {
        if (CFakeRole* f = Fake(r)) {
            ++f->orders;
            f->lastCommand = command;
        }
    };
    g_SceneHooks.saveGame = [](CGameObj*) {
        g_Fixture->calls.push_back("save");
        return 1;
    };
    plat::ClearRecordedMessageBoxes();
    ASSERT_TRUE(datagen::WriteLib(Dir() + "Zy/maptile.lib", datagen::DemoTileEntries()));
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/Role.txt", {{"Name", "Id"}, {"Hero", "1"}, {"Guard", "7"}}));
    ASSERT_EQ(g_RoleMdlTable.Load("mb\\Role.txt", 1, 1, 1), 1);
    g_ClientMsgList.RemoveAll();
    ResetGameClock();
    mng = new CScnMng();
}

void SceneTest::TearDown() {
    delete mng;
    mng = nullptr;
    g_ClientMsgList.RemoveAll();
    g_RoleMdlTable.Clear();
    g_ScnInfoMdl.Clear();
    g_WorldHooks = m_Hooks;
    g_SceneHooks = m_SceneHooks;
    g_WorldSound = m_Sound;
    g_Fixture = nullptr;
    ClearCurrentWorld();
    TempDirTest::TearDown();
}

void SceneTest::WriteScene(const SceneSpec& spec) {
    m_Scenes.push_back(spec);
    datagen::KeyValues scn = {{"MapFile", spec.name + ".map"},
                              {"BldFile", spec.name + ".int"},
                              {"ObjFile", spec.name + ".obj"},
                              {"PortalNum", std::to_string(spec.portals.size())}};
    for (const Portal& p : spec.portals) {
        scn.push_back({"PreScn", p.name});
        scn.push_back({"MapX", std::to_string(p.x)});
        scn.push_back({"MapY", std::to_string(p.y)});
        scn.push_back({"Dir", std::to_string(p.dir)});
    }
    scn.push_back({"RadarID", "-1"});
    ASSERT_TRUE(datagen::WriteIni(Dir() + "cj/" + spec.name + ".scn", scn, false));
    if (spec.writeMap) {
        std::vector<std::string> art(static_cast<size_t>(spec.height), std::string(static_cast<size_t>(spec.width), '.'));
        ASSERT_TRUE(datagen::WriteMap(Dir() + "cj/" + spec.name + ".map", datagen::BuildMapFromAscii(art)));
    }
    datagen::BldInitSpec bld;
    bld.modelFile = "Scn.mdl";
    ASSERT_TRUE(datagen::WriteBldInit(Dir() + "cj/" + spec.name + ".int", bld));
    ASSERT_TRUE(datagen::WriteBldModel(Dir() + "mb/Scn.mdl", {}));
    ASSERT_TRUE(datagen::WriteIni(Dir() + "cj/" + spec.name + ".obj",
                                  {{"All", "0"}, {"Bld", "0"}, {"CHA", "0"}, {"PROP", "0"}, {"Bea", "0"}, {"BldMdl", ""}},
                                  false));
    WriteTables();
}

void SceneTest::WriteTables() {
    datagen::Table rows = {datagen::ScnInfoHeader()};
    int id = 1;
    for (const SceneSpec& s : m_Scenes) {
        datagen::ScnInfoRow r;
        r.name = s.name;
        r.id = id++;
        r.type = s.type;
        r.flagName = s.flag;
        rows.push_back(datagen::BuildScnInfoRow(r));
    }
    ASSERT_TRUE(datagen::WriteTable(Dir() + "mb/ScnInfo.txt", rows));
    ASSERT_EQ(g_ScnInfoMdl.Load("mb\\ScnInfo.txt", 1, 1, 1), 1);
}

std::vector<std::vector<uint8_t>> SceneTest::Drain() {
    std::vector<std::vector<uint8_t>> out;
    for (CObjNode* n = g_ClientMsgList.Head(); n; n = n->Next()) {
        auto* m = static_cast<CClientMsgNode*>(n);
        out.emplace_back(m->m_pData, m->m_pData + m->m_Length);
    }
    g_ClientMsgList.RemoveAll();
    return out;
}

std::vector<std::string> SceneTest::DrainDecoded() { return testsupport::DecodePackets(Drain()); }

CFakeRole* SceneTest::RoleOf(CScene* scene, int clientId) {
    CViewTracker* t = scene ? scene->FindTrackerByClient(clientId) : nullptr;
    if (!t || !scene->m_pWorld->m_pHandles) return nullptr;
    return Fake(scene->m_pWorld->m_pHandles->Resolve(t->m_RoleHandle));
}

} // namespace scntest
