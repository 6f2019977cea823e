#pragma once
// The demo's gesture casting: the four patterns of "MethodPoint.txt", the
// hero's skill bound to one of them, and the trail's particle picture.
#include <string>

#include "datagen/table_writer.h"

namespace datagen {

// The pattern the hero's strike is drawn as: "line", a rightward stroke.
constexpr int kDemoStrikeGesture = 1;

// mb/MethodPoint.txt under the demo folder (native path).
bool WriteDemoMethodPoints(const std::string& nativeFolder);
// th/effect.bmp, the trail's particle: a soft round spot.
bool WriteDemoTrailPicture(const std::string& nativeFolder);
// Gesture fields (column 36: 1000 + pattern id) on the rows of "Skill.ini".
void AddDemoGestureFields(Table& skillRows);

} // namespace datagen
