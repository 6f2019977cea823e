// Start-up loading, shutdown and the UI-screen sequences.
// The steps of other subsystems are kept in their place as calls into the
// seams below, so each step stays where the start-up order puts it.
#include "app/sequences.h"

#include "client/recording_client.h"

#include "gfx/role_sprite.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game_main.h"
#include "app/links.h"
#include "app/screen.h"
#include "app/startup_config.h"
#include "client/gesture_input.h"
#include "core/directories.h"
#include "core/log.h"
#include "core/pack_file.h"
#include "gfx/anim.h"
#include "gfx/color_tables.h"
#include "gfx/effect3d.h"
#include "gfx/mouse_cursor.h"
#include "gfx/res_lib.h"
#include "host/game_host.h"
#include "platform/audio.h"
#include "platform/font.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "roles/actor/actor.h"
#include "roles/tables/model_tables.h"
#include "roles/tables/role_effect_table.h"
#include "roles/tables/skill_table.h"
#include "sound/media_mng.h"
#include "sound/sound_mng.h"
#include "sound/sound_play.h"
#include "ui/jm_mng.h"
#include "world/map/iso_grid.h"
#include "world/scene/world_hooks.h"

int g_IntroMoviePending = 1;
CImageRef g_UiImages[kUiImageCount];

namespace {
std::unique_ptr<CLogTimer> g_LoadStepTimer;
std::unique_ptr<CLogTimer> g_LoadTotalTimer;

// ---- Seams of the roles' tables, the client and the animation resources.

std::string MbPath(const char* file) { return std::string(GetMbDirectory()) + file; }
void LoadSkillTables() {
    g_SkillTable.Load(MbPath("Skill.ini").c_str());
    g_SkillChildTable.Load(MbPath("SkillChild.ini").c_str());
}
void LoadModelTables() {
    g_ModelTables.Load(MbPath("Role.txt").c_str(), MbPath("BeastieMdl.txt").c_str(), MbPath("PropMdl.txt").c_str());
    // GetRoleSkill reads a role model's ".rmd" list through the world.
    g_WorldHooks.getModelSkill = [](int32_t modelId, int32_t index) { return GetModelSkill(modelId, index); };
}
void LoadSkillGopTable() { g_SkillGopTable.Load(MbPath("Skill.gop").c_str()); }
void ClearRoleTables() {
    g_SkillTable.Clear();
    g_SkillChildTable.Clear();
    g_SkillGopTable.Clear();
    g_ModelTables.Clear();
}
void LoadTable(CTxtTable& table, const char* file, int keyCol, int headerRows);
// LoadMethodPoints ("MethodPoint.txt"): the client installs the loader in
// the effect layer's hook.
void LoadMethodPoints() {
    if (CEffect3D::s_LoadGesturePatterns) CEffect3D::s_LoadGesturePatterns();
}
// The ten animation slots released at shutdown.
void ReleaseAnimSlots() { ReleaseAnimSlotArray(); }

void LogResMem(const char* label) {
    WriteLogNum(kLogFile, static_cast<int>(GetLibLoadedBytes() / 1024), label);
}

void LoadTable(CTxtTable& table, const char* file, int keyCol, int headerRows) {
    const std::string path = std::string(GetMbDirectory()) + file;
    table.Load(path.c_str(), keyCol, headerRows, 1);
}

bool DataFileOpens(const char* name) {
    const std::string path = std::string(GetMbDirectory()) + name;
    CPackFile f;
    const bool found = f.Open(path.c_str(), "rb") != -2;
    f.Close();
    return found;
}

// A program folder without the game's data would raise one box per missing
// file and then stop anyway: say once where the game looked and how to get
// data there. A data folder short of one of the two tables is not that: its
// missing table gets its own box.
bool DataFolderHasGame() {
    if (DataFileOpens("Text.txt") || DataFileOpens("JMMDL.txt")) return true;
    const char* home = std::getenv("VANTREL_HOME");
    const bool named = home && *home;
    const std::string message =
        "No game data in " + plat::ProgramDirNative() +
        (named ? " (the folder VANTREL_HOME names)" : " (the program's own folder, as VANTREL_HOME is not set)") +
        ": it has no mb\\Text.txt and no mb\\JMMDL.txt.\n"
        "Set VANTREL_HOME to the folder that holds the game's data, or run \"bash scripts/run.sh\", which writes the "
        "demo data set into demo/ and starts the game on it.";
    plat::MessageBox(message, "vantrel", plat::MB_OK | plat::MB_ICONERROR);
    return false;
}
} // namespace

