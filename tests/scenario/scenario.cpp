#include "scenario/scenario.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <new>

#include "datagen/demo_data.h"
#include "roles/save_mgr.h"
#include "roles/tables/exp_table.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "roles/tables/skill_table.h"
#include "app/game_main.h"
#include "app/links.h"
#include "app/screen.h"
#include "app/sequences.h"
#include "app/startup_config.h"
#include "client/recording_client.h"
#include "core/directories.h"
#include "core/log.h"
#include "core/msg_lists.h"
#include "core/txt_table.h"
#include "gfx/effect3d.h"
#include "host/game_host.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/window.h"
#include "roles/role_hooks.h"
#include "sound/sound_play.h"
#include "support/packet_decode.h"
#include "ui/jm_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"
#include "world/scene/world_sound.h"
#include "world/sky/game_clock.h"

namespace fs = std::filesystem;

namespace scenario {

namespace {

// The run whose sounds are recorded (sound calls are plain function
// pointers).
std::vector<SoundCall>* g_SoundLog = nullptr;

void Record(SoundCall call) {
    if (g_SoundLog) g_SoundLog->push_back(std::move(call));
}

const CWorldSoundCalls kRecordingSound = {
    [](int id, int loop, int percent, int pan) { Record({"effect", id, loop, percent, pan}); },
    [](int id) { Record({"stop", id, 0, 0, 0}); },
    [](int id, int loop) { Record({"music", id, loop, 0, 0}); },
    [](int id, const CGamePoint& at, int loop) { Record({"at", id, at.x, at.y, loop}); },
};

void FailOnOverrun(uint64_t draw) {
    ADD_FAILURE() << "random draw " << draw << " is past the end of the scripted draws";
}

// The tables start-up fills; the game's shutdown clears only some.
CTxtTable* const kStartupTables[] = {&g_TextTable,        &g_PropGemFuncTable,  &g_PlayerInitTable,
                                     &g_PlayerSkillTable, &g_ScnInfoMdl,        &g_ScnSoundMdl,
                                     &g_PropMdlTable,     &g_RandPropTable,     &g_ActMdlTable,
                                     &g_RolePrivateTable, &g_TriggerQuestTable, &g_RoleQuestTable,
                                     &g_RoleMdlTable,     &g_BeastieMdlTable};

void Fnv(uint64_t& h, const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
}

} // namespace

// What the run replaces and Reset puts back.
struct CScenario::Saved {
    CWorldHooks world = g_WorldHooks;
    CSceneHooks scene = g_SceneHooks;
    CRoleHooks role = g_RoleHooks;
    CWorldSoundCalls sound = g_WorldSound;
    CHostUiHooks hostUi = g_HostUiHooks;
    // The save manager: its folder is built once, from the run's folder.
    std::string saveDir = g_SaveMgr.m_SaveDir;
    std::string saveName = g_SaveMgr.m_SaveName;
    int32_t saveSlot = g_SaveMgr.m_Slot;
    int32_t difficulty = g_SaveMgr.m_Difficulty;
    std::string home;
    bool hadHome = false;
    plat::FakeClock clock{100000};
};

CScenario::CScenario() = default;

CScenario::~CScenario() { Reset(); }

bool CScenario::Start(const datagen::FixtureGame& game) {
    return StartWith([&](const std::string& folder, std::string* error) {
        return datagen::WriteFixtureGame(folder, game, error);
    });
}

bool CScenario::StartDemo(int classId) {
    return StartWith(
        [](const std::string& folder, std::string* error) {
            datagen::DemoOptions options;
            options.music = false;
            return datagen::WriteDemoDataSet(folder, options, error);
        },
        classId);
}

bool CScenario::StartSaved(const std::string& folder, const std::string& saveName) {
    return StartWith(
        [&](const std::string& to, std::string* error) {
            std::error_code ec;
            fs::copy(folder, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
            if (ec) *error = "cannot copy " + folder + ": " + ec.message();
            return !ec;
        },
        -1, saveName);
}

bool CScenario::StartWith(const std::function<bool(const std::string& folder, std::string* error)>& write, int classId,
                          const std::string& saveName) {
    Reset();
    m_pSaved = std::make_unique<Saved>();
    if (const char* home = std::getenv("VANTREL_HOME")) {
        m_pSaved->hadHome = true;
        m_pSaved->home = home;
    }
    m_OldCwd = fs::current_path().string();
    std::string tmpl = (fs::temp_directory_path() / "vantrel-scenario-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        ADD_FAILURE() << "no scratch folder";
        return false;
    }
    m_Folder = tmpl + "/";
    fs::current_path(m_Folder);
    setenv("VANTREL_HOME", m_Folder.c_str(), 1);
    std::string error;
    if (!write(m_Folder, &error)) {
        ADD_FAILURE() << error;
        return false;
    }

    plat::ClearDebugCapture();
    plat::ClearRecordedMessageBoxes();
    plat::ResetRand();
    plat::SetRandOverrunHandler(FailOnOverrun);
    plat::SetClock(&m_pSaved->clock);
    plat::UseHeadlessBackend();
    plat::SetAudioDeviceFactory([] { return std::make_unique<plat::NullAudioDevice>(); });
    SetProgramDirectory(0);
    g_SaveMgr.m_SaveDir.clear();
    g_AppClock.Reset();
    g_GameMain.~CGameMain();
    new (&g_GameMain) CGameMain();
    if (g_GameMain.StartApp() != 2) {
        ADD_FAILURE() << "the fixture game does not start";
        return false;
    }
    g_GameMain.m_CurState = g_GameMain.m_ReqState = GS_INGAME;
    if (!plat::RecordedMessageBoxes().empty()) {
        ADD_FAILURE() << "start-up raised a message box: " << plat::RecordedMessageBoxes()[0].text;
        return false;
    }
    g_SoundLog = &m_Sounds;
    g_WorldSound = kRecordingSound;

    g_ClientMsgList.RemoveAll();
    g_ServerCmdList.RemoveAll();
    g_GameHost = CGameHost{};
    static int s_Class = -1;
    s_Class = classId;
    if (classId >= 0) g_HostUiHooks.getNewCharacterClass = [] { return s_Class; };
    if (!saveName.empty()) {
        // As the load panel does: the save to load, then the game state,
        // whose entry (BeforeStrategy) reads it.
        g_GameMain.m_SaveName = saveName;
        g_GameMain.m_CurState = GS_TITLE;
        g_GameMain.m_ReqState = GS_INGAME;
        g_GameMain.Step();
        g_GameMain.m_SaveName.clear();
        if (!g_GameHost.m_Running) {
            ADD_FAILURE() << "the save " << saveName << " does not load: " << g_SaveMgr.LastError();
            return false;
        }
    } else if (g_GameHost.Start(nullptr) != 1) {
        ADD_FAILURE() << "the host does not start a new game";
        return false;
    }
    return true;
}

void CScenario::Seed(uint32_t seed) {
    plat::ScriptRand({});
    plat::SRand(seed);
    plat::ResetRandDrawCount();
}

void CScenario::Script(const std::vector<int>& draws) {
    plat::ScriptRand(draws);
    plat::ResetRandDrawCount();
}

void CScenario::Tick(int n) {
    for (int i = 0; i < n; ++i) g_GameHost.FrameStep();
}

void CScenario::SendOrder(const CGameObj* role, int code, int32_t a, int32_t b, int32_t c) {
    CScene* scene = Scene();
    if (!scene || !role) {
        ADD_FAILURE() << "SendOrder without a scene or a role";
        return;
    }
    uint8_t p[18] = {240};
    p[1] = static_cast<uint8_t>(role->m_Handle);
    p[2] = static_cast<uint8_t>(role->m_Handle >> 8);
    p[5] = static_cast<uint8_t>(code);
    const int32_t args[3] = {a, b, c};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k) p[6 + 4 * i + k] = static_cast<uint8_t>(static_cast<uint32_t>(args[i]) >> (8 * k));
    // As the client's update hands it over: the scene current with its world.
    if (scene->m_pWorld) scene->m_pWorld->MakeCurrent();
    SetCurrentScene(scene);
    scene->ReceiveMsg(p, scene->FindTrackerByClient(0));
}

CRecordingClient* CScenario::Client() const { return g_GameHost.m_pClient; }

CScene* CScenario::Scene() const { return Client() ? Client()->GetScene() : nullptr; }

CGameObj* CScenario::Hero() const {
    CScene* scene = Scene();
    CViewTracker* t = scene ? scene->FindTrackerByClient(0) : nullptr;
    return t && scene->m_pWorld ? scene->m_pWorld->m_pHandles->Resolve(t->m_RoleHandle) : nullptr;
}

std::vector<std::vector<uint8_t>> CScenario::Packets() const {
    std::vector<std::vector<uint8_t>> out;
    if (Client())
        for (const auto& r : Client()->m_Received) out.push_back(r.bytes);
    return out;
}

std::vector<std::string> CScenario::DecodedPackets() const {
    std::vector<std::string> out;
    if (!Client()) return out;
    for (const auto& r : Client()->m_Received) {
        for (const std::string& t : r.textBefore) out.push_back("text \"" + t + "\"");
        out.push_back(testsupport::DecodePacket(r.bytes));
    }
    return out;
}

uint64_t CScenario::Draws() const { return plat::RandDrawCount(); }

uint64_t CScenario::RunHash() const {
    uint64_t h = 14695981039346656037ull;
    if (Client())
        for (const auto& r : Client()->m_Received) {
            for (const std::string& t : r.textBefore) Fnv(h, t.c_str(), t.size() + 1);
            const uint32_t n = static_cast<uint32_t>(r.bytes.size());
            Fnv(h, &n, sizeof n);
            Fnv(h, r.bytes.data(), r.bytes.size());
        }
    const uint64_t draws = Draws();
    Fnv(h, &draws, sizeof draws);
    return h;
}

std::vector<std::string> CScenario::DebugLines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : plat::DebugCaptured())
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

