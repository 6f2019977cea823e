#pragma once
// Message boxes: recorded for tests, written to stderr as UTF-8, and shown
// with a real dialog only when a presenter is installed (the SDL window does
// that). Never modal in tests or headless runs.
#include <functional>
#include <string>
#include <vector>

namespace plat {

enum : unsigned { MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNO = 0x4, MB_ICONERROR = 0x10 };
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The caption of a box whose text is the path of a file that did not open,
// so the box says what went wrong and not only where.
constexpr const char* kCannotOpenCaption = "Cannot open this file";

struct MessageBoxRecord {
    std::string text;     // GBK
    std::string caption;  // GBK
    unsigned flags = 0;
};

// Returns the button pressed; without a presenter the default answer (IDOK,
// or IDYES for MB_YESNO).
int MessageBox(const std::string& textGbk, const std::string& captionGbk, unsigned flags = MB_OK);

const std::vector<MessageBoxRecord>& RecordedMessageBoxes();
void ClearRecordedMessageBoxes();

// A presenter shows a real dialog and returns the button; texts are UTF-8.
using MessageBoxPresenter = std::function<int(const std::string& textUtf8, const std::string& captionUtf8, unsigned flags)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

} // namespace plat