void LogLoading(int progress, const char* name1, const char* name2) {
    if (progress == 0) {
        g_LoadStepTimer = std::make_unique<CLogTimer>();
        g_LoadTotalTimer = std::make_unique<CLogTimer>();
        g_LoadStepTimer->LogElapsed("\t\tBeginLoading\n");
        LogResMem("\tResMem\n");
        return;
    }
    if (!g_LoadStepTimer || !g_LoadTotalTimer) return;
    if (progress == 100) {
        g_LoadStepTimer->LogElapsed("\t\tEndLoading\n");
        g_LoadTotalTimer->LogElapsed("\t\tAllLoadingTime\n");
        LogResMem("\tResMem\n");
        g_LoadStepTimer.reset();
        g_LoadTotalTimer.reset();
        return;
    }
    std::string line = "\t\t";
    if (name1) line += name1;
    if (name2) {
        line += "  ";
        line += name2;
    }
    line += "\n";
    g_LoadStepTimer->LogElapsed(line.c_str());
}

int ReleaseGameResources() {
    for (CImageRef& r : g_UiImages) r.Release();
    ReleaseAnimSlots();
    g_MarkerAnims[0].Release();
    g_MarkerAnims[1].Release();
    g_MouseCursor.Clear();
    return 1;
}

int InitGameResources() {
    ReleaseGameResources();
    g_Effect3D.Enable(g_AlphaMode);
    for (int i = 0; i < kUiImageCount; ++i) g_UiImages[i].SetById(kFirstUiImageId + static_cast<uint32_t>(i));
    if (!g_GameMain.m_DevMode) g_BeginScene = 0;
    g_MarkerAnims[0].Bind(144);
    g_MarkerAnims[1].Bind(145);
    // The system cursor is never shown over the game's window; the game
    // draws its own.
    plat::ShowCursor(false);
    g_MouseCursor.SetAnim(28);
    if (g_MouseCursor.m_Shape < 2) {
        g_MouseCursor.m_Frame = 0;
        g_MouseCursor.m_Shape = 1;
    }
    const std::string roleEffect = std::string(GetMbDirectory()) + "RoleEffectMdl.txt";
    g_RoleEffectFile.Load(roleEffect.c_str());
    BuildRoleEffectTable();
    return 1;
}

int CGameMain::StartApp() {
    if (!DataFolderHasGame()) {
        m_ErrorCode = 2;
        return 0;
    }
    LoadTable(g_TextTable, "Text.txt", 0, 0);
    // A machine the game refuses ends the program as a failure.
    if (!LoadStartupConfig()) {
        m_ErrorCode = 2;
        return 0;
    }

    CLogTimer timer;
    m_ReqDisplayMode = DM_640;
    // A failure leaves the current mode unchanged, so the next Step finds
    // the request still pending and ends the program in order.
    SetDisplayMode(DM_640, 0);
    BuildColorTables();
    timer.LogElapsed("  Set DirectDraw SetDisplayEnd\n");

    InitResourceLibraries();
    timer.LogElapsed("  Init CombineLibEnd\n");

    InitGameResources();

    const std::string soundDir = std::string(GetProgramDirectory()) + "SY\\";
    // Without a sound device the silent mixer stands in, so music and sound
    // timing still run; the log still records that the sound device failed.
    const bool soundOk = InitSound(soundDir.c_str(), plat::GetMainWindow()) != 0;
    const plat::AudioDevice* device = g_SoundMng.GetDevice().GetDevice();
    if (!soundOk || (device && std::string(device->Name()) == "silent")) {
        const std::string line = soundDir + "\t\tSoundInit Fail\n";
        WriteLog(kLogFile, line.c_str());
    }
    timer.LogElapsed("  SoundInitEnd\n");
    // Trails and positional sounds convert world points through the view.
    InstallIsoGrid();
    // The world reads the display option and whether a client part runs.
    g_WorldHooks.getDisplayOption = [] { return static_cast<int>(g_GameMain.m_DisplayOption); };
    g_WorldHooks.hostHasClient = [] { return g_GameHost.m_pClient ? 1 : 0; };
    // Building a scene's world: its loading log, progress and panels.
    g_WorldHooks.logLoading = [](int p, const char* a, const char* b) { LogLoading(p, a, b); };
    g_WorldHooks.drawLoadingProgress = [](int n) { g_GameMain.DrawLoadingProgress(n); };
    g_WorldHooks.showLoadingWindow = ShowLoadingWindow;
    g_WorldHooks.markMapBuilt = [] { g_GameMain.MarkMapBuilt(); };
    g_WorldHooks.clientsShareScene = [] { return g_GameHost.ClientsShareScene(); };
    g_WorldHooks.closeSceneJM = [] { g_JMMng.CloseSceneJM(); };
    InstallSceneHooks();

    // The one thread already runs at normal priority.
    LoadMethodPoints();
    g_Screen.Init();

    CreateActorPathSearch();
    LoadSkillTables();
    LoadModelTables();
    LoadTable(g_PropGemFuncTable, "PropGemFunc.txt", -1, kPropGemFuncHeaderRows);
    LoadTable(g_PlayerInitTable, "player\\init.txt", -1, 1);
    LoadTable(g_PlayerSkillTable, "Player\\Skill.txt", 1, 1);
    LoadTable(g_ScnInfoMdl, "ScnInfo.txt", 1, 1);
    LoadTable(g_ScnSoundMdl, "ScnSoundMdl.txt", 0, 1);
    LoadTable(g_RandPropTable, "randprop.txt", 1, 1);
    LoadTable(g_ActMdlTable, "ActMdl.txt", 1, 1);
    LoadTable(g_RolePrivateTable, "RolePrivate.txt", 1, 1);
    LoadTable(g_TriggerQuestTable, "TriggerQuest.txt", 1, 1);
    LoadTable(g_RoleQuestTable, "RoleQuest.txt", -1, 1);
    LoadSkillGopTable();
    timer.LogElapsed("  MdlInitEnd\n");

    LoadSprRoleHeader(std::string(GetProgramDirectory()) + "slr\\SprRole.h");
    timer.LogElapsed("  Slr Init End\n");

    g_Effect3D.Init(g_Screen.m_pDisplay);
    timer.LogElapsed("  3DEffect Init End\n");

    if (!InitJM()) {
        // A panel table without the rows the panels read: end in order.
        g_GameMain.m_ErrorCode = 2;
        return 0;
    }
    timer.LogElapsed("  StartAppEnd()\n");

    g_MediaMng.Init(plat::GetMainWindow(), plat::GetMainWindow());
    return 2;
}

