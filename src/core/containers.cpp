#include "core/containers.h"

#include <algorithm>

// ---------------------------------------------------------------- CObjNode

CObjNode::~CObjNode() { Unlink(); }

void CObjNode::Unlink() {
    CObjList* list = m_Owner;
    if (!list)
        return;
    --list->m_Count;
    if (list->m_Count <= 0) {
        list->m_Count = 0;
        list->m_Head = list->m_Tail = list->m_Cursor = nullptr;
    } else {
        // The order matters: a removed head or tail drags the cursor along
        // even when it stood elsewhere.
        if (list->m_Head == this) {
            list->m_Head = m_Next;
            list->m_Cursor = m_Next;
        }
        if (list->m_Tail == this) {
            list->m_Tail = m_Prev;
            list->m_Cursor = m_Prev;
        }
        if (list->m_Cursor == this)
            list->m_Cursor = m_Next;
    }
    if (m_Prev)
        m_Prev->m_Next = m_Next;
    if (m_Next)
        m_Next->m_Prev = m_Prev;
    m_Owner = nullptr;
    m_Next = m_Prev = nullptr;
}

// ---------------------------------------------------------------- CObjList

CObjList::~CObjList() { DetachAll(); }

void CObjList::AddTail(CObjNode* node) {
    if (!node || node == this)
        return;
    node->Unlink();
    node->m_Owner = this;
    node->m_Next = nullptr;
    node->m_Prev = m_Tail;
    if (m_Tail)
        m_Tail->m_Next = node;
    else
        m_Head = m_Cursor = node;
    m_Tail = node;
    ++m_Count;
}

void CObjList::InsertAtCursor(CObjNode* node) {
    if (!node || node == this)
        return;
    node->Unlink();
    if (!m_Head || !m_Cursor) {
        AddTail(node);
        return;
    }
    CObjNode* before = m_Cursor;
    node->m_Owner = this;
    node->m_Next = before;
    node->m_Prev = before->m_Prev;
    if (before->m_Prev)
        before->m_Prev->m_Next = node;
    else
        m_Head = node;
    before->m_Prev = node;
    ++m_Count;
}

CObjNode* CObjList::RemoveCurrent() {
    CObjNode* node = m_Cursor;
    if (!node)
        return nullptr;
    CObjNode* next = node->m_Next;
    node->Unlink();
    delete node;
    return next;
}

CObjNode* CObjList::DetachCurrent() {
    CObjNode* node = m_Cursor;
    if (node)
        node->Unlink();
    return node;
}

void CObjList::RemoveAll() {
    m_Cursor = m_Head;
    while (m_Cursor)
        RemoveCurrent();
    m_Count = 0;
}

void CObjList::DetachAll() {
    m_Cursor = m_Tail;
    while (m_Count > 0 && m_Cursor)
        DetachCurrent();
    m_Count = 0;
    m_Head = m_Tail = m_Cursor = nullptr;
}

// --------------------------------------------------------------- CPtrTable

void CPtrTable::SetSize(int n) {
    if (n < 0)
        n = 0;
    m_Slots.assign(static_cast<size_t>(n), nullptr);
    m_Size = n;
    m_FirstUsable = 1;
    m_SearchStart = 1;
    m_Count = 0;
    m_HighWater = 0;
}

int CPtrTable::SetAt(int index, void* ptr) {
    // An index outside the table, or a null that would count a slot as used
    // while leaving it free, is refused.
    if (index < 0 || index >= m_Size || !ptr)
        return -1;
    void*& slot = m_Slots[static_cast<size_t>(index)];
    if (slot)
        return -1;
    slot = ptr;
    ++m_Count;
    m_HighWater = std::max(m_HighWater, index + 1);
    return index;
}

int CPtrTable::AddNext(void* ptr) {
    if (!ptr)
        return 0;
    auto take = [&](int i) {
        m_Slots[static_cast<size_t>(i)] = ptr;
        ++m_Count;
        m_HighWater = std::max(m_HighWater, i + 1);
        return i;
    };
    for (int i = std::max(m_SearchStart, 0); i < m_Size; ++i)
        if (!m_Slots[static_cast<size_t>(i)])
            return take(i);
    for (int i = std::max(m_FirstUsable, 0); i < m_SearchStart && i < m_Size; ++i)
        if (!m_Slots[static_cast<size_t>(i)])
            return take(i);
    return 0;
}

