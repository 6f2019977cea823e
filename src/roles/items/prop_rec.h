#pragma once
// One item instance: what a record slot, a merchant stock slot or the
// mouse cursor holds. Its model is a "PropMdl.txt" row; the instance adds
// its own attribute text (rolled for equipment), its pile size, the level
// needed to wear it and its own unit price, all of which a save keeps.
#include <cstdint>
#include <string>

#include "core/containers.h"

class CTxtRow;

// "PropMdl.txt" columns the item code reads.
namespace propcol {
constexpr int kName = 0;
constexpr int kId = 1;
constexpr int kKind = 2;
constexpr int kSound = 4;
constexpr int kPicture = 5;
constexpr int kStackable = 6;
constexpr int kPrice = 7;
constexpr int kGrade = 8;
constexpr int kUpgradeKey = 9;
constexpr int kAttributes = 10;
constexpr int kLevel = 11;
constexpr int kAttributeCount = 13;  // count '*' minimum total
constexpr int kSetMarker = 14;
constexpr int kFirstPickFlag = 15;
constexpr int kDoublingKey = 17;
} // namespace propcol

constexpr int kMaxPileSize = 9;

class PropRec : public CObjNode {
public:
    PropRec() = default;
    ~PropRec() override = default;

    // Model row and price from the id. A non-empty text becomes the item's
    // own; without one, equipment (kinds 30-39) rolls its attributes.
    // 0 when the id has no row: the item stays uninitialised (id -1).
    int Init(int32_t id, const char* text);
    // 1 for a non-stackable model (returns n - 1), else min(n, 9); returns
    // what did not fit.
    int SetCount(int n);
    // The own text, else the model's column 10; upper-cased, in one buffer
    // shared by all items (valid until the next call).
    const char* GetAttributeText() const;
    // The model's kind (column 2); -1 without a model.
    int GetKind() const;

    const CTxtRow* m_pModelRow = nullptr;
    int32_t m_Id = -1;
    int32_t m_Count = 1;
    int32_t m_PoolIndex = -1;
    std::string m_Text;
    int32_t m_RequiredLevel = 1;
    int32_t m_Price = 0;
    int32_t m_ValueA = 0;
    int32_t m_ValueB = 0;
};