void CGameMain::Shutdown() {
    CLogTimer timer;
    g_JMMng.ClearUp();
    g_JMMng.ClearUp();
    g_GameHost.Shutdown();
    CloseRecordFile();
    ClearRoleTables();
    ReleaseGameResources();
    LogResMem("   AllLib Mem(K)\n");
    timer.LogElapsed("  Other.ClearUp\n");
    CloseResourceLibraries();
    if (m_pDisplay) {
        DisplayRestoreDesktop(m_pDisplay);
        DisplayDelete(&m_pDisplay);
    }
    ReleaseSound();
}

int InitJM() {
    InstallUiHooks();
    WriteLog(kLogFile, "Begin InitJM()\n");
    const int made = g_JMMng.CreatePanels();
    WriteLog(kLogFile, "End InitJM()\n");
    // Without a font every text is gone; the game still runs.
    if (made && !JMFont(0)->IsUsable()) {
        const std::string message = "No usable font, so the game shows no text: looked for " +
                                    plat::DescribeFontSearch() +
                                    ". Set VANTREL_FONT to a TrueType font file (Debian: fonts-wqy-zenhei).";
        plat::MessageBox(message, "vantrel", plat::MB_OK);
    }
    return made;
}

void JM_BeginOut() {
    g_MouseCursor.SetAttached(nullptr);
    if (g_MouseCursor.m_Shape < 2) {
        g_MouseCursor.m_Frame = 0;
        g_MouseCursor.m_Shape = 1;
    }
    g_GameMain.m_ReqDisplayMode = DM_640;
    g_GestureInput.SetFreeDraw(1);
    if (g_IntroMoviePending) {
        const std::string path = std::string(GetProgramDirectory()) + "\\dhp\\begin.dhp";
        g_GameMain.PlayMovie(path.c_str());
        g_IntroMoviePending = 0;
        WriteLog(kLogFile, "LogAVI\n");
        return;
    }
    WriteLog(kLogFile, "Begin JM_BeginOut()\n");
    g_GameMain.PlayMusic("25_HERO", 1);
    g_JMMng.ShowAll(0);
    if (g_JMTitleMenu) g_JMTitleMenu->Show(1, 0);
    g_GameHost.Shutdown();
    WriteLog(kLogFile, "End JM_BeginOut()\n");
}

void JM_EndOut() {
    g_JMMng.ShowAll(-1);
    WriteLog(kLogFile, "End JM_EndOut()\n");
    StopAllSounds();
    g_SoundMng.UnloadSounds(0);
}

void JM_BeginIn() {
    WriteLog(kLogFile, "End JM_BeginIn()\n");
    StopAllSounds();
    g_GestureInput.SetFreeDraw(0);
}

void JM_EndIn() {
    WriteLog(kLogFile, "End JM_EndIn()\n");
    StopAllSounds();
    g_SoundMng.UnloadSounds(0);
}

void JM_BeginDead() { WriteLog(kLogFile, "End JM_BeginDead()\n"); }

void JM_EndDead() { WriteLog(kLogFile, "End JM_EndDead()\n"); }
