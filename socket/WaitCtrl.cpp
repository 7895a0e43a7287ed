#include "socket/WaitCtrl.h"

#include <charconv>

#include "platform/MessageLoop.h"

namespace zelvo::socket {

namespace {

bool ParseSeconds(const std::string& text, long& seconds) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    if (b == e)
        return false;
    auto [end, ec] = std::from_chars(text.data() + b, text.data() + e, seconds);
    return ec == std::errc{} && end == text.data() + e;
}

}  // namespace

TWaitCtrl::TWaitCtrl()
    : second_(1000, [this] { Tick(); }), token_(std::make_shared<TWaitCtrl*>(this)) {}

TWaitCtrl::~TWaitCtrl() {
    *token_ = nullptr;
    token_.reset();
}

std::string TWaitCtrl::Caption() const {
    return caption_;
}

void TWaitCtrl::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    if (OnChange)
        OnChange();
}

void TWaitCtrl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (OnChange)
        OnChange();
}

void TWaitCtrl::Start() {
    running_ = true;
    counting_ = ParseSeconds(Caption(), remaining_);
    if (counting_ && remaining_ <= 0) {
        Stop();
        return;
    }
    second_.SetEnabled(false);  // a restart begins a full second
    second_.SetEnabled(true);
}

void TWaitCtrl::Stop() {
    running_ = false;
    second_.SetEnabled(false);
}

void TWaitCtrl::Tick() {
    if (!running_ || !counting_)
        return;
    --remaining_;
    SetCaption(std::to_string(remaining_));
    if (remaining_ <= 0)
        Stop();
}

void TWaitCtrl::Run() {
    if (!running_)
        Start();
    std::weak_ptr<TWaitCtrl*> self = token_;
    while (true) {
        auto alive = self.lock();
        if (!alive || *alive == nullptr || !running_)
            return;
        alive.reset();
        platform::WaitMessage();
    }
}

}  // namespace zelvo::socket
