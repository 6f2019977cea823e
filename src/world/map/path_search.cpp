#include "world/map/path_search.h"

#include <algorithm>
#include <bit>

// The open list keeps each node's position, so a re-priced node rises from
// where it is; its moves are exactly those of the linear-scan heap. Visited
// cells are found through a per-cell index cleared by a generation stamp.
// The map's rules are applied here as CPathMap::GetNeighbour applies them,
// but on the 3x3 cells around the expanded node, read once into bit masks.

namespace {

// The entry comes in by value: reading back a just-written entry as one
// word stalls on store forwarding.
template <class E>
inline void SiftUpAt(E* heap, int32_t* at, int32_t pos, E e) {
    while (pos > 1) {
        const E up = heap[pos >> 1];
        if (!(e.f < up.f)) break;
        heap[pos] = up;
        at[up.node] = pos;
        pos >>= 1;
    }
    heap[pos] = e;
    at[e.node] = pos;
}

// Takes the top off a heap of `size` entries.
template <class E>
inline int32_t PopTopAt(E* heap, int32_t* at, int32_t& size) {
    const int32_t top = heap[1].node;
    at[top] = 0;
    const E e = heap[size--];
    const int32_t n = size;
    if (n == 0) return top;
    int32_t pos = 1;
    for (;;) {
        int32_t c = pos * 2;
        if (c > n) break;
        // The smaller child, the left one on a tie. A branch, not a select:
        // the guess lets the next level's loads start early, where a select
        // would chain every level's loads on the compare before it.
        if (c + 1 <= n && heap[c + 1].f < heap[c].f) ++c;
        const E child = heap[c];
        if (!(child.f < e.f)) break;
        heap[pos] = child;
        at[child.node] = pos;
        pos = c;
    }
    heap[pos] = e;
    at[e.node] = pos;
    return top;
}

// The direction offsets of kPathDir as bit rotations of an 8-bit mask:
// bit d of RotL is bit d-1, of RotR bit d+1.
inline uint32_t RotL(uint32_t m) { return ((m << 1) | (m >> 7)) & 0xFFu; }
inline uint32_t RotR(uint32_t m) { return ((m >> 1) | (m << 7)) & 0xFFu; }

} // namespace

void CPathSearch::Reserve(int32_t more) {
    const size_t need = size_t(m_NodeCount) + size_t(more) + 2;
    if (m_Nodes.size() >= need) return;
    const size_t cap = std::max<size_t>(need, m_Nodes.size() * 2);
    m_Nodes.resize(cap);
    m_HeapPos.resize(cap);
    m_Heap.resize(cap + 1);
}

int32_t CPathSearch::AddNode(uint32_t key, int32_t parent, uint8_t dir, int32_t g, int32_t h) {
    Reserve(1);
    const int32_t n = m_NodeCount++;
    m_Nodes[size_t(n)] = Node{key, parent, g, h, dir};
    SiftUpAt(m_Heap.data(), m_HeapPos.data(), ++m_HeapSize, HeapEntry{g + h, n});
    return n;
}

void CPathSearch::Reset() {
    m_NodeCount = 0;
    m_HeapSize = 0;
    m_Result = -1;
    if (++m_Gen == 0) {
        for (CellMark& m : m_CellMark) m.gen = 0;
        m_Gen = 1;
    }
}

void CPathSearch::Free() {
    Reset();
    std::vector<Node>().swap(m_Nodes);
    std::vector<int32_t>().swap(m_HeapPos);
    std::vector<HeapEntry>().swap(m_Heap);
    std::vector<CellMark>().swap(m_CellMark);
}

