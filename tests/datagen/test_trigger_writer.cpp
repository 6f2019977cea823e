// The trigger script writers: the bytes of a scene and a talk script.
#include <gtest/gtest.h>

#include "datagen/table_writer.h"
#include "datagen/trigger_writer.h"

namespace test_trigger_writer {

TEST(TriggerWriter, SceneScriptRowsAndEmptyRepeatCell) {
    const std::string bytes = datagen::BuildTable(
        datagen::BuildSceneScript({{"IsLevel 5*IsHitBox 20", "SetTimer 5", "1"}, {"", "Pct", ""}}));
    EXPECT_EQ(bytes, "Condition\tAction\tRepeat\r\nIsLevel 5*IsHitBox 20\tSetTimer 5\t1\r\n\tPct\t\r\n");
}

TEST(TriggerWriter, TalkScriptPutsTheEnabledFlagInColumnSeven) {
    const std::string bytes = datagen::BuildTable(datagen::BuildTalkScript({{9, "IsLevel 1", 1}}));
    EXPECT_EQ(bytes, "Id\tCondition\t2\t3\t4\t5\t6\tEnabled\r\n9\tIsLevel 1\t\t\t\t\t\t1\r\n");
}

} // namespace test_trigger_writer
