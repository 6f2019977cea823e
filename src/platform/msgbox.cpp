#include "platform/msgbox.h"

#include <cstdio>

#include "platform/text.h"

namespace plat {

namespace {
std::vector<MessageBoxRecord>& Records() {
    static std::vector<MessageBoxRecord> v;
    return v;
}
MessageBoxPresenter& BoxPresenter() {
    static MessageBoxPresenter p;
    return p;
}
} // namespace

int MessageBox(const std::string& textGbk, const std::string& captionGbk, unsigned flags) {
    Records().push_back(MessageBoxRecord{textGbk, captionGbk, flags});
    std::string text = GbkToUtf8(textGbk);
    std::string caption = GbkToUtf8(captionGbk);
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    if (BoxPresenter()) return BoxPresenter()(text, caption, flags);
    return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
}

const std::vector<MessageBoxRecord>& RecordedMessageBoxes() { return Records(); }
void ClearRecordedMessageBoxes() { Records().clear(); }

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { BoxPresenter() = std::move(presenter); }

} // namespace plat
