#pragma once
// The demo world's small animated things: the creatures (a bird, a lit
// firefly on a path, a pushable beetle in a box, a fish that keeps to the
// pond and a frog that seeks water with a shadow following it), the items'
// pictures, sparkle, splashes and footprints, the item rows, the ambient
// sounds of the scenes and the weather effects' textures.
#include <cstdint>
#include <string>
#include <vector>

#include "datagen/table_writer.h"

namespace datagen {

// Animation ids (entries of library 0) the demo world binds.
constexpr uint32_t kDemoItemPictureAnim = 14;  // sequence n: item picture n
constexpr uint32_t kDemoSparkleAnim = 21;
constexpr uint32_t kDemoSplashAnim = 94;        // a creature plunging in
constexpr uint32_t kDemoWaterMarkAnim = 95;     // a timed animation on water
constexpr uint32_t kDemoFootprintAnim = 193;    // 8 prints, 8 fades (+ 8)
constexpr uint32_t kDemoRainSplashAnim = 29;
constexpr uint32_t kDemoRainWaterAnim = 238;
constexpr uint32_t kDemoLightningAnim = 47;     // 3 sequences
constexpr uint32_t kDemoFireflyAnim = 150;      // 16 sequences
constexpr uint32_t kDemoBeetleAnim = 151;       // 25 sequences (squashed facing 0)
constexpr uint32_t kDemoFishAnim = 152;         // 8 sequences
constexpr uint32_t kDemoFrogAnim = 153;         // 16 sequences
constexpr uint32_t kDemoFrogShadowAnim = 154;   // 16 sequences, drawn translucently

constexpr uint32_t kDemoArrowAnim = 160;        // 16 sequences, one per 16-way direction
constexpr uint32_t kDemoArrowShadowAnim = 161;  // its ground shadow, drawn translucently
constexpr uint32_t kDemoBlastAnim = 162;        // fire rings
constexpr uint32_t kDemoBirdAnim = 155;        // 8 sequences

// Creature model ids (rows of "BeastieMdl.txt" are id - 20000).
constexpr int kDemoBirdModel = 20001;
constexpr int kDemoFireflyModel = 20002;
constexpr int kDemoBeetleModel = 20003;
constexpr int kDemoFishModel = 20004;
constexpr int kDemoFrogModel = 20005;

// Adds the tables above to `anim` (library 0) and their pictures, as frame
// tables, to the end of `frames` (library `framesLib`). False when an id
// is already taken.
bool AddDemoCreatureAnims(std::vector<std::string>& anim, std::vector<std::string>& frames, uint32_t framesLib);

// "BeastieMdl.txt" (header row, key column 1).
Table DemoBeastieRows();
// "ScnSoundMdl.txt": row 0 quiet, row 1 a looping and a random ambient
// sound of the demo sound table.
Table DemoScnSoundRows();
// "th\effect1.bmp" and "th\effect2.bmp" under the program folder.
bool WriteDemoEffectTextures(const std::string& nativeFolder);

} // namespace datagen
