// Builds a scene of a data folder the way the game does and writes one
// 800 x 600 frame of it as PNG, painted by the client's view port as the
// running game paints it (the lit display). A looking aid.
//
//   worldview DATA OUT.png [--scene S] [--ticks N] [--hour H] [--weather K] [--drop PROP] [--at X,Y]
//             [--corpse] [--hero] [--magic ID,X,Y]...
//
// DATA is a data folder (tools/mkdemo writes one). The view is centred on
// the scene's "NULL" portal (else the map's middle). --ticks runs N logic
// ticks of the server and client passes first (default 30); --hour sets the
// calendar's hour (default the game's start, 20:00, as the host resets it); --weather starts that
// weather kind; --drop puts the item of that "PropMdl.txt" id down at the
// view's centre; --at centres the view on map cell (X, Y) instead of the
// portal; --corpse lays a dead hero two cells from the centre and flings its
// head off (it falls 15 ticks after the start and lies some 20 ticks later;
// a falling corpse is drawn with the first layer); --hero puts the player's
// character (model 1) on the centre cell, as a joining client's would stand;
// --magic builds the "SkillChild.ini" object ID at map cell (X, Y), aimed at
// the view's centre and at the role standing there (repeatable; built
// before the ticks, so a projectile is drawn where it has flown to).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game_app.h"
#include "app/game_main.h"
#include "client/painter.h"
#include "core/directories.h"
#include "core/geometry.h"
#include "core/log.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "platform/png.h"
#include "platform/window.h"
#include "roles/magic/magic.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/things/anim_map_obj.h"
#include "world/buildings/bld.h"
#include "world/things/corpse.h"
#include "world/things/fly_beastie.h"
#include "world/sky/game_clock.h"
#include "world/map/iso_grid.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/sky/weather.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

constexpr int32_t kW = 800, kH = 600;



int Usage() {
    std::fprintf(stderr,
                 "usage: worldview DATA OUT.png [--scene S] [--ticks N] [--hour H] [--weather K] [--drop PROP] "
                 "[--at X,Y] [--corpse] [--hero] [--magic ID,X,Y]...\n");
    return 2;
}

// The character death code's steps: a dead hero at `cell` holding its first
// death frame 15 ticks, and its head flung off backwards.
void LayCorpse(const CGamePoint& cell) {
    constexpr int kHeroModel = 1, kFacing = 3;
    const CGamePoint at = TileToPixel(cell);
    auto* body = new CCorpse;
    body->PlaceAt(6, at.x, at.y, kFacing, kHeroModel, 0);
    body->SetSprite(nullptr);
    body->SetState(CCorpseBase::kFalling);
    body->SetRoleData(nullptr, 0);
    body->SetCountdown(15);
    g_CurObjMng->Register(body->m_Handle);
    auto* head = new CCorpsePart;
    head->PlaceAt(6, at.x, at.y, kFacing, kHeroModel, 0);
    head->SetSprite(nullptr);
    head->SetRoleData(nullptr, 0);
    head->SetState(CCorpseBase::kFalling);
    g_CurObjMng->Register(head->m_Handle);
    ShowAllRoleSpriteParts(head->m_pSprite, 0);
    ShowRoleSpritePart(head->m_pSprite, "HD", 1);
    ShowRoleSpritePart(body->m_pSprite, "HD", 0);
    head->SetPart("HD");
    if (!body->m_pSprite) std::fprintf(stderr, "worldview: the hero's sprite was not made\n");
}

// The role standing on the cell dies with that death mode.
void KillAt(CWorld& world, int x, int y, int mode) {
    const CMapCell* cell = world.m_MapGrid.GetCell(x, y);
    CGameObj* role = cell && cell->m_Occupant != kNoObj ? world.m_pHandles->Resolve16(cell->m_Occupant) : nullptr;
    if (!role || !role->IsRole()) {
        std::fprintf(stderr, "worldview: no role stands on cell %d,%d\n", x, y);
        return;
    }
    if (g_SceneHooks.die) g_SceneHooks.die(role, mode, 0);
}

