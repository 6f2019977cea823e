#pragma once
// The program directory and its standard sub-directories, and the view
// rectangle. Every file the game reads is found relative to the program
// directory, never the working directory given at launch.
#include <cstdint>

// Program directory in Windows form, ending in '\', upper-cased (ASCII
// letters only); made the current directory. With loadText, also loads
// g_TextTable from the data directory's "Text.txt". Returns 1.
int SetProgramDirectory(int loadText);
const char* GetProgramDirectory();
// Program directory + "Zy\", "cj\" or "mb\", upper-cased, in one shared
// buffer: copy the result before the next getter call.
const char* GetZyDirectory();
const char* GetCjDirectory();
const char* GetMbDirectory();

// x, y, width, height and one further value: the rectangle every frame draw
// clips to.
struct ViewRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t extra = 0;
};

extern ViewRect g_ViewRect;
extern int32_t g_ViewCenterX;
extern int32_t g_ViewCenterY;

ViewRect* GetViewRect();
// Copies the five values; the view centre becomes (width / 2, height / 2).
void SetViewRect(const ViewRect& r);
