#include "datagen/fixture_crowd.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

namespace datagen {

namespace {

// Cells handed out once each, from a fixed generator.
class CellPicker {
public:
    // A free cell in the box [x0, x1) x [y0, y1), clamped to the open map
    // (a patrol's path reaches 3 cells right and down).
    std::pair<int, int> Pick(int x0, int y0, int x1, int y1) {
        x0 = std::max(x0, 2), y0 = std::max(y0, 2);
        x1 = std::min(x1, kCrowdSize - 5), y1 = std::min(y1, kCrowdSize - 5);
        for (int tries = 0; tries < 10000; ++tries) {
            const int x = x0 + static_cast<int>(Next() % static_cast<uint32_t>(x1 - x0));
            const int y = y0 + static_cast<int>(Next() % static_cast<uint32_t>(y1 - y0));
            if (Take(x, y)) return {x, y};
        }
        // A crowded box: the first free cell of the map.
        for (int y = 2; y < kCrowdSize - 5; ++y)
            for (int x = 2; x < kCrowdSize - 5; ++x)
                if (Take(x, y)) return {x, y};
        return {x0, y0};
    }
    bool Take(int x, int y) { return used_.insert({x, y}).second; }

private:
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    uint32_t state_ = 20261211u;
    std::set<std::pair<int, int>> used_;
};

} // namespace

FixtureGame CrowdFixtureGame(int roles) {
    FixtureGame g = DefaultFixtureGame();
    // The hero: class 0, too tough to fall and too slow to kill anyone.
    PlayerInitSpec hero;
    hero.classId = 0;
    hero.maxHP = 100000000, hero.hpResume = 1000, hero.dp = 50, hero.hr = 5, hero.sp = 24;
    hero.leftSkill = 0, hero.rightSkills = "";
    g.classes.push_back(hero);
    // Every thinking model sees 20 cells (the camps see the hero) and carries
    // HP for the whole run; strikes reach two cells as in the AI scenarios.
    for (auto& row : g.rolePrivates) row.Sight(20).Set(9, 100000000).Set(10, 20).Set(13, 60).Set(3, 16).Set(4, 24);
    for (auto& sk : g.skills)
        if (sk.Cells().size() > 3 && sk.Cells()[3] == std::to_string(kFixtureStrikeSkill)) sk.Range(128);

    g.map.assign(kCrowdSize, std::string(kCrowdSize, '.'));
    for (int i = 0; i < kCrowdSize; ++i) {
        g.map[0][size_t(i)] = g.map[kCrowdSize - 1][size_t(i)] = '#';
        g.map[size_t(i)][0] = g.map[size_t(i)][kCrowdSize - 1] = '#';
    }
    // A few walls and soft patches, so paths bend and walkers leave marks.
    for (int k = 1; k < 8; ++k) {
        const int y = k * 16;
        for (int x = 20; x < 44; ++x) g.map[size_t(y)][size_t(x + (k % 2) * 60)] = '#';
        for (int x = 0; x < 6; ++x) g.map[size_t(y + 4)][size_t(70 - k * 8 + x)] = ':';
    }
    g.desc.portals = {{"NULL", kCrowdHeroX, kCrowdHeroY, 4}, {"DEAD", kCrowdHeroX - 4, kCrowdHeroY - 4, 4}};
    // The scene script: a repeating pair of triggers that toggles a flag.
    g.triggers = {{"IsFlag local1 0", "SetFlag local1 1", "1"}, {"IsFlag local1 1", "SetFlag local1 0", "1"}};

    CellPicker cells;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) cells.Take(kCrowdHeroX + dx, kCrowdHeroY + dy);
    const int n = std::max(roles, 20) - 1;  // the hero is one of them
    const int packs = std::max(1, n / 50);
    const int perCamp = n / 10;
    const int patrols = n / 5, wanderers = n / 5;
    const int followers = n - 4 * perCamp - patrols - wanderers - 4 * packs;
    auto& list = g.objects.cha;

    // The camps: NE, NW, SE, SW of the hero, their thinker kind mixed with
    // melee monsters of reaction 0-3.
    const int kinds[4] = {kFixtureKeeperModel, kFixtureCollectorModel, kFixtureCasterModel, kFixtureSeerModel};
    const int campX[4] = {kCrowdHeroX + 6, kCrowdHeroX - 12, kCrowdHeroX + 6, kCrowdHeroX - 12};
    const int campY[4] = {kCrowdHeroY - 12, kCrowdHeroY - 12, kCrowdHeroY + 6, kCrowdHeroY + 6};
    int side = 4;
    while (side * side < perCamp * 2) ++side;
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < perCamp; ++i) {
            const auto [x, y] = cells.Pick(campX[c], campY[c], campX[c] + side, campY[c] + side);
            const int model = i % 2 ? kinds[c] : kFixtureReactionModel + (i / 2) % 4;
            list.push_back(FixtureIdlePlacement(model, x, y, 0));
        }
    // Patrols and wanderers over the whole map; followers beside wanderers.
    std::vector<std::pair<int, int>> wanderAt;
    for (int i = 0; i < patrols; ++i) {
        const auto [x, y] = cells.Pick(2, 2, kCrowdSize, kCrowdSize);
        list.push_back(FixtureIdlePlacement(kFixtureReactionModel + 1 + i % 5, x, y, 2));
    }
    for (int i = 0; i < wanderers; ++i) {
        const auto [x, y] = cells.Pick(2, 2, kCrowdSize, kCrowdSize);
        wanderAt.push_back({x, y});
        list.push_back(FixtureIdlePlacement(i % 3 ? kFixtureReactionModel + 2 : kFixtureKeeperModel, x, y, 1));
    }
    for (int i = 0; i < followers; ++i) {
        const auto at = wanderAt.empty() ? std::pair<int, int>{kCrowdHeroX, kCrowdHeroY}
                                         : wanderAt[size_t(i) % wanderAt.size()];
        const auto [x, y] = cells.Pick(at.first - 2, at.second - 2, at.first + 3, at.second + 3);
        list.push_back(FixtureIdlePlacement(kFixtureReactionModel + 3, x, y, 3));
    }
    // Packs of four wolves, each in a free 2 x 2 square.
    for (int p = 0; p < packs; ++p) {
        for (int tries = 0; tries < 1000; ++tries) {
            const auto [x, y] = cells.Pick(4, 4, kCrowdSize - 6, kCrowdSize - 6);
            if (cells.Take(x + 1, y) && cells.Take(x, y + 1) && cells.Take(x + 1, y + 1)) {
                for (const ScnObjRecord& r : FixturePack(kFixtureWolfModel, x, y, p + 1)) list.push_back(r);
                break;
            }
        }
    }
    return g;
}

} // namespace datagen
