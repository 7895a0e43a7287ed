#include "platform/ComCtrls.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
using namespace win32;

namespace {

// --- Track bar state ---------------------------------------------------------------

struct TrackState {
    // The position OnChange last reported or the program last set.
    int position = 0;
};

int ThumbOf(HWND bar) {
    return bar != nullptr ? static_cast<int>(::SendMessageW(bar, TBM_GETPOS, 0, 0)) : 0;
}

// --- Spin edit --------------------------------------------------------------------

struct SpinState {
    HWND edit = nullptr;
    HWND arrows = nullptr;
    int maxLength = 0;
};

SpinState& SpinOf(const TControl& control) {
    return *static_cast<SpinState*>(control.Toolkit().state.get());
}

// The text as a decimal number, nothing when it is not one.
std::optional<int> Typed(const std::string& text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

}  // namespace

// --- Track bar --------------------------------------------------------------------

TTrackBar::TTrackBar(TWinControl& parent)
    : TControl(MakeControl(Kind::TrackBar, TRACKBAR_CLASSW, &parent.Toolkit(),
                           TBS_HORZ | TBS_TOP | TBS_AUTOTICKS | WS_TABSTOP)) {
    Impl& impl = Toolkit();
    auto state = std::make_shared<TrackState>();
    impl.state = state;
    impl.scroll = [this, state, &impl](UINT) {
        // Every move the user makes, once; the closing notice moves nothing.
        const int now = ThumbOf(impl.hwnd);
        if (now == state->position)
            return;
        state->position = now;
        Fire(OnChange, this);
    };
    impl.preferred = [&impl] { return SIZE{Scale(impl.hwnd, 100), Scale(impl.hwnd, 32)}; };
    FitNew(impl);
}

int TTrackBar::Min() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? static_cast<int>(::SendMessageW(w, TBM_GETRANGEMIN, 0, 0)) : 0;
}

int TTrackBar::Max() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? static_cast<int>(::SendMessageW(w, TBM_GETRANGEMAX, 0, 0)) : 0;
}

void TTrackBar::SetRange(int min, int max) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    const int before = ThumbOf(w);
    ::SendMessageW(w, TBM_SETRANGEMIN, FALSE, min);
    ::SendMessageW(w, TBM_SETRANGEMAX, TRUE, std::max(min, max));
    ::SendMessageW(w, TBM_SETPOS, TRUE, std::clamp(before, min, std::max(min, max)));
    static_cast<TrackState*>(Toolkit().state.get())->position = ThumbOf(w);
}

int TTrackBar::Position() const {
    return ThumbOf(WindowOf(*this));
}

void TTrackBar::SetPosition(int position) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    ::SendMessageW(w, TBM_SETPOS, TRUE, position);
    static_cast<TrackState*>(Toolkit().state.get())->position = ThumbOf(w);
}

void TTrackBar::SetLineSize(int size) {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, TBM_SETLINESIZE, 0, size);
}

void TTrackBar::SetPageSize(int size) {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, TBM_SETPAGESIZE, 0, size);
}

void TTrackBar::SetFrequency(int frequency) {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, TBM_SETTICFREQ, static_cast<WPARAM>(std::max(frequency, 1)), 0);
}

// --- Spin edit ----------------------------------------------------------------------

