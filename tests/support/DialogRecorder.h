#pragma once
// Stands in for the message boxes during tests: records every box and beep
// and answers with the queued replies (IDOK, or IDYES for Yes/No boxes, when
// none are queued).
#include <deque>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace zelvo::testing {

struct RecordedBox {
    std::string text;
    std::string caption;
    platform::UINT flags;
    // The name of a lasting box; empty for a modal one.
    std::string lasting;
};

class DialogRecorder : public platform::DialogService {
public:
    DialogRecorder() : previous_(platform::SetDialogService(this)) {}
    ~DialogRecorder() override { platform::SetDialogService(previous_); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    int MessageBox(const std::string& text, const std::string& caption,
                   platform::UINT flags) override {
        boxes.push_back({text, caption, flags, {}});
        if (!replies.empty()) {
            int r = replies.front();
            replies.pop_front();
            return r;
        }
        return (flags & 0x0F) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    }
    void MessageBeep(platform::UINT type) override { beeps.push_back(type); }
    // Recorded like the others: its caller does not wait for an answer.
    void ShowLasting(const std::string& name, const std::string& text, const std::string& caption,
                     platform::UINT flags) override {
        boxes.push_back({text, caption, flags, name});
    }

    std::vector<RecordedBox> boxes;
    std::vector<platform::UINT> beeps;
    std::deque<int> replies;

private:
    platform::DialogService* previous_;
};

}  // namespace zelvo::testing
