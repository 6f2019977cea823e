#pragma once
// Path search over the map cells: a best-first search whose estimate
// outweighs the step costs, so it runs close to greedy toward the goal.
// When the goal cannot be reached within the node budget the search ends
// on the node closest to the goal by the estimate, so a role still walks
// as near as it can.
//
// Keys are cells packed into 32 bits: x in the low 16 bits, y in the high
// 16 bits, both read back as signed 16-bit values. Every tie is fixed: the
// open list is a 1-based binary heap on f = g + h (a node rises while its f
// is strictly smaller than its parent's; sinking takes the smaller child,
// the left one on a tie), the neighbours are tried in direction order, the
// goal is tested on generated neighbours, expanded nodes are never
// re-opened, and the closest node is the one of smallest h made first.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/geometry.h"
#include "world/map/map_grid.h"

inline uint32_t MakePathKey(int32_t x, int32_t y) {
    return uint32_t(uint16_t(x)) | uint32_t(uint16_t(y)) << 16;
}
inline int32_t PathKeyX(uint32_t key) { return int16_t(key & 0xFFFF); }
inline int32_t PathKeyY(uint32_t key) { return int16_t(key >> 16); }

// Step directions of the search, from up (y - 1) turning clockwise.
extern const CGamePoint kPathDir[8];

class CPathSearch;

// What a search learns of its map.
class CPathAdapter {
public:
    virtual ~CPathAdapter() = default;
    // The key one step in direction d (0-7) and its cost; 0 refuses the step.
    virtual int GetNeighbour(uint32_t key, int d, uint32_t* out, int32_t* cost) = 0;
    virtual int32_t Estimate(uint32_t key) = 0;
    virtual int IsGoal(uint32_t key, int32_t g) = 0;
};

// The map adapter for a role of a walk class; its camp is the path camp
// (SetPathCamp) set before the search. A straight step costs 1, a diagonal
// 3, either 8 more onto a cell held by a role of the mover's camp.
class CPathMap final : public CPathAdapter {
public:
    CPathMap() = default;
    CPathMap(CMapGrid* grid, uint8_t walkClass, int32_t goalX, int32_t goalY)
        : m_pGrid(grid), m_WalkClass(walkClass), m_GoalX(int16_t(goalX)), m_GoalY(int16_t(goalY)) {}

    int GetNeighbour(uint32_t key, int d, uint32_t* out, int32_t* cost) override {
        if (!m_pGrid) return 0;
        const int32_t x = PathKeyX(key), y = PathKeyY(key);
        const int32_t nx = x + kPathDir[d].x, ny = y + kPathDir[d].y;
        const CMapCell* to = m_pGrid->GetCell(nx, ny);
        if (!to) return 0;
        const int p = to->Passable(m_WalkClass);
        if (p == kPassBlocked) return 0;
        int32_t c = 1;
        if (p == kPassOwnCamp) {
            // No step from one own-camp role's cell onto another's.
            const CMapCell* from = m_pGrid->GetCell(x, y);
            if (from && from->m_Occupant != to->m_Occupant && from->Passable(m_WalkClass) == kPassOwnCamp) return 0;
            c += 8;
        }
        if (d & 1) {
            const CMapCell* a = m_pGrid->GetCell(nx, y);
            const CMapCell* b = m_pGrid->GetCell(x, ny);
            if ((!a || a->Passable(m_WalkClass) == kPassBlocked) && (!b || b->Passable(m_WalkClass) == kPassBlocked))
                return 0;
            c += 2;
        }
        *out = MakePathKey(nx, ny);
        *cost = c;
        return 1;
    }
    // 4 min + 10 max of the distances along x and y.
    int32_t Estimate(uint32_t key) override {
        const int32_t dx = std::abs(m_GoalX - PathKeyX(key)), dy = std::abs(m_GoalY - PathKeyY(key));
        return dx <= dy ? 4 * dx + 10 * dy : 10 * dx + 4 * dy;
    }
    int IsGoal(uint32_t key, int32_t) override { return key == MakePathKey(m_GoalX, m_GoalY) ? 1 : 0; }

    // The path of the engine's last search as cells, from the result back
    // to the start (result first, start last); the result cell only when it
    // lies in the grid, passes the walk class and has no role. At most
    // `capacity` points: a longer path keeps those nearest the start (the
    // role walks that part and searches again). The number written.
    int CollectPath(CGamePoint* out, int capacity) const;

    CMapGrid* m_pGrid = nullptr;
    uint8_t m_WalkClass = 1;
    int16_t m_GoalX = 0;
    int16_t m_GoalY = 0;
    CPathSearch* m_pEngine = nullptr;
};

class CPathSearch {
public:
    struct Node {
        uint32_t key;
        int32_t parent;  // node index, -1 for the start
        int32_t g;
        int32_t h;
        uint8_t dir;  // step from the parent, 255 for the start
    };

    CPathSearch() = default;
    virtual ~CPathSearch() = default;
    CPathSearch(const CPathSearch&) = delete;
    CPathSearch& operator=(const CPathSearch&) = delete;

    // -1 when the start is the goal (a one-node path), 1 when the goal was
    // reached, 0 otherwise (the result is then the closest node). budget 0
    // searches until the open list is empty; otherwise the search stops once
    // that many nodes were made (checked after each node's 8 neighbours).
    virtual int Search(uint32_t start, CPathMap* map, int32_t budget);
    // Null buffer: the number of steps. Else the directions in walking
    // order and 1, or only the first `capacity` of them and 0; -1 without
    // a result.
    virtual int GetPathDirs(uint8_t* buffer, int capacity) const;
    // The same with the keys of the nodes after the start.
    virtual int GetPathKeys(uint32_t* buffer, int capacity) const;
    virtual void Reset();
    // Reset and give back all memory.
    virtual void Free();

    const Node* Result() const { return m_Result >= 0 ? &m_Nodes[size_t(m_Result)] : nullptr; }
    const Node& NodeAt(int32_t i) const { return m_Nodes[size_t(i)]; }
    int32_t ResultIndex() const { return m_Result; }
    int32_t NodeCount() const { return m_NodeCount; }

private:
    struct HeapEntry {
        int32_t f;
        int32_t node;
    };
    struct CellMark {
        uint32_t gen;  // the node is valid while this equals the search's generation
        int32_t node;
    };
    int32_t AddNode(uint32_t key, int32_t parent, uint8_t dir, int32_t g, int32_t h);
    // Room for `more` nodes beyond those made.
    void Reserve(int32_t more);
    int32_t Steps() const;

    // Sized to capacity; the first m_NodeCount are the nodes made.
    std::vector<Node> m_Nodes;
    // Per node: its 1-based position in the open list, 0 once expanded.
    std::vector<int32_t> m_HeapPos;
    std::vector<HeapEntry> m_Heap;  // [0] unused
    int32_t m_NodeCount = 0;
    int32_t m_HeapSize = 0;
    // Per cell of the grid searched: the node made on it.
    std::vector<CellMark> m_CellMark;
    uint32_t m_Gen = 0;
    int32_t m_Result = -1;
};

CPathSearch* CreatePathSearch();
