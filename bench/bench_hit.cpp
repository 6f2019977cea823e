// The hit resolution rate: one skill's magic object striking one role, with
// ice damage by level, a side effect that lands on every second hit and
// stagger, alone (`CRole::ResolveHit`) and through the magic object's
// contact test (`CMagic::CanHit`: line of sight, camp and height, the
// role's hit handler, the hit list and list 1). The struck role never
// dies: its HP is put back before each hit.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/define_values.h"
#include "core/txt_table.h"
#include "datagen/fixture_game.h"
#include "datagen/table_writer.h"
#include "platform/random.h"
#include "roles/magic/magic.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace bench_hit {

class CBenchRole : public CAiRole {
public:
    int32_t GetSH() override { return 40; }
    float GetNuFactor() override { return 10.0f; }
};

struct HitWorld {
    std::string dir;
    std::unique_ptr<CHandleTable> table = std::make_unique<CHandleTable>();
    std::unique_ptr<CMapGrid> grid = std::make_unique<CMapGrid>();
    std::unique_ptr<CObjMng> mng;
    std::unique_ptr<CBenchRole> attacker, victim;
    std::unique_ptr<CMagic> magic;
    bool ok = false;

    HitWorld() {
        char tmpl[] = "/tmp/bench-hit-XXXXXX";
        if (const char* d = mkdtemp(tmpl)) dir = std::string(d) + "/";
        if (dir.empty()) return;
        const bool written =
            datagen::WriteTable(dir + "RolePrivate.txt",
                                {{"Name", "Id"},
                                 datagen::RolePrivateRow().Name("A").Id(2).Set(2, 10).Set(9, 100).Set(10, 50)
                                     .Set(13, 40).Set(17, 30).Cells(),
                                 datagen::RolePrivateRow().Name("V").Id(3).Set(2, 4).Set(9, 1000000).Set(11, 20)
                                     .Cells()}) &&
            datagen::WriteTable(dir + "Skill.ini",
                                datagen::RowsOf(std::vector<datagen::SkillRow>{
                                    datagen::SkillRow().Name("Ice").Id(1).Group(1).Scales("1.0", "1.0", "1.0")
                                        .LevelPercent("100*0*0").SideState("20*3").SideStateChance(50)
                                        .Effects({{1, 1, 0, 0, 0, 0}})}));
        if (!written) return;
        g_RolePrivateTable.Load((dir + "RolePrivate.txt").c_str(), 1, 1, 1);
        g_SkillTable.Load((dir + "Skill.ini").c_str());
        g_CurHandleTable = table.get();
        grid->Create(8, 8);
        g_CurMapGrid = grid.get();
        mng = std::make_unique<CObjMng>();
        g_CurObjMng = mng.get();
        InstallRoleHooks();
        g_MaxIceDp = 10;
        attacker = Make(2, 2, 2, 2);
        victim = Make(3, 3, 2, 1);
        magic = std::make_unique<CMagic>();
        magic->m_OwnerHandle = attacker->m_Handle;
        magic->SetSkill(g_SkillTable.GetAt(1));
        magic->SetupEffectLists(magic->GetSkill()->effects.data(), static_cast<int>(magic->GetSkill()->effects.size()));
        magic->m_X = attacker->m_X;
        magic->m_Y = attacker->m_Y;
        plat::SRand(7);
        ok = g_RolePrivateTable.GetRow(2) && magic->GetSkill();
    }
    ~HitWorld() {
        magic.reset();
        attacker.reset();
        victim.reset();
        mng.reset();
        ClearCurrentWorld();
        g_RolePrivateTable.Clear();
        g_SkillTable.Clear();
        ResetDefineValues();
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
    std::unique_ptr<CBenchRole> Make(int level, int cx, int cy, int camp) {
        auto r = std::make_unique<CBenchRole>();
        r->Register(-1);
        r->m_pLevelRow = g_RolePrivateTable.GetRow(level);
        r->m_X = cx * 64 + 32;
        r->m_Y = cy * 64 + 32;
        r->m_Camp = camp;
        r->m_Motion = kMotionStand;
        r->m_Hp = static_cast<float>(r->GetMaxHP());
        r->SetStaggerThreshold(1);
        return r;
    }
    void Reset() {
        victim->m_Hp = 1000000.0f;
        victim->m_StaggerAccum = 0;
        victim->m_Nu = 0;
        attacker->m_Nu = 0;
    }
};

void BM_ResolveHit(benchmark::State& state) {
    HitWorld w;
    if (!w.ok) {
        state.SkipWithError("no world");
        return;
    }
    int64_t landed = 0;
    for (auto _ : state) {
        w.Reset();
        landed += w.victim->ResolveHit(w.magic.get());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["landed"] = benchmark::Counter(static_cast<double>(landed) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ResolveHit);

void BM_CanHitRole(benchmark::State& state) {
    HitWorld w;
    if (!w.ok) {
        state.SkipWithError("no world");
        return;
    }
    int64_t landed = 0;
    for (auto _ : state) {
        w.Reset();
        w.magic->m_HitList.Clear();
        landed += w.magic->CanHit(w.victim.get(), 0);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["landed"] = benchmark::Counter(static_cast<double>(landed) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_CanHitRole);

} // namespace bench_hit
