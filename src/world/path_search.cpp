#include "world/path_search.h"

#include <algorithm>

// The open list keeps each node's position, so a re-priced node rises from
// where it is; its moves are exactly those of the linear-scan heap. Visited
// cells are found through a per-cell index cleared by a generation stamp.

int32_t CPathSearch::AddNode(uint32_t key, int32_t parent, uint8_t dir, int32_t g, int32_t h) {
    const int32_t n = int32_t(m_Nodes.size());
    m_Nodes.push_back(Node{key, parent, g, h, 0, dir});
    if (size_t(++m_HeapSize) >= m_Heap.size()) m_Heap.resize(m_Heap.size() * 2);
    m_Heap[size_t(m_HeapSize)] = HeapEntry{g + h, n};
    m_Nodes[size_t(n)].heapPos = m_HeapSize;
    SiftUp(m_HeapSize);
    return n;
}

void CPathSearch::SiftUp(int32_t pos) {
    HeapEntry* heap = m_Heap.data();
    const HeapEntry e = heap[pos];
    while (pos > 1 && e.f < heap[pos >> 1].f) {
        heap[pos] = heap[pos >> 1];
        m_Nodes[size_t(heap[pos].node)].heapPos = pos;
        pos >>= 1;
    }
    heap[pos] = e;
    m_Nodes[size_t(e.node)].heapPos = pos;
}

int32_t CPathSearch::PopTop() {
    HeapEntry* heap = m_Heap.data();
    const int32_t top = heap[1].node;
    m_Nodes[size_t(top)].heapPos = 0;
    const HeapEntry e = heap[m_HeapSize--];
    if (m_HeapSize == 0) return top;
    int32_t pos = 1;
    for (;;) {
        int32_t c = pos * 2;
        if (c > m_HeapSize) break;
        if (c + 1 <= m_HeapSize && heap[c + 1].f < heap[c].f) ++c;
        if (!(heap[c].f < e.f)) break;
        heap[pos] = heap[c];
        m_Nodes[size_t(heap[pos].node)].heapPos = pos;
        pos = c;
    }
    heap[pos] = e;
    m_Nodes[size_t(e.node)].heapPos = pos;
    return top;
}

void CPathSearch::Reset() {
    m_Nodes.clear();
    m_HeapSize = 0;
    m_Result = -1;
    if (++m_Gen == 0) {
        std::fill(m_Stamp.begin(), m_Stamp.end(), 0u);
        m_Gen = 1;
    }
}

void CPathSearch::Free() {
    Reset();
    std::vector<Node>().swap(m_Nodes);
    std::vector<HeapEntry>{HeapEntry{0, -1}}.swap(m_Heap);
    std::vector<uint32_t>().swap(m_Stamp);
    std::vector<int32_t>().swap(m_CellNode);
}

int CPathSearch::Search(uint32_t start, CPathMap* map, int32_t budget) {
    Reset();
    CMapGrid* grid = map->m_pGrid;
    const int32_t w = grid ? grid->Width() : 0, h = grid ? grid->Height() : 0;
    const size_t cells = size_t(w) * size_t(h);
    if (m_Stamp.size() < cells) {
        m_Stamp.assign(cells, 0u);
        m_CellNode.resize(cells);
    }
    if (map->IsGoal(start, 0)) {
        m_Result = AddNode(start, -1, 255, 0, 0);
        m_HeapSize = 0;
        return -1;
    }
    const uint32_t gen = m_Gen;
    uint32_t* stamp = m_Stamp.data();
    int32_t* cellNode = m_CellNode.data();
    auto cellOf = [&](uint32_t key) -> int64_t {
        const int32_t x = PathKeyX(key), y = PathKeyY(key);
        return x >= 0 && y >= 0 && x < w && y < h ? int64_t(y) * w + x : -1;
    };
    const uint32_t goal = MakePathKey(map->m_GoalX, map->m_GoalY);

    int32_t closest = AddNode(start, -1, 255, 0, map->Estimate(start));
    if (const int64_t c = cellOf(start); c >= 0) {
        stamp[c] = gen;
        cellNode[c] = closest;
    }
    for (;;) {
        if (m_HeapSize == 0) {
            m_Result = closest;
            return 0;
        }
        const int32_t n = PopTop();
        const uint32_t key = m_Nodes[size_t(n)].key;
        const int32_t g = m_Nodes[size_t(n)].g;
        for (int d = 0; d < 8; ++d) {
            uint32_t next;
            int32_t cost;
            if (!map->GetNeighbour(key, d, &next, &cost)) continue;
            const int32_t g2 = g + cost;
            if (next == goal) {
                m_Result = AddNode(next, n, uint8_t(d), g2, 0);
                return 1;
            }
            // An accepted neighbour always lies in the grid.
            const int64_t c = int64_t(PathKeyY(next)) * w + PathKeyX(next);
            if (stamp[c] == gen) {
                Node& m = m_Nodes[size_t(cellNode[c])];
                if (g2 >= m.g || m.heapPos == 0) continue;
                m.parent = n;
                m.g = g2;
                m.dir = uint8_t(d);
                m_Heap[size_t(m.heapPos)].f = g2 + m.h;
                SiftUp(m.heapPos);
                continue;
            }
            const int32_t hn = map->Estimate(next);
            const int32_t made = AddNode(next, n, uint8_t(d), g2, hn);
            stamp[c] = gen;
            cellNode[c] = made;
            if (hn < m_Nodes[size_t(closest)].h) closest = made;
        }
        if (budget != 0 && int32_t(m_Nodes.size()) >= budget) {
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