bool WriteFrame(CSurface& s, const std::string& path) {
    std::vector<uint8_t> rgb(size_t(kW) * kH * 3);
    const uint8_t* p = s.Lock(nullptr);
    if (!p) return false;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const uint16_t v = static_cast<uint16_t>(p[size_t(y) * s.m_Pitch + 2 * x] | p[size_t(y) * s.m_Pitch + 2 * x + 1] << 8);
            uint8_t* o = &rgb[(size_t(y) * kW + x) * 3];
            o[0] = static_cast<uint8_t>(((v >> 11) & 31) * 255 / 31);
            o[1] = static_cast<uint8_t>(((v >> 5) & 63) * 255 / 63);
            o[2] = static_cast<uint8_t>((v & 31) * 255 / 31);
        }
    s.Unlock();
    return plat::WritePngRgb(path, kW, kH, rgb.data());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string scene = "Start";
    int ticks = 30, hour = -1, weatherKind = -1, drop = -1;
    int atX = -1, atY = -1;
    int killX = -1, killY = -1, killMode = 0;
    bool corpse = false, hero = false;
    struct MagicAt {
        int id, x, y;
    };
    std::vector<MagicAt> magics;
    for (int i = 3; i < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--corpse" || opt == "--hero") {  // take no value
            (opt == "--corpse" ? corpse : hero) = true;
            --i;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const char* v = argv[i + 1];
        if (opt == "--scene") scene = v;
        else if (opt == "--ticks") ticks = std::atoi(v);
        else if (opt == "--hour") hour = std::atoi(v);
        else if (opt == "--weather") weatherKind = std::atoi(v);
        else if (opt == "--drop") drop = std::atoi(v);
        else if (opt == "--at" && std::sscanf(v, "%d,%d", &atX, &atY) == 2) {}
        else if (opt == "--kill" && std::sscanf(v, "%d,%d,%d", &killX, &killY, &killMode) == 3) {}
        else if (MagicAt m{}; opt == "--magic" && std::sscanf(v, "%d,%d,%d", &m.id, &m.x, &m.y) == 3) magics.push_back(m);
        else {
            std::fprintf(stderr, "worldview: unknown option %s\n", opt.c_str());
            return Usage();
        }
    }
    setenv("VANTREL_HOME", argv[1], 1);
    plat::UseHeadlessBackend();
    g_AppClock.Reset();
    if (!g_GameApp.InitInstance() || !g_GameMain.StartApp()) {
        std::fprintf(stderr, "worldview: the data folder %s does not start\n", argv[1]);
        return 1;
    }
    // The calendar as a started game has it.
    ResetGameClock();
    if (hour >= 0) SetGameClock(0, 0, 0, hour % 24, 0);

    // The client part of this process: lights are made and drawn.
    g_WorldHooks.hostHasClient = [] { return 1; };
    g_WorldHooks.isLightingOn = [] { return 0; };
    // The game's default display: every object light through the grid.
    g_WorldHooks.getDisplayOption = [] { return 2; };
    // The scene and its world go before the program shuts down as the game
    // does (panels, libraries, the display).
    int ok = 0;
    {
        CWeather weather;
        g_Weather = &weather;

        // The server's way: a scene, its world, then its objects.
        CScene server(scene);
        SetCurrentScene(&server);
        // The scene's own world: its scene row (type, so drops) and its
        // script come with it.
        CWorld& world = *server.m_pWorld;
        const int built = BuildMap(&world, scene.c_str());
        BuildObj(&world);
        world.ApplySceneEnv();
        if (!built) std::fprintf(stderr, "worldview: scene %s built with errors (see the messages above)\n", scene.c_str());

        CGamePoint centre{world.m_MapGrid.Width() / 2, world.m_MapGrid.Height() / 2};
        if (const CScnPortal* p = world.FindPortal("NULL")) centre = {p->m_X, p->m_Y};
        if (atX >= 0 && atY >= 0) centre = {atX, atY};
        // The game's view port, its origin put where the centre cell's box
        // centre lies in the middle of the frame (unclamped: a view at the
        // map's edge shows what lies beyond it).
        CPainter painter;
        ServeViewOrigin(&painter);
        painter.SetViewRect(0, 0, kW, kH);
        painter.PrepareScene(&world);
        const CGamePoint tl = CellTopLeft(centre.x, centre.y);
        painter.m_View.x = tl.x + 32 - kW / 2;
        painter.m_View.y = tl.y + 16 - kH / 2;

        world.MakeCurrent();
        if (drop >= 0 && !world.m_ObjMng.AddProp(drop, centre.x + 1, centre.y + 1, 0, 1))
            std::fprintf(stderr, "worldview: item %d was not put down\n", drop);
        if (corpse) LayCorpse(CGamePoint{centre.x + 2, centre.y});
        if (hero && !world.m_ObjMng.AddRole(1, centre.x, centre.y, 1, 0, 0, -1, -1))
            std::fprintf(stderr, "worldview: the hero was not placed\n");
        // The skill object the magic objects come from stands on the centre:
        // without an owner its children aim at it and at the role there.
        CMagic aim;
        aim.SetPos(centre.x * 64 + 32, centre.y * 64 + 32);
        if (const CMapCell* c = world.m_MapGrid.GetCell(centre.x, centre.y); c && c->m_Occupant != kNoObj)
            if (CGameObj* r = ResolveHandle16(c->m_Occupant)) aim.m_TargetHandle = r->m_Handle;
        for (const MagicAt& m : magics) {
            if (!world.m_ObjMng.AddMagic(m.id, m.x * 64 + 32, m.y * 64 + 32, &aim, 0))
                std::fprintf(stderr, "worldview: magic object %d was not built\n", m.id);
        }
        if (weatherKind >= 0) {
            weather.SetWeather(weatherKind, 100000);
            weather.StartEffect();  // as a client that joins during it
        }
        for (int t = 0; t < ticks; ++t) {
            world.MakeCurrent();
            if (t == 0 && killX >= 0) KillAt(world, killX, killY, killMode);
            // As the server steps: the calendar and tick count (roles time
            // their moves by it), then the scene's tick (the object passes,
            // the skills riding on roles, the lights, its script); then the
            // client pass.
            TickGameClock();
            server.Tick();
            world.MakeCurrent();
            world.m_ObjMng.PostUpdate();
            weather.Tick();
        }
        weather.ApplyDaylight();
        weather.ApplyAmbientMode();

        CSurface frame(kW, kH, 1);
        frame.FillAll(0);
        const int drawn = painter.Paint(&frame, &world, &weather);
        if (std::getenv("WORLDVIEW_VERBOSE"))
            std::fprintf(stderr, "%d objects drawn, %d buildings, centre cell %d,%d\n", drawn, painter.m_BuildingCount, centre.x, centre.y);
        CMapGrid& grid = world.m_MapGrid;

        ok = WriteFrame(frame, argv[2]);
        if (!ok) std::fprintf(stderr, "worldview: cannot write %s\n", argv[2]);
        else std::printf("%s: scene %s, %d x %d cells, %d ticks, %02d:00, weather %d\n", argv[2], scene.c_str(),
                         grid.Width(), grid.Height(), ticks, GetGameClock()->hour, weather.m_Kind);
        g_Weather = nullptr;
        ServeViewOrigin(nullptr);
        world.Clear();
        SetCurrentScene(nullptr);
    }
    g_GameMain.Shutdown();
    g_GameApp.ExitInstance();
    return ok ? 0 : 1;
}
