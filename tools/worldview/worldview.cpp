// Builds a scene of a data folder the way the game does and writes one
// 800 x 600 frame of it as PNG, drawn in a simple fixed order: tiles,
// layer-0 objects, buildings by layer, layer-1/3 and layer-2 objects, the
// light grid, the weather. A looking aid until the painter exists.
//
//   worldview DATA OUT.png [--scene S] [--ticks N] [--hour H] [--weather K] [--drop PROP] [--at X,Y]
//             [--corpse]
//
// DATA is a data folder (tools/mkdemo writes one). The view is centred on
// the scene's "NULL" portal (else the map's middle). --ticks runs N logic
// ticks of the server and client passes first (default 30); --hour sets the
// calendar's hour (default the game's start, 20:00); --weather starts that
// weather kind; --drop puts the item of that "PropMdl.txt" id down at the
// view's centre; --at centres the view on map cell (X, Y) instead of the
// portal; --corpse lays a dead hero two cells from the centre and flings its
// head off (it falls 15 ticks after the start and lies some 20 ticks later;
// a falling corpse is drawn with the first layer).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game_app.h"
#include "app/game_main.h"
#include "core/directories.h"
#include "core/geometry.h"
#include "core/log.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/role_sprite.h"
#include "gfx/surface.h"
#include "platform/png.h"
#include "platform/window.h"
#include "world/things/anim_map_obj.h"
#include "world/buildings/bld.h"
#include "world/things/corpse.h"
#include "world/things/fly_beastie.h"
#include "world/sky/game_clock.h"
#include "world/map/iso_grid.h"
#include "world/scene/scn_mng.h"
#include "world/sky/weather.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

constexpr int32_t kW = 800, kH = 600;

int g_Option = 0;
CGamePoint g_Origin{0, 0};

int Usage() {
    std::fprintf(stderr,
                 "usage: worldview DATA OUT.png [--scene S] [--ticks N] [--hour H] [--weather K] [--drop PROP] "
                 "[--at X,Y] [--corpse]\n");
    return 2;
}

// The staggered layout of a map cell (what buildings draw by), top-left.
CGamePoint CellTopLeft(int32_t x, int32_t y) {
    const CGamePoint c = TileToCell(x, y);
    return CellToPixel(c.x, c.y);
}