TSpinEdit::TSpinEdit(TWinControl& parent, int minValue, int maxValue, int maxLength)
    : TControl(MakeControl(Kind::Spin, ContainerClass(), &parent.Toolkit(), WS_CLIPCHILDREN,
                           WS_EX_CONTROLPARENT)),
      min_(minValue),
      max_(std::max(minValue, maxValue)) {
    Impl& impl = Toolkit();
    auto state = std::make_shared<SpinState>();
    state->maxLength = std::max(maxLength, 1);
    impl.state = state;
    if (impl.hwnd == nullptr)
        return;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    state->edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                    impl.hwnd, reinterpret_cast<HMENU>(1), instance, nullptr);
    state->arrows = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                      impl.hwnd, reinterpret_cast<HMENU>(2), instance, nullptr);
    ::SendMessageW(state->edit, EM_SETLIMITTEXT, static_cast<WPARAM>(state->maxLength), 0);
    // The arrows keep no value of their own: each press steps the field.
    ::SendMessageW(state->arrows, UDM_SETRANGE32, 0, 100);
    ::SendMessageW(state->arrows, UDM_SETPOS32, 0, 50);
    impl.focus = state->edit;
    AttachPart(impl, state->edit);
    AttachPart(impl, state->arrows);

    impl.command = [this](UINT code) {
        // Leaving the field takes a number outside the range into it; a text
        // that is no number stays as typed and counts as the minimum.
        if (code == EN_KILLFOCUS) {
            if (auto typed = Typed(Text()); typed && std::clamp(*typed, min_, max_) != *typed)
                SetValue(*typed);
        }
    };
    impl.notify = [this](const NMHDR& header) -> LRESULT {
        if (header.code != UDN_DELTAPOS)
            return 0;
        const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
        SetValue(Value() + (change.iDelta > 0 ? 1 : -1));
        return 1;
    };
    impl.own = [this, state](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
        if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) &&
            ::GetFocus() == state->edit) {
            SetValue(Value() + (wParam == VK_UP ? 1 : -1));
            result = 0;
            return true;
        }
        return false;
    };
    impl.arrangeParts = [state, &impl] {
        RECT rc;
        ::GetClientRect(impl.hwnd, &rc);
        const int arrows = std::min<int>(::GetSystemMetrics(SM_CXVSCROLL), rc.right);
        ::SetWindowPos(state->edit, nullptr, 0, 0, rc.right - arrows, rc.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(state->arrows, nullptr, rc.right - arrows, 0, arrows, rc.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    };
    impl.preferred = [state, &impl] {
        const SIZE digits = TextSize(impl, std::string(static_cast<size_t>(state->maxLength), '0'));
        const SIZE chars = CharSize(impl);
        return SIZE{digits.cx + Scale(impl.hwnd, 10) + ::GetSystemMetrics(SM_CXVSCROLL),
                    chars.cy + Scale(impl.hwnd, 8)};
    };
    FitNew(impl);
}

int TSpinEdit::Value() const {
    // Whatever the field shows, nothing outside the range leaves it.
    auto typed = Typed(Text());
    return typed ? std::clamp(*typed, min_, max_) : min_;
}

void TSpinEdit::SetValue(int value) {
    SetText(std::to_string(std::clamp(value, min_, max_)));
}

std::string TSpinEdit::Text() const {
    return WindowOf(*this) != nullptr ? WindowText(SpinOf(*this).edit) : std::string();
}

void TSpinEdit::SetText(const std::string& text) {
    if (WindowOf(*this) == nullptr)
        return;
    const SpinState& state = SpinOf(*this);
    SetText1252(state.edit, text.substr(0, static_cast<size_t>(state.maxLength)));
}

// --- Pages ------------------------------------------------------------------------------

TTabSheet::TTabSheet(std::unique_ptr<Impl> impl) : TWinControl(std::move(impl)) {}

std::string TTabSheet::Caption() const {
    return WindowText(WindowOf(*this));
}

TPageControl::TPageControl(TWinControl& parent)
    : TControl(MakeControl(Kind::Pages, WC_TABCONTROLW, &parent.Toolkit(),
                           WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)) {
    Impl& impl = Toolkit();
    impl.notify = [this](const NMHDR& header) -> LRESULT {
        if (header.code == TCN_SELCHANGE) {
            const int index = ActivePageIndex();
            for (int i = 0; i < PageCount(); ++i)
                if (HWND page = WindowOf(Page(i)))
                    ::ShowWindow(page, i == index ? SW_SHOWNA : SW_HIDE);
            Fire(OnChange, this);
        }
        return 0;
    };
    impl.arrangeParts = [this, &impl] {
        RECT rc;
        ::GetClientRect(impl.hwnd, &rc);
        ::SendMessageW(impl.hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
        for (auto& page : pages_)
            if (HWND w = WindowOf(*page))
                ::SetWindowPos(w, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // Every page counts, shown or not, and every tab stands whole in one row.
    impl.preferred = [this, &impl] {
        SIZE inner{0, 0};
        for (auto& page : pages_) {
            const SIZE need = ArrangementSize(page->Toolkit());
            inner.cx = std::max(inner.cx, need.cx);
            inner.cy = std::max(inner.cy, need.cy);
        }
        RECT rc{0, 0, inner.cx, inner.cy};
        ::SendMessageW(impl.hwnd, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&rc));
        SIZE size{rc.right - rc.left, rc.bottom - rc.top};
        // The tab's place, which the control gives whether or not it fits yet.
        RECT last{};
        if (!pages_.empty()) {
            ::SendMessageW(impl.hwnd, TCM_GETITEMRECT, pages_.size() - 1,
                           reinterpret_cast<LPARAM>(&last));
            size.cx = std::max<LONG>(size.cx, last.right + Scale(impl.hwnd, 4));
        }
        return size;
    };
    FitNew(impl);
}

TPageControl::~TPageControl() {
    // Pages going one by one would bring others to the front.
    Toolkit().notify = nullptr;
    Toolkit().arrangeParts = nullptr;
    Toolkit().preferred = nullptr;
    pages_.clear();
}

TTabSheet& TPageControl::AddPage(const std::string& caption) {
    Impl& impl = Toolkit();
    std::wstring text = Wide1252(caption);
    if (impl.hwnd != nullptr) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(impl.hwnd, TCM_INSERTITEMW, pages_.size(), reinterpret_cast<LPARAM>(&item));
    }
    auto page = MakeControl(Kind::Sheet, ContainerClass(), &impl, WS_CLIPCHILDREN,
                            WS_EX_CONTROLPARENT, caption);
    if (page->hwnd != nullptr && static_cast<int>(pages_.size()) != ActivePageIndex())
        ::ShowWindow(page->hwnd, SW_HIDE);
    pages_.push_back(std::unique_ptr<TTabSheet>(new TTabSheet(std::move(page))));
    if (impl.arrangeParts)
        impl.arrangeParts();
    return *pages_.back();
}

int TPageControl::ActivePageIndex() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? static_cast<int>(::SendMessageW(w, TCM_GETCURSEL, 0, 0)) : -1;
}

void TPageControl::SetActivePageIndex(int index) {
    HWND w = WindowOf(*this);
    if (w == nullptr || index < 0 || index >= PageCount() || index == ActivePageIndex())
        return;
    ::SendMessageW(w, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header{w, static_cast<UINT_PTR>(::GetDlgCtrlID(w)), static_cast<UINT>(TCN_SELCHANGE)};
    if (auto notify = Toolkit().notify)
        notify(header);
}

}  // namespace zelvo::platform
