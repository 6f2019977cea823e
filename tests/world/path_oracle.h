#pragma once
// The path search exactly as first laid out, kept as the reference the
// production search is checked against (tests) and measured against
// (bench): nodes in blocks of 32 reused across searches, 256 hash buckets
// for the visited lookup, an array heap that grows to 8, doubles below 256
// and then grows by 16, a linear scan of the heap to re-price a node, and
// the closest node found by walking every node made.
#include <cstdint>
#include <cstring>
#include <vector>

#include "world/map/path_search.h"

namespace pathoracle {

struct Node {
    uint32_t key;
    Node* parent;
    Node* next;  // same hash bucket
    int32_t g;
    int32_t h;
    uint8_t dir;
};

class CRefPathSearch {
public:
    CRefPathSearch() { std::memset(m_Buckets, 0, sizeof m_Buckets); }
    ~CRefPathSearch() { Free(); }
    CRefPathSearch(const CRefPathSearch&) = delete;
    CRefPathSearch& operator=(const CRefPathSearch&) = delete;

    void Reset() {
        m_Result = nullptr;
        m_HeapSize = 0;
        m_Cur = nullptr;
        m_NextFree = 32;
        m_Made = 0;
        std::memset(m_Buckets, 0, sizeof m_Buckets);
    }
    void Free() {
        Reset();
        while (m_First) {
            Block* n = m_First->next;
            delete m_First;
            m_First = n;
        }
        delete[] m_Heap;
        m_Heap = nullptr;
        m_HeapCap = 0;
    }

    int Search(uint32_t start, CPathAdapter* a, int32_t budget) {
        Reset();
        if (a->IsGoal(start, 0)) {
            m_Result = Add(start, nullptr, 255, 0, 0);
            m_HeapSize = 0;
            return -1;
        }
        Add(start, nullptr, 255, 0, a->Estimate(start));
        for (;;) {
            if (m_HeapSize == 0) {
                m_Result = Closest();
                return 0;
            }
            Node* node = m_Heap[1];
            m_Heap[1] = m_Heap[m_HeapSize--];
            SiftDown(1);
            for (int d = 0; d < 8; ++d) {
                uint32_t next;
                int32_t cost;
                if (!a->GetNeighbour(node->key, d, &next, &cost)) continue;
                const int32_t g2 = node->g + cost;
                if (a->IsGoal(next, g2)) {
                    m_Result = Add(next, node, uint8_t(d), g2, 0);
                    return 1;
                }
                Node* seen = Find(next);
                if (seen) {
                    if (g2 >= seen->g) continue;
                    int32_t pos = 0;
                    for (int32_t i = 1; i <= m_HeapSize; ++i)
                        if (m_Heap[i] == seen) {
                            pos = i;
                            break;
                        }
                    if (pos == 0) continue;
                    seen->parent = node;
                    seen->g = g2;
                    seen->dir = uint8_t(d);
                    SiftUp(pos);
                    continue;
                }
                Add(next, node, uint8_t(d), g2, a->Estimate(next));
            }
            if (budget != 0 && m_Made >= budget) {
                m_Result = Closest();
                return 0;
            }
        }
    }

    int GetPathDirs(uint8_t* buffer, int capacity) const {
        if (!m_Result) return -1;
        int steps = 0;
        for (const Node* n = m_Result; n->parent; n = n->parent) ++steps;
        if (!buffer) return steps;
        int k = steps - 1;
        for (const Node* n = m_Result; n->parent; n = n->parent, --k)
            if (k < capacity) buffer[k] = n->dir;
        return steps > capacity ? 0 : 1;
    }
    int GetPathKeys(uint32_t* buffer, int capacity) const {
        if (!m_Result) return -1;
        int steps = 0;
        for (const Node* n = m_Result; n->parent; n = n->parent) ++steps;
        if (!buffer) return steps;
        int k = steps - 1;
        for (const Node* n = m_Result; n->parent; n = n->parent, --k)
            if (k < capacity) buffer[k] = n->key;
        return steps > capacity ? 0 : 1;
    }
    // Result first, start last; the result cell only when it is in the
    // grid, passes the walk class and holds no role. No capacity.
    std::vector<CGamePoint> CollectPath(const CPathMap& map) const {
        std::vector<CGamePoint> out;
        const Node* n = m_Result;
        if (!n) return out;
        const CMapCell* c = map.m_pGrid ? map.m_pGrid->GetCell(PathKeyX(n->key), PathKeyY(n->key)) : nullptr;
        if (!(c && c->AllowsWalkClass(map.m_WalkClass) && c->m_Occupant == kNoObj)) n = n->parent;
        for (; n; n = n->parent) out.push_back({PathKeyX(n->key), PathKeyY(n->key)});
        return out;
    }