int CPathSearch::Search(uint32_t start, CPathMap* map, int32_t budget) {
    Reset();
    CMapGrid* grid = map->m_pGrid;
    const int32_t w = grid ? grid->Width() : 0, h = grid ? grid->Height() : 0;
    const CMapCell* cells = grid ? grid->Cells() : nullptr;
    const size_t cellCount = size_t(w) * size_t(h);
    if (m_CellMark.size() < cellCount) m_CellMark.resize(cellCount, CellMark{0, 0});
    const uint32_t goal = MakePathKey(map->m_GoalX, map->m_GoalY);
    if (start == goal) {
        m_Result = AddNode(start, -1, 255, 0, 0);
        m_HeapSize = 0;
        return -1;
    }
    const uint32_t gen = m_Gen;
    CellMark* mark = m_CellMark.data();
    const int32_t wc = map->m_WalkClass;
    const int32_t goalX = map->m_GoalX, goalY = map->m_GoalY;
    auto inGrid = [w, h](int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < w && y < h; };
    const int32_t off[8] = {-w, -w + 1, 1, w + 1, w, w - 1, -1, -w - 1};

    const int32_t sx = PathKeyX(start), sy = PathKeyY(start);
    int32_t closest = AddNode(start, -1, 255, 0, map->Estimate(start));
    int32_t closestH = m_Nodes[0].h;
    if (inGrid(sx, sy)) mark[int64_t(sy) * w + sx] = CellMark{gen, closest};
    for (;;) {
        if (m_HeapSize == 0) {
            m_Result = closest;
            return 0;
        }
        Reserve(8);
        Node* nodes = m_Nodes.data();
        int32_t* at = m_HeapPos.data();
        HeapEntry* heap = m_Heap.data();
        int32_t heapSize = m_HeapSize;
        int32_t count = m_NodeCount;

        const int32_t n = PopTopAt(heap, at, heapSize);
        const Node node = nodes[n];
        const int32_t x = PathKeyX(node.key), y = PathKeyY(node.key);
        // The 3x3 neighbourhood: cells and their indices, blocked and
        // own-camp cells as masks of directions.
        const CMapCell* to[8];
        int32_t idx[8];
        uint32_t blocked = 0, own = 0;
        const CMapCell* from = nullptr;
        if (x >= 1 && y >= 1 && x < w - 1 && y < h - 1) {
            const int32_t i0 = y * w + x;
            from = cells + i0;
            for (int d = 0; d < 8; ++d) {
                idx[d] = i0 + off[d];
                to[d] = cells + idx[d];
            }
        } else {
            if (inGrid(x, y)) from = cells + (int64_t(y) * w + x);
            for (int d = 0; d < 8; ++d) {
                const int32_t nx = x + kPathDir[d].x, ny = y + kPathDir[d].y;
                const bool in = inGrid(nx, ny);
                idx[d] = in ? ny * w + nx : -1;
                to[d] = in ? cells + idx[d] : nullptr;
            }
        }
        // Free and closed cells without branches; the few cells that hold
        // something are asked for their camp.
        uint32_t held = 0;
        for (int d = 0; d < 8; ++d) {
            const CMapCell* c = to[d];
            if (!c) {
                blocked |= 1u << d;
                continue;
            }
            const bool walk = wc == 1 ? c->m_Walkable != 0 : c->AllowsWalkClass(wc);
            const uint16_t occ = c->m_Occupant;
            blocked |= uint32_t(!walk) << d;
            held |= uint32_t(walk & (occ != 0) & (occ != kNoObj)) << d;
        }
        for (; held; held &= held - 1) {
            const int d = std::countr_zero(held);
            const int p = to[d]->Passable(wc);
            blocked |= uint32_t(p == kPassBlocked) << d;
            own |= uint32_t(p == kPassOwnCamp) << d;
        }
        // A diagonal step needs one of its two corner cells open.
        uint32_t open = ~blocked & ~(RotL(blocked) & RotR(blocked) & 0xAAu) & 0xFFu;
        if (own && from) {
            // No step from one own-camp role's cell onto another's.
            const bool fromOwn = from->Passable(wc) == kPassOwnCamp;
            for (uint32_t m = own & open; m; m &= m - 1) {
                const int d = std::countr_zero(m);
                if (fromOwn && from->m_Occupant != to[d]->m_Occupant) open &= ~(1u << d);
            }
        }
        for (; open; open &= open - 1) {
            const int d = std::countr_zero(open);
            const int32_t g2 = node.g + 1 + int32_t((own >> d) & 1u) * 8 + (d & 1) * 2;
            const int32_t nx = x + kPathDir[d].x, ny = y + kPathDir[d].y;
            const uint32_t next = MakePathKey(nx, ny);
            if (next == goal) {
                m_Result = count++;
                nodes[m_Result] = Node{next, n, g2, 0, uint8_t(d)};
                SiftUpAt(heap, at, ++heapSize, HeapEntry{g2, m_Result});
                m_HeapSize = heapSize;
                m_NodeCount = count;
                return 1;
            }
            CellMark& cm = mark[idx[d]];
            if (cm.gen == gen) {
                const int32_t seen = cm.node;
                Node& m = nodes[seen];
                const int32_t pos = at[seen];
                if (g2 >= m.g || pos == 0) continue;
                m.parent = n;
                m.g = g2;
                m.dir = uint8_t(d);
                SiftUpAt(heap, at, pos, HeapEntry{g2 + m.h, seen});
                continue;
            }
            // 4 min + 10 max of the distances along x and y.
            const int32_t dx = std::abs(goalX - PathKeyX(next)), dy = std::abs(goalY - PathKeyY(next));
            const int32_t hn = dx <= dy ? 4 * dx + 10 * dy : 10 * dx + 4 * dy;
            const int32_t made = count++;
            nodes[made] = Node{next, n, g2, hn, uint8_t(d)};
            SiftUpAt(heap, at, ++heapSize, HeapEntry{g2 + hn, made});
            cm = CellMark{gen, made};
            const bool nearer = hn < closestH;
            closest = nearer ? made : closest;
            closestH = nearer ? hn : closestH;
        }
        m_HeapSize = heapSize;
        m_NodeCount = count;
        if (budget != 0 && count >= budget) {
            m_Result = closest;
            return 0;
        }
    }
}