void CScenario::Reset() {
    if (!m_pSaved) return;
    // The game's teardown draws (a client weather that ends its flakes)
    // are not part of the run: a script of the run's draws ends with it.
    plat::ScriptRand({});
    // The game first, while the hooks it was built with are in place.
    g_GameHost.Shutdown();
    g_GameHost = CGameHost{};
    g_JMMng.ClearUp();
    g_GameMain.Shutdown();
    g_Screen.Deactivate();
    plat::ClearMessageQueue();
    plat::SetDisplayPresenter(nullptr);
    g_Effect3D.Shutdown();
    if (g_GameMain.m_pDisplay) DisplayDelete(&g_GameMain.m_pDisplay);
    g_Screen.m_pDisplay = nullptr;
    g_GameMain.~CGameMain();
    new (&g_GameMain) CGameMain();

    for (CTxtTable* t : kStartupTables) t->Clear();
    g_RoleEffectFile.Clear();
    g_RoleEffectTable.Clear();
    g_RoleSkillListTable.Clear();
    g_SkillTable.Clear();
    g_SkillChildTable.Clear();
    g_SkillGopTable.Clear();
    g_EquipStrTable.Clear();
    g_EquipStrPath.clear();
    g_EquipStrPicked.clear();
    ResetStartupConfig();
    SetCurrentScene(nullptr);
    ResetGameClock();
    plat::ResetRand();
    g_ClientMsgList.RemoveAll();
    g_ServerCmdList.RemoveAll();
    plat::ClearRecordedMessageBoxes();
    SetMusicVolume(100, 0);
    SetEffectVolume(100);

    g_WorldHooks = m_pSaved->world;
    g_SceneHooks = m_pSaved->scene;
    g_RoleHooks = m_pSaved->role;
    g_SaveMgr.m_SaveDir = m_pSaved->saveDir;
    g_SaveMgr.m_SaveName = m_pSaved->saveName;
    g_SaveMgr.m_Slot = m_pSaved->saveSlot;
    g_SaveMgr.m_Difficulty = m_pSaved->difficulty;
    g_WorldSound = m_pSaved->sound;
    g_HostUiHooks = m_pSaved->hostUi;
    g_SoundLog = nullptr;
    m_Sounds.clear();

    plat::SetAudioDeviceFactory({});
    plat::SetClock(nullptr);
    if (!m_OldCwd.empty()) fs::current_path(m_OldCwd);
    if (m_pSaved->hadHome) setenv("VANTREL_HOME", m_pSaved->home.c_str(), 1);
    else unsetenv("VANTREL_HOME");
    SetProgramDirectory(0);
    std::error_code ec;
    if (!m_Folder.empty()) fs::remove_all(m_Folder, ec);
    m_Folder.clear();
    m_pSaved.reset();
}

} // namespace scenario
