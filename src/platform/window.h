#pragma once
// The main window. Only the declarations other code needs before the window
// backend lands; the backend owns the definition.
namespace plat {

class Window;

enum : int { SW_HIDE = 0, SW_SHOW = 5 };

// Null-safe: a null window is ignored.
void ShowWindow(Window* window, int cmd);

} // namespace plat
