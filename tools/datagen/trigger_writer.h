#pragma once
// Writers of the trigger scripts: a scene's "trigger\scene\<scene>.txt"
// (condition, action, repeat) and a role's "trigger\talk\<picture>.txt"
// (talk id, condition, ..., enabled flag in column 7). Both have one header
// row; cells are GBK bytes.
#include <string>
#include <vector>

#include "datagen/table_writer.h"

namespace datagen {

struct SceneTriggerRow {
    std::string condition;
    std::string action;
    // Empty: the repeat cell is left empty (the reader's 65535).
    std::string repeat = "0";
};

struct TalkRow {
    int id = 0;
    std::string condition;
    int enabled = 1;
};

Table BuildSceneScript(const std::vector<SceneTriggerRow>& rows);
Table BuildTalkScript(const std::vector<TalkRow>& rows);

// A talk script of a role picture, for the fixture game.
struct TalkScriptSpec {
    std::string picture;
    std::vector<TalkRow> rows;
};

} // namespace datagen