int32_t CPathSearch::Steps() const {
    int32_t steps = 0;
    for (int32_t i = m_Result; i >= 0 && m_Nodes[size_t(i)].parent >= 0; i = m_Nodes[size_t(i)].parent) ++steps;
    return steps;
}

int CPathSearch::GetPathDirs(uint8_t* buffer, int capacity) const {
    if (m_Result < 0) return -1;
    const int32_t steps = Steps();
    if (!buffer) return steps;
    int32_t i = m_Result;
    for (int32_t k = steps - 1; k >= 0; --k, i = m_Nodes[size_t(i)].parent)
        if (k < capacity) buffer[k] = m_Nodes[size_t(i)].dir;
    return steps > capacity ? 0 : 1;
}

int CPathSearch::GetPathKeys(uint32_t* buffer, int capacity) const {
    if (m_Result < 0) return -1;
    const int32_t steps = Steps();
    if (!buffer) return steps;
    int32_t i = m_Result;
    for (int32_t k = steps - 1; k >= 0; --k, i = m_Nodes[size_t(i)].parent)
        if (k < capacity) buffer[k] = m_Nodes[size_t(i)].key;
    return steps > capacity ? 0 : 1;
}

int CPathMap::CollectPath(CGamePoint* out, int capacity) const {
    const CPathSearch* engine = m_pEngine;
    if (!engine || !out || capacity <= 0 || engine->ResultIndex() < 0) return 0;
    int32_t i = engine->ResultIndex();
    const CPathSearch::Node& r = engine->NodeAt(i);
    const CMapCell* cell = m_pGrid ? m_pGrid->GetCell(PathKeyX(r.key), PathKeyY(r.key)) : nullptr;
    if (!(cell && cell->AllowsWalkClass(m_WalkClass) && cell->m_Occupant == kNoObj)) i = r.parent;
    int32_t n = 0;
    for (int32_t k = i; k >= 0; k = engine->NodeAt(k).parent) ++n;
    // Too long: drop points from the far end, keep those nearest the start.
    for (; n > capacity; --n) i = engine->NodeAt(i).parent;
    for (int32_t k = 0; k < n; ++k, i = engine->NodeAt(i).parent)
        out[k] = {PathKeyX(engine->NodeAt(i).key), PathKeyY(engine->NodeAt(i).key)};
    return n;
}

CPathSearch* CreatePathSearch() { return new CPathSearch(); }