// The objects of a draw list; their count.
int DrawList(CObjList* list, CSurface* s) {
    int n = 0;
    for (CObjNode* node = list ? list->Head() : nullptr; node; node = node->Next()) {
        auto* obj = static_cast<CDrawNode*>(node)->m_pObj;
        if (auto* a = dynamic_cast<CAnimMapObj*>(obj)) {
            // The view was set after the objects were made.
            a->UpdateScreenRect();
            a->Draw(s);
        } else if (auto* f = dynamic_cast<CFlyObj*>(obj)) {
            // Flying creatures expect the painter's screen rectangle first.
            f->UpdateScreenRect();
            f->Draw(s);
        } else {
            continue;
        }
        ++n;
        if (std::getenv("WORLDVIEW_VERBOSE"))
            std::fprintf(stderr, "kind %d at cell (%d, %d), screen (%d, %d) %dx%d\n", obj->m_Kind, obj->m_X / 64,
                         obj->m_Y / 64, obj->m_ScreenRect.x, obj->m_ScreenRect.y, obj->m_ScreenRect.width,
                         obj->m_ScreenRect.height);
    }
    return n;
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
    bool corpse = false;
    for (int i = 3; i < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--corpse") {  // takes no value
            corpse = true;
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
    if (hour >= 0) SetGameClock(0, 0, 0, hour % 24, 0);

    // The client part of this process: lights are made and drawn, and the
    // view origin comes from here.
    g_WorldHooks.hostHasClient = [] { return 1; };
    g_WorldHooks.getDisplayOption = [] { return g_Option; };
    g_WorldHooks.isLightingOn = [] { return 0; };
    g_WorldHooks.getViewOrigin = [](CGamePoint* o) {
        *o = g_Origin;
        return 1;
    };
    // The scene and its world go before the program shuts down as the game
    // does (panels, libraries, the display).
    int ok = 0;
    {
        CWeather weather;
        g_Weather = &weather;

        // The server's way: a scene, its world, then its objects.
        CScene server(scene);
        SetCurrentScene(&server);
        CWorld world;
        const int built = BuildMap(&world, scene.c_str());
        BuildObj(&world);
        world.ApplySceneEnv();
        if (!built)
            std::fprintf(stderr, "worldview: scene %s built with errors (see the messages above)\n", scene.c_str());

        CGamePoint centre{world.m_MapGrid.Width() / 2, world.m_MapGrid.Height() / 2};
        if (const CScnPortal* p = world.FindPortal("NULL")) centre = {p->m_X, p->m_Y};
        if (atX >= 0 && atY >= 0) centre = {atX, atY};
        const CGamePoint tl = CellTopLeft(centre.x, centre.y);
        g_Origin = {tl.x + 32 - kW / 2, tl.y + 16 - kH / 2};
        // The iso grid (items, creatures, weather) lined up with the same view.
        g_IsoGrid.SetView(0, 0, 0, 0);
        const CGamePoint iso = g_IsoGrid.CellToScreen(centre.x, centre.y);
        g_IsoGrid.SetView(0, 0, iso.x - (tl.x - g_Origin.x), iso.y - (tl.y - g_Origin.y));
        ViewRect view;
        view.width = kW;
        view.height = kH;
        SetViewRect(view);
        g_LightGrid.Init(8, kW, kH);

        world.MakeCurrent();
        if (drop >= 0 && !world.m_ObjMng.AddProp(drop, centre.x + 1, centre.y + 1, 0, 1))
            std::fprintf(stderr, "worldview: item %d was not put down\n", drop);
        if (corpse) LayCorpse(CGamePoint{centre.x + 2, centre.y});
        if (weatherKind >= 0) {
            weather.SetWeather(weatherKind, 100000);
            weather.StartEffect();  // as a client that joins during it
        }
        for (int t = 0; t < ticks; ++t) {
            world.MakeCurrent();
            world.m_ObjMng.Update();
            world.m_ObjMng.UpdateActions();
            world.m_LightList.Update();
            world.m_ObjMng.PostUpdate();
            weather.Tick();
        }
        weather.ApplyDaylight();
        weather.ApplyAmbientMode();

        CSurface scratch(kW, kH, 1), frame(kW, kH, 1);
        scratch.FillAll(0);
        const CGameRect clip{0, 0, kW, kH};
        CMapGrid& grid = world.m_MapGrid;
        for (int32_t y = 0; y < grid.Height(); ++y)
            for (int32_t x = 0; x < grid.Width(); ++x) {
                const CGamePoint p = CellTopLeft(x, y);
                const int32_t sx = p.x - g_Origin.x, sy = p.y - g_Origin.y;
                if (sx < -64 || sy < -32 || sx > kW || sy > kH) continue;
                const CMapCell* cell = grid.GetCell(x, y);
                for (uint16_t tile : {cell->m_Tile0, cell->m_Tile1})
                    if (CImage* img = grid.Tiles().GetTileImage(tile))
                        img->Draw(&scratch, sx, sy, kDrawCopy, -1, &clip);
            }
        CObjMng& mng = world.m_ObjMng;
        g_Option = 0;
        DrawList(mng.GetDrawList(0), &scratch);
        // Falling corpses sit on no draw list.
        for (int i = mng.m_CorpsePool.First(); i != -1; i = mng.m_CorpsePool.Next(i))
            if (auto* c = static_cast<CCorpse*>(mng.m_CorpsePool.GetAt(i)); c->m_State == CCorpseBase::kFalling)
                c->Draw(&scratch);
        for (int layer = 0; layer < 3; ++layer)
            for (CObjNode* n = mng.m_SceneObjs.Head(); n; n = n->Next())
                if (auto* b = dynamic_cast<CBld*>(static_cast<CGameObj*>(n))) {
                    b->UpdateScreenRect();
                    b->DrawClipped(&scratch, &clip, layer);
                }
        DrawList(mng.GetDrawList(1), &scratch);
        DrawList(mng.GetDrawList(2), &scratch);
        // Every light stamped into the grid, the frame copied through it.
        g_Option = 2;
        world.m_LightList.Draw();
        g_LightGrid.Apply(&frame, &scratch, &g_LightGrid.Map(), clip);
        weather.Draw(&frame);

        ok = WriteFrame(frame, argv[2]);
        if (!ok) std::fprintf(stderr, "worldview: cannot write %s\n", argv[2]);
        else std::printf("%s: scene %s, %d x %d cells, %d ticks, %02d:00, weather %d\n", argv[2], scene.c_str(),
                         grid.Width(), grid.Height(), ticks, GetGameClock()->hour, weather.m_Kind);
        g_Weather = nullptr;
        world.Clear();
        SetCurrentScene(nullptr);
    }
    g_GameMain.Shutdown();
    g_GameApp.ExitInstance();
    return ok ? 0 : 1;
}
