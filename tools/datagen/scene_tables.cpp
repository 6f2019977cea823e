#include "datagen/scene_tables.h"

namespace datagen {

namespace {
std::string Cell(int v) { return v < 0 ? std::string() : std::to_string(v); }
} // namespace

std::vector<std::string> BuildScnInfoRow(const ScnInfoRow& r) {
    std::vector<std::string> c(22);
    c[0] = r.name;
    c[1] = std::to_string(r.id);
    c[2] = std::to_string(r.type);
    c[3] = std::to_string(r.ambientMode);
    c[4] = std::to_string(r.dayLevel);
    c[5] = std::to_string(r.nightLevel);
    c[6] = std::to_string(r.column6);
    for (int k = 0; k < 10; ++k) c[7 + k] = Cell(r.weights[k]);
    c[17] = Cell(r.soundRow);
    c[19] = Cell(r.nameText);
    c[21] = r.flagName;
    return c;
}

std::vector<std::string> ScnInfoHeader() {
    return {"Name", "Id", "Type", "Ambient", "Day", "Night", "Col6", "Rain", "Storm", "Lightning", "Snow",
            "Flurry", "K6", "K7", "K8", "Wind", "K10", "Sound", "Col18", "NameText", "Col20", "Flag"};
}

std::vector<std::string> BuildScnSoundRow(const ScnSoundRow& r) {
    std::vector<std::string> c = {std::to_string(r.id), r.name, ""};
    for (const auto& [id, period] : r.sounds) {
        c.push_back(std::to_string(id));
        c.push_back(std::to_string(period));
    }
    return c;
}

std::vector<std::string> ScnSoundHeader() { return {"Id", "Name", "Col2", "Sound", "Period"}; }

} // namespace datagen
