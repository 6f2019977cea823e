#pragma once
// The tooltip text of an item: name, price, and by kind group its effects,
// pile size or grade, required level and attributes in colour.
#include <string>

class PropRec;

// Nothing (0, out emptied) without a local player or a model; else 1.
int BuildItemDescription(const PropRec* item, std::string& out, int buying);
