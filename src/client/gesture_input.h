#pragma once
// Gesture casting: with Alt or Ctrl held the left button draws a stroke;
// on release its segment directions are matched against the patterns of
// "MethodPoint.txt", and the first skill of the own role whose pattern
// matches becomes the HUD's gesture skill. The title screens use the same
// trail in free-draw mode, where it simply follows the left button.
//
// PollGestureInput and DrawGestureTrail live here rather than with the
// graphics engine's 3D layer because they call into the client side.
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "client/gesture/stroke_match.h"
#include "client/gesture/trail.h"
#include "core/txt_table.h"

class CSurface;

// Ticks a stroke point is kept before the oldest is dropped.
constexpr uint32_t kStrokeAgeTicks = 28;
// Ticks the cast burst spreads its lifetime over.
constexpr int32_t kGestureSpread = 20;
// A stroke corner: the heading turned by more than this.
constexpr float kStrokeCornerAngle = kGesturePi * 0.1875f;
// At most this many stroke points.
constexpr size_t kStrokeMaxPoints = 19;
// The trail state of a finished stroke.
enum TrailState : int32_t { kTrailDrawing = 0, kTrailFailed = 2, kTrailCast = 3 };

class CGestureInput {
public:
    CGestureInput();
    ~CGestureInput();

    // "MethodPoint.txt" from the data directory; 1 (a missing file leaves
    // no pattern, and every stroke fails).
    int LoadMethodPoints();
    void Update();
    void SetFreeDraw(int on);
    void SetTrailStyle(int32_t sizeBase, int32_t count);
    void SetTrailState(int32_t state, int32_t x, int32_t y, int32_t spread);
    void DrawTrail2D(CSurface* surface);
    void DrawTrail3D(CSurface* surface);
    void ClearStroke();
    void AddPoint(int32_t x, int32_t y);
    // The matched skill, or -1.
    int32_t CastByGesture();
    // Trail sprites along the line from the last cursor point to (x, y).
    void LayTrail(int32_t kind, int32_t x, int32_t y);

    int32_t m_TrailState = kTrailDrawing;
    std::list<std::unique_ptr<CTrailSprite>> m_Trail;
    std::vector<StrokePoint> m_Stroke;
    int32_t m_LastX = 0;
    int32_t m_LastY = 0;
    CTxtTable m_Patterns;
    std::vector<float> m_Forward;
    std::vector<float> m_Backward;
    int32_t m_SizeBase = 0;
    int32_t m_Count = 8;
    int32_t m_FreeDraw = 0;

    // The left button as the last update saw it; free-draw press ticks.
    int32_t m_ButtonDown = 0;
    int32_t m_PressTicks = 0;
    float m_Age = 0.0f;
    // "th\effect.bmp" in the program folder: -1 not looked for yet.
    int32_t m_HasPicture = -1;

private:
    bool HasTrailPicture();
};

extern CGestureInput g_GestureInput;

// Once per logic tick: the gesture input's update.
void PollGestureInput();
// Once per presented frame: the 2D trail with 3D off or when the scene does
// not begin; else the trail renderer and the trail sprites in one scene.
void DrawGestureTrail(CSurface* surface);
// Installs the pattern loader in the effect layer (CEffect3D).
void InstallGestureLoader();