    const Node* Result() const { return m_Result; }
    int32_t Made() const { return m_Made; }

private:
    struct Block {
        Block* next = nullptr;
        Node nodes[32];
    };
    static uint32_t Bucket(uint32_t key) { return ((key * 9u) ^ ((key >> 16) * 5u)) & 255u; }
    int32_t F(int32_t i) const { return m_Heap[i]->g + m_Heap[i]->h; }

    Node* Add(uint32_t key, Node* parent, uint8_t dir, int32_t g, int32_t h) {
        if (m_HeapSize + 1 >= m_HeapCap) {
            const int32_t cap = m_HeapCap == 0 ? 8 : m_HeapCap < 256 ? m_HeapCap * 2 : m_HeapCap + 16;
            Node** heap = new Node*[size_t(cap)];
            if (m_Heap) std::memcpy(heap, m_Heap, sizeof(Node*) * size_t(m_HeapSize + 1));
            delete[] m_Heap;
            m_Heap = heap;
            m_HeapCap = cap;
        }
        if (m_NextFree == 32) {
            Block* b = m_Cur ? m_Cur->next : m_First;
            if (!b) {
                b = new Block;
                (m_Cur ? m_Cur->next : m_First) = b;
            }
            m_Cur = b;
            m_NextFree = 0;
        }
        Node* n = &m_Cur->nodes[m_NextFree++];
        ++m_Made;
        *n = Node{key, parent, nullptr, g, h, dir};
        const uint32_t b = Bucket(key);
        n->next = m_Buckets[b];
        m_Buckets[b] = n;
        m_Heap[++m_HeapSize] = n;
        SiftUp(m_HeapSize);
        return n;
    }
    Node* Find(uint32_t key) const {
        for (Node* n = m_Buckets[Bucket(key)]; n; n = n->next)
            if (n->key == key) return n;
        return nullptr;
    }
    void SiftUp(int32_t pos) {
        while (pos > 1 && F(pos) < F(pos / 2)) {
            std::swap(m_Heap[pos], m_Heap[pos / 2]);
            pos /= 2;
        }
    }
    void SiftDown(int32_t pos) {
        for (;;) {
            int32_t c = pos * 2;
            if (c > m_HeapSize) return;
            if (c + 1 <= m_HeapSize && F(c + 1) < F(c)) ++c;
            if (!(F(c) < F(pos))) return;
            std::swap(m_Heap[pos], m_Heap[c]);
            pos = c;
        }
    }
    Node* Closest() const {
        Node* best = nullptr;
        int32_t left = m_Made;
        for (Block* b = m_First; b && left > 0; b = b->next)
            for (int i = 0; i < 32 && left > 0; ++i, --left)
                if (!best || b->nodes[i].h < best->h) best = &b->nodes[i];
        return best;
    }

    Node* m_Result = nullptr;
    Node** m_Heap = nullptr;
    int32_t m_HeapCap = 0;
    int32_t m_HeapSize = 0;
    Block* m_First = nullptr;
    Block* m_Cur = nullptr;
    int32_t m_NextFree = 32;
    int32_t m_Made = 0;
    Node* m_Buckets[256];
};

} // namespace pathoracle
