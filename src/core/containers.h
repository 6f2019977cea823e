#pragma once
// The small containers everything else is built from: the intrusive object
// list with its one cursor, a fixed table of pointer slots, a block-allocated
// list of integer pairs and the two 60-slot value tables.
#include <cstdint>
#include <memory>
#include <vector>

class CObjList;

// Root of every object kept in a CObjList. A node is in at most one list.
// Destroying a node that is still linked unlinks it first.
class CObjNode {
public:
    CObjNode() = default;
    CObjNode(const CObjNode&) = delete;
    CObjNode& operator=(const CObjNode&) = delete;
    virtual ~CObjNode();

    // Removes the node from its list (nothing when it is in none). Fixes the
    // list's head, tail and cursor as the list operations rely on.
    void Unlink();

    CObjList* Owner() const { return m_Owner; }
    CObjNode* Next() const { return m_Next; }
    CObjNode* Prev() const { return m_Prev; }

    CObjList* m_Owner = nullptr;
    CObjNode* m_Next = nullptr;
    CObjNode* m_Prev = nullptr;
    int32_t m_Reserved = 0;
};

// The same polymorphic root for records deleted through a base pointer.
class CGameBase {
public:
    virtual ~CGameBase() = default;
};

// Doubly linked list of CObjNodes with one cursor, its only iterator; walk it
// from Head() by Next() or from Tail() by Prev(). The list destroys nodes only
// in RemoveCurrent and RemoveAll; its destructor detaches what is left
// without destroying it.
class CObjList : public CObjNode {
public:
    CObjList() = default;
    ~CObjList() override;

    // Unlinks the node from any list and appends it. On an empty list head,
    // tail and cursor all become the node.
    void AddTail(CObjNode* node);
    // Inserts before the cursor node (becoming the head when the cursor is
    // the head); on an empty list as AddTail.
    void InsertAtCursor(CObjNode* node);
    // Unlinks and destroys the cursor node; returns the node that followed it
    // (null when none or when there is no cursor).
    CObjNode* RemoveCurrent();
    // Unlinks the cursor node and hands it back.
    CObjNode* DetachCurrent();
    void RemoveAll();
    void DetachAll();

    int GetCount() const { return m_Count; }
    CObjNode* Head() const { return m_Head; }
    CObjNode* Tail() const { return m_Tail; }
    CObjNode* Cursor() const { return m_Cursor; }
    void SetCursor(CObjNode* node) { m_Cursor = node; }

    int32_t m_Count = 0;
    CObjNode* m_Tail = nullptr;
    CObjNode* m_Head = nullptr;
    CObjNode* m_Cursor = nullptr;
};

// Fixed table of pointer slots; a slot is taken when it holds a non-null
// pointer. The table never owns the pointees.
class CPtrTable {
public:
    CPtrTable() = default;
    explicit CPtrTable(int size) { SetSize(size); }

    // n free slots; first usable index and search start 1.
    void SetSize(int n);
    // Stores into a free slot and returns the index; -1 when the slot is
    // taken, the index lies outside the table or ptr is null.
    int SetAt(int index, void* ptr);
    // First free slot from the search start to the end, then from the first
    // usable index; 0 when the table is full (or ptr is null).
    int AddNext(void* ptr);
    void* GetAt(int index) const;
    template <class T>
    T* GetAs(int index) const {
        return static_cast<T*>(GetAt(index));
    }
    // Frees the slot; the pointee is left alone.
    void RemoveAt(int index);
    void RemoveAll();

    int GetSize() const { return m_Size; }
    int GetCount() const { return m_Count; }
    int GetHighWater() const { return m_HighWater; }

    int32_t m_Size = 0;
    int32_t m_FirstUsable = 1;
    int32_t m_HighWater = 0;  // one past the highest index ever set
    int32_t m_Count = 0;
    int32_t m_SearchStart = 1;

private:
    std::vector<void*> m_Slots;
};

// List of (a, b) integer pairs whose nodes come from blocks of `blockSize`,
// handed out in address order; all blocks are freed when the list empties.
class CPairList {
public:
    struct Node {
        Node* next;
        Node* prev;
        int32_t a;
        int32_t b;
    };

    explicit CPairList(int blockSize = 10);
    ~CPairList();
    CPairList(const CPairList&) = delete;
    CPairList& operator=(const CPairList&) = delete;

    Node* AddTail(int32_t a, int32_t b);
    // The node must belong to this list.
    void RemoveNode(Node* node);
    Node* GetAt(int index) const;
    // Smallest b (max = 0) or largest b (max != 0); the first wins ties.
    Node* FindExtreme(int max) const;
    void RemoveAll();

    Node* Head() const { return m_Head; }
    Node* Tail() const { return m_Tail; }
    int GetCount() const { return m_Count; }

private:
    Node* m_Head = nullptr;
    Node* m_Tail = nullptr;
    int32_t m_Count = 0;
    Node* m_Free = nullptr;
    std::vector<std::unique_ptr<Node[]>> m_Blocks;
    int32_t m_BlockSize;
};

// 60 value slots with used flags, a count and a next-fit cursor.
class CSlotTable60 {
public:
    static constexpr int kSlots = 60;

    CSlotTable60() { CSlotTable60::SetEmptyValue(-1); }
    virtual ~CSlotTable60() = default;

    // Stores the empty value and clears the table.
    virtual void SetEmptyValue(int32_t value);
    // Every value the empty value, every flag 0, count 0, cursor 0.
    virtual void Clear();

    // 0 when the slot is used (or outside the table); otherwise stores,
    // marks it used, counts it and returns 1.
    int SetAt(int index, int32_t value);
    // First free slot from the cursor to 59, then from 0 up to the cursor;
    // -1 when all are taken. The cursor does not move.
    int FindFree() const;

    int32_t m_Values[kSlots];
    int32_t m_Used[kSlots];
    int32_t m_Count;
    int32_t m_EmptyValue;
    int32_t m_Cursor;
};

// Adds two ints and two 60-int arrays whose meaning belongs to the users;
// setting the empty value and clearing reset them all to -1 first.
class CSlotTable60Ex : public CSlotTable60 {
public:
    CSlotTable60Ex() { CSlotTable60Ex::SetEmptyValue(-1); }

    void SetEmptyValue(int32_t value) override;
    void Clear() override;

    int32_t m_Extra1;
    int32_t m_Extra2;
    int32_t m_ExtraA[kSlots];
    int32_t m_ExtraB[kSlots];

private:
    void ResetExtras();
};