void* CPtrTable::GetAt(int index) const {
    if (index < 0 || index >= m_Size)
        return nullptr;
    return m_Slots[static_cast<size_t>(index)];
}

void CPtrTable::RemoveAt(int index) {
    if (index < 0 || index >= m_Size)
        return;
    void*& slot = m_Slots[static_cast<size_t>(index)];
    if (!slot)
        return;  // already free: the count stays right
    slot = nullptr;
    --m_Count;
}

void CPtrTable::RemoveAll() {
    std::fill(m_Slots.begin(), m_Slots.end(), nullptr);
    m_Count = 0;
    m_HighWater = 0;
}

// --------------------------------------------------------------- CPairList

CPairList::CPairList(int blockSize) : m_BlockSize(blockSize < 1 ? 1 : blockSize) {}

CPairList::~CPairList() { RemoveAll(); }

CPairList::Node* CPairList::AddTail(int32_t a, int32_t b) {
    if (!m_Free) {
        const size_t n = static_cast<size_t>(m_BlockSize);
        std::unique_ptr<Node[]> block(new Node[n]);
        // Chain from the last node back so the first handed out is the lowest
        // address.
        for (size_t i = n; i-- > 0;) {
            block[i].next = m_Free;
            m_Free = &block[i];
        }
        m_Blocks.push_back(std::move(block));
    }
    Node* node = m_Free;
    m_Free = node->next;
    node->a = a;
    node->b = b;
    node->next = nullptr;
    node->prev = m_Tail;
    if (m_Tail)
        m_Tail->next = node;
    else
        m_Head = node;
    m_Tail = node;
    ++m_Count;
    return node;
}

void CPairList::RemoveNode(Node* node) {
    if (!node || m_Count <= 0)
        return;
    if (node->prev)
        node->prev->next = node->next;
    else
        m_Head = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        m_Tail = node->prev;
    node->prev = nullptr;
    node->next = m_Free;
    m_Free = node;
    if (--m_Count == 0)
        RemoveAll();
}

CPairList::Node* CPairList::GetAt(int index) const {
    if (index < 0 || index >= m_Count)
        return nullptr;
    Node* n = m_Head;
    while (index-- > 0 && n)
        n = n->next;
    return n;
}

CPairList::Node* CPairList::FindExtreme(int max) const {
    Node* best = m_Head;
    for (Node* n = m_Head; n; n = n->next) {
        if (max ? n->b > best->b : n->b < best->b)
            best = n;
    }
    return best;
}

void CPairList::RemoveAll() {
    m_Head = m_Tail = m_Free = nullptr;
    m_Count = 0;
    m_Blocks.clear();
}

// ------------------------------------------------------------ CSlotTable60

void CSlotTable60::SetEmptyValue(int32_t value) {
    m_EmptyValue = value;
    Clear();
}

void CSlotTable60::Clear() {
    for (int i = 0; i < kSlots; ++i) {
        m_Values[i] = m_EmptyValue;
        m_Used[i] = 0;
    }
    m_Count = 0;
    m_Cursor = 0;
}

int CSlotTable60::SetAt(int index, int32_t value) {
    if (index < 0 || index >= kSlots || m_Used[index])
        return 0;
    m_Values[index] = value;
    m_Used[index] = 1;
    ++m_Count;
    return 1;
}

int CSlotTable60::FindFree() const {
    const int cursor = (m_Cursor >= 0 && m_Cursor < kSlots) ? m_Cursor : 0;
    for (int i = cursor; i < kSlots; ++i)
        if (!m_Used[i])
            return i;
    for (int i = 0; i < cursor; ++i)
        if (!m_Used[i])
            return i;
    return -1;
}

void CSlotTable60Ex::ResetExtras() {
    m_Extra1 = -1;
    m_Extra2 = -1;
    for (int i = 0; i < kSlots; ++i) {
        m_ExtraA[i] = -1;
        m_ExtraB[i] = -1;
    }
}

void CSlotTable60Ex::SetEmptyValue(int32_t value) {
    ResetExtras();
    CSlotTable60::SetEmptyValue(value);
}

void CSlotTable60Ex::Clear() {
    ResetExtras();
    CSlotTable60::Clear();
}
