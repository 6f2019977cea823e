#include "datagen/trigger_writer.h"

namespace datagen {

Table BuildSceneScript(const std::vector<SceneTriggerRow>& rows) {
    Table t{{"Condition", "Action", "Repeat"}};
    for (const SceneTriggerRow& r : rows) t.push_back({r.condition, r.action, r.repeat});
    return t;
}

Table BuildTalkScript(const std::vector<TalkRow>& rows) {
    Table t{{"Id", "Condition", "2", "3", "4", "5", "6", "Enabled"}};
    for (const TalkRow& r : rows)
        t.push_back({std::to_string(r.id), r.condition, "", "", "", "", "", std::to_string(r.enabled)});
    return t;
}

} // namespace datagen
