#include "platform/StdCtrls.h"

#include <algorithm>

#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
using namespace win32;

namespace {

constexpr LONG_PTR kAlignMask = SS_TYPEMASK;

// Clicks a button as the system does: its container hears BN_CLICKED.
void SendClicked(HWND button) {
    if (button == nullptr || !::IsWindowEnabled(button))
        return;
    ::SendMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

LONG_PTR StyleOf(HWND window) {
    return window != nullptr ? ::GetWindowLongPtrW(window, GWL_STYLE) : 0;
}

void SetStyle(HWND window, LONG_PTR style) {
    if (window == nullptr)
        return;
    ::SetWindowLongPtrW(window, GWL_STYLE, style);
    ::InvalidateRect(window, nullptr, TRUE);
}

// The size of a caption with room for a check mark or an option's circle.
SIZE MarkedCaptionSize(const TControl::Impl& impl, const std::string& caption) {
    const SIZE text = TextSize(impl, caption);
    const int mark = Scale(impl.hwnd, 13);
    return SIZE{mark + Scale(impl.hwnd, 8) + text.cx,
                std::max<LONG>(text.cy, mark) + Scale(impl.hwnd, 4)};
}

SIZE FieldSize(const TControl::Impl& impl, int textWidth) {
    const SIZE chars = CharSize(impl);
    // Two pixels of sunken frame and two of margin either side, and the cursor.
    return SIZE{textWidth + Scale(impl.hwnd, 10), chars.cy + Scale(impl.hwnd, 8)};
}

struct ComboState {
    bool editable = true;
    bool caseSensitive = false;
    int minChars = 0;
    int dropCount = 8;
    // The text OnChange last reported, and how much of it the user typed
    // before completion added the rest.
    std::string reported;
    size_t typed = 0;
};

ComboState& ComboOf(const TControl& control) {
    return *static_cast<ComboState*>(control.Toolkit().state.get());
}

bool StartsWith(const std::string& text, const std::string& prefix, bool caseSensitive) {
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        auto a = static_cast<unsigned char>(text[i]);
        auto b = static_cast<unsigned char>(prefix[i]);
        if (!caseSensitive && a < 0x80 && b < 0x80) {
            a = static_cast<unsigned char>(std::tolower(a));
            b = static_cast<unsigned char>(std::tolower(b));
        }
        if (a != b)
            return false;
    }
    return true;
}

int ItemHeight(HWND combo) {
    const LRESULT h = ::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
    return h > 0 ? static_cast<int>(h) : 16;
}

}  // namespace

// --- Label and picture --------------------------------------------------------

TLabel::TLabel(TWinControl& parent, const std::string& caption)
    : TControl(MakeControl(Kind::Label, L"STATIC", &parent.Toolkit(), SS_LEFT | SS_CENTERIMAGE, 0,
                           caption)) {
    Impl& impl = Toolkit();
    impl.preferred = [this, &impl] {
        SIZE size;
        if (WordWrap()) {
            const int current = Width();
            const int wrap = current > 0 ? current : CharSize(impl).cx * 40;
            size = TextSize(impl, Caption(), wrap);
        } else {
            size = TextSize(impl, Caption());
        }
        if (::GetWindowLongPtrW(impl.hwnd, GWL_EXSTYLE) & WS_EX_STATICEDGE) {
            size.cx += Scale(impl.hwnd, 4);
            size.cy += Scale(impl.hwnd, 4);
        }
        return size;
    };
    FitNew(impl);
}

std::string TLabel::Caption() const {
    return WindowText(WindowOf(*this));
}

void TLabel::SetCaption(const std::string& caption) {
    if (HWND w = WindowOf(*this)) {
        SetText1252(w, caption);
        Rearrange(Toolkit());
    }
}

TAlignment TLabel::Alignment() const {
    switch (StyleOf(WindowOf(*this)) & kAlignMask) {
        case SS_CENTER:
            return TAlignment::taCenter;
        case SS_RIGHT:
            return TAlignment::taRightJustify;
        default:
            return TAlignment::taLeftJustify;
    }
}

void TLabel::SetAlignment(TAlignment alignment) {
    HWND w = WindowOf(*this);
    LONG_PTR align = SS_LEFT;
    if (alignment == TAlignment::taCenter)
        align = SS_CENTER;
    else if (alignment == TAlignment::taRightJustify)
        align = SS_RIGHT;
    SetStyle(w, (StyleOf(w) & ~kAlignMask) | align);
}

bool TLabel::WordWrap() const {
    HWND w = WindowOf(*this);
    return w != nullptr && (StyleOf(w) & SS_CENTERIMAGE) == 0;
}

void TLabel::SetWordWrap(bool wrap) {
    // A label centred vertically is one line; one that wraps starts at the top.
    HWND w = WindowOf(*this);
    SetStyle(w, wrap ? StyleOf(w) & ~static_cast<LONG_PTR>(SS_CENTERIMAGE)
                     : StyleOf(w) | SS_CENTERIMAGE);
    Rearrange(Toolkit());
}

void TLabel::SetSunken(bool sunken) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    LONG_PTR ex = ::GetWindowLongPtrW(w, GWL_EXSTYLE);
    ex = sunken ? (ex | WS_EX_STATICEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE));
    ::SetWindowLongPtrW(w, GWL_EXSTYLE, ex);
    ::SetWindowPos(w, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

namespace {

struct Picture {
    ~Picture() {
        if (icon != nullptr)
            ::DestroyIcon(icon);
    }
    HICON icon = nullptr;
    int size = 0;
};

HICON LoadComputerIcon(int size) {
    // The system's own computer picture, else the plain program one.
    HMODULE shell = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HICON icon = nullptr;
    if (shell != nullptr) {
        icon = static_cast<HICON>(
            ::LoadImageW(shell, MAKEINTRESOURCEW(16), IMAGE_ICON, size, size, 0));
        ::FreeLibrary(shell);
    }
    if (icon == nullptr) {
        HICON shared = static_cast<HICON>(
            ::LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, size, size, LR_SHARED));
        icon = shared != nullptr ? ::CopyIcon(shared) : nullptr;
    }
    return icon;
}

}  // namespace

TImage::TImage(TWinControl& parent)
    : TControl(MakeControl(Kind::Image, ContainerClass(), &parent.Toolkit(), 0)) {
    Impl& impl = Toolkit();
    auto picture = std::make_shared<Picture>();
    impl.state = picture;
    impl.preferred = [picture] { return SIZE{picture->size, picture->size}; };
    FitNew(impl);
    impl.own = [&impl, picture](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(impl.hwnd, &ps);
        RECT rc;
        ::GetClientRect(impl.hwnd, &rc);
        ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        if (picture->icon != nullptr)
            ::DrawIconEx(dc, (rc.right - picture->size) / 2, (rc.bottom - picture->size) / 2,
                         picture->icon, picture->size, picture->size, 0, nullptr, DI_NORMAL);
        ::EndPaint(impl.hwnd, &ps);
        result = 0;
        return true;
    };
}

void TImage::SetStockPicture(TStockPicture picture, int size) {
    auto& held = *static_cast<Picture*>(Toolkit().state.get());
    HICON icon = nullptr;
    switch (picture) {
        case TStockPicture::spComputer:
            icon = LoadComputerIcon(size);
            break;
    }
    if (held.icon != nullptr)
        ::DestroyIcon(held.icon);
    held.icon = icon;
    held.size = icon != nullptr ? size : 0;
    if (HWND w = WindowOf(*this))
        ::InvalidateRect(w, nullptr, TRUE);
}

bool TImage::HasPicture() const {
    return WindowOf(*this) != nullptr &&
           static_cast<Picture*>(Toolkit().state.get())->icon != nullptr;
}

// --- Button -----------------------------------------------------------------------

TButton::TButton(TWinControl& parent, const std::string& caption)
    : TControl(MakeControl(Kind::Button, L"BUTTON", &parent.Toolkit(), BS_PUSHBUTTON | WS_TABSTOP,
                           0, caption)) {
    Impl& impl = Toolkit();
    impl.command = [this](UINT code) {
        if (code == BN_CLICKED)
            Fire(OnClick, this);
    };
    impl.preferred = [this, &impl] {
        const SIZE text = TextSize(impl, Caption());
        return SIZE{std::max<LONG>(text.cx + Scale(impl.hwnd, 16), Scale(impl.hwnd, 75)),
                    std::max<LONG>(text.cy + Scale(impl.hwnd, 10), Scale(impl.hwnd, 23))};
    };
    FitNew(impl);
}

std::string TButton::Caption() const {
    return WindowText(WindowOf(*this));
}

void TButton::SetCaption(const std::string& caption) {
    if (HWND w = WindowOf(*this)) {
        SetText1252(w, caption);
        Rearrange(Toolkit());
    }
}

bool TButton::Default() const {
    return (StyleOf(WindowOf(*this)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

void TButton::SetDefault(bool isDefault) {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    SendClicked(WindowOf(*this));
}

// --- Edit -----------------------------------------------------------------------

TEdit::TEdit(TWinControl& parent)
    : TControl(MakeControl(Kind::Edit, L"EDIT", &parent.Toolkit(), ES_AUTOHSCROLL | WS_TABSTOP,
                           WS_EX_CLIENTEDGE)) {
    Impl& impl = Toolkit();
    // The field tells of changes that change nothing too (a key refused at
    // the limit); only the text's changes are reported.
    auto reported = std::make_shared<std::string>();
    impl.state = reported;
    impl.command = [this, reported](UINT code) {
        if (code != EN_CHANGE || Text() == *reported)
            return;
        *reported = Text();
        Fire(OnChange, this);
    };
    impl.preferred = [&impl] { return FieldSize(impl, CharSize(impl).cx * 17); };
    FitNew(impl);
}

std::string TEdit::Text() const {
    return WindowText(WindowOf(*this));
}

void TEdit::SetText(const std::string& text) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    // The limit holds for the program's texts as for typed ones.
    std::string held = text;
    const int limit = MaxLength();
    if (limit > 0 && held.size() > static_cast<size_t>(limit))
        held.resize(static_cast<size_t>(limit));
    if (held != Text())
        SetText1252(w, held);
}

int TEdit::MaxLength() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? static_cast<int>(::SendMessageW(w, EM_GETLIMITTEXT, 0, 0)) : 0;
}

void TEdit::SetMaxLength(int length) {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, EM_SETLIMITTEXT, length > 0 ? static_cast<WPARAM>(length) : 0, 0);
}

bool TEdit::Password() const {
    HWND w = WindowOf(*this);
    return w != nullptr && ::SendMessageW(w, EM_GETPASSWORDCHAR, 0, 0) != 0;
}

void TEdit::SetPassword(bool password) {
    if (HWND w = WindowOf(*this)) {
        ::SendMessageW(w, EM_SETPASSWORDCHAR, password ? 0x25CF : 0, 0);
        ::InvalidateRect(w, nullptr, TRUE);
    }
}

void TEdit::FitToDigits(int digits) {
    const Impl& impl = Toolkit();
    if (impl.hwnd == nullptr)
        return;
    const int width = TextSize(impl, std::string(static_cast<size_t>(std::max(digits, 1)), '0')).cx;
    SetFixedWidth(FieldSize(impl, width).cx);
}

// --- Combo box ----------------------------------------------------------------

TComboBox::TComboBox(TWinControl& parent, TComboBoxStyle style)
    : TControl(MakeControl(
          Kind::Combo, L"COMBOBOX", &parent.Toolkit(),
          WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL |
              (style == TComboBoxStyle::csDropDown ? CBS_DROPDOWN : CBS_DROPDOWNLIST))) {
    Impl& impl = Toolkit();
    auto state = std::make_shared<ComboState>();
    state->editable = style == TComboBoxStyle::csDropDown;
    impl.state = state;
    if (impl.hwnd != nullptr)
        impl.dropHeight = state->dropCount * ItemHeight(impl.hwnd) + Scale(impl.hwnd, 2);
    auto report = [this, state](const std::string& text) {
        if (text == state->reported)
            return;
        state->reported = text;
        Fire(OnChange, this);
    };
    impl.command = [this, state, report, &impl](UINT code) {
        switch (code) {
            case CBN_DROPDOWN:
                Fire(OnDropDown, this);
                break;
            case CBN_SELCHANGE: {
                // The field shows the chosen item only after this notification.
                const LRESULT index = ::SendMessageW(impl.hwnd, CB_GETCURSEL, 0, 0);
                report(index >= 0 ? Item(static_cast<int>(index)) : std::string());
                break;
            }
            case CBN_EDITCHANGE: {
                std::string text = Text();
                DWORD end = 0;
                ::SendMessageW(impl.hwnd, CB_GETEDITSEL, 0, reinterpret_cast<LPARAM>(&end));
                const bool typedAtEnd = end == text.size();
                if (state->editable && typedAtEnd && text.size() > state->typed) {
                    // Completes what was typed from the first item it starts,
                    // keeping the typed part as typed.
                    for (const std::string& item : Items()) {
                        if (item.size() > text.size() &&
                            StartsWith(item, text, state->caseSensitive)) {
                            const size_t typed = text.size();
                            text += item.substr(typed);
                            SetText1252(impl.hwnd, text);
                            ::SendMessageW(impl.hwnd, CB_SETEDITSEL, 0,
                                           MAKELPARAM(typed, static_cast<WORD>(-1)));
                            break;
                        }
                    }
                }
                DWORD start = 0;
                ::SendMessageW(impl.hwnd, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
                state->typed = std::min<size_t>(start, text.size());
                report(text);
                break;
            }
            default:
                break;
        }
    };
    impl.preferred = [this, state, &impl] {
        int widest = CharSize(impl).cx * std::max(state->minChars, 8);
        for (const std::string& item : Items())
            widest = std::max<int>(widest, TextSize(impl, item).cx);
        const SIZE field = FieldSize(impl, widest);
        return SIZE{field.cx + ::GetSystemMetrics(SM_CXVSCROLL), field.cy};
    };
    FitNew(impl);
}

std::string TComboBox::Text() const {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return {};
    if (ComboOf(*this).editable)
        return WindowText(w);
    const int index = ItemIndex();
    return index >= 0 ? Item(index) : std::string();
}

void TComboBox::SetText(const std::string& text) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    ComboState& state = ComboOf(*this);
    if (state.editable) {
        SetText1252(w, text);
        state.typed = text.size();
    } else {
        const std::vector<std::string> items = Items();
        const auto found = std::find(items.begin(), items.end(), text);
        ::SendMessageW(w, CB_SETCURSEL,
                       found != items.end() ? static_cast<WPARAM>(found - items.begin())
                                            : static_cast<WPARAM>(-1),
                       0);
    }
    if (Text() != state.reported) {
        state.reported = Text();
        Fire(OnChange, this);
    }
}

int TComboBox::ItemCount() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? std::max(static_cast<int>(::SendMessageW(w, CB_GETCOUNT, 0, 0)), 0) : 0;
}

std::string TComboBox::Item(int index) const {
    HWND w = WindowOf(*this);
    if (w == nullptr || index < 0 || index >= ItemCount())
        return {};
    const LRESULT length = ::SendMessageW(w, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = ::SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Narrow1252(text);
}

std::vector<std::string> TComboBox::Items() const {
    std::vector<std::string> items;
    const int n = ItemCount();
    items.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        items.push_back(Item(i));
    return items;
}

void TComboBox::AddItem(const std::string& item) {
    InsertItem(ItemCount(), item);
}

void TComboBox::InsertItem(int index, const std::string& item) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    const std::string edited = Text();
    const std::wstring wide = Wide1252(item);
    const int at = index < 0 || index > ItemCount() ? ItemCount() : index;
    ::SendMessageW(w, CB_INSERTSTRING, static_cast<WPARAM>(at),
                   reinterpret_cast<LPARAM>(wide.c_str()));
    if (ComboOf(*this).editable && Text() != edited)
        SetText1252(w, edited);
}

void TComboBox::ClearItems() {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    ::SendMessageW(w, CB_RESETCONTENT, 0, 0);
    ComboState& state = ComboOf(*this);
    if (Text() != state.reported) {
        state.reported = Text();
        Fire(OnChange, this);
    }
}

int TComboBox::ItemIndex() const {
    HWND w = WindowOf(*this);
    return w != nullptr ? static_cast<int>(::SendMessageW(w, CB_GETCURSEL, 0, 0)) : -1;
}

void TComboBox::SetItemIndex(int index) {
    HWND w = WindowOf(*this);
    if (w == nullptr)
        return;
    ::SendMessageW(w, CB_SETCURSEL, index >= 0 ? static_cast<WPARAM>(index) : WPARAM(-1), 0);
    ComboState& state = ComboOf(*this);
    if (Text() != state.reported) {
        state.reported = Text();
        Fire(OnChange, this);
    }
}

void TComboBox::SetDropDownCount(int count) {
    Impl& impl = Toolkit();
    ComboOf(*this).dropCount = std::max(count, 1);
    if (impl.hwnd == nullptr)
        return;
    ::SendMessageW(impl.hwnd, CB_SETMINVISIBLE, static_cast<WPARAM>(std::max(count, 1)), 0);
    impl.dropHeight = std::max(count, 1) * ItemHeight(impl.hwnd) + Scale(impl.hwnd, 2);
}

void TComboBox::SetMinimumChars(int chars) {
    ComboOf(*this).minChars = chars;
    Rearrange(Toolkit());
}

void TComboBox::SetCaseSensitiveCompletion(bool on) {
    ComboOf(*this).caseSensitive = on;
}

void TComboBox::DropDown() {
    if (HWND w = WindowOf(*this))
        ::SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
}

// --- Check box and option ------------------------------------------------------

TCheckBox::TCheckBox(TWinControl& parent, const std::string& caption)
    : TControl(MakeControl(Kind::Check, L"BUTTON", &parent.Toolkit(), BS_CHECKBOX | WS_TABSTOP, 0,
                           caption)) {
    Impl& impl = Toolkit();
    impl.command = [this](UINT code) {
        if (code == BN_CLICKED)
            SetChecked(!Checked());
    };
    impl.preferred = [this, &impl] { return MarkedCaptionSize(impl, Caption()); };
    FitNew(impl);
}

std::string TCheckBox::Caption() const {
    return WindowText(WindowOf(*this));
}

bool TCheckBox::Checked() const {
    HWND w = WindowOf(*this);
    return w != nullptr && ::SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    HWND w = WindowOf(*this);
    if (w == nullptr || Checked() == checked)
        return;
    ::SendMessageW(w, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Fire(OnClick, this);
}

void TCheckBox::Click() {
    SendClicked(WindowOf(*this));
}

TRadioButton::TRadioButton(TWinControl& parent, const std::string& caption)
    : TControl(MakeControl(Kind::Radio, L"BUTTON", &parent.Toolkit(), BS_RADIOBUTTON, 0, caption)) {
    Impl& impl = Toolkit();
    impl.command = [this](UINT code) {
        if (code == BN_CLICKED)
            SetChecked(true);
    };
    impl.preferred = [this, &impl] { return MarkedCaptionSize(impl, Caption()); };
    FitNew(impl);
}

std::string TRadioButton::Caption() const {
    return WindowText(WindowOf(*this));
}

bool TRadioButton::Checked() const {
    HWND w = WindowOf(*this);
    return w != nullptr && ::SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool checked) {
    HWND w = WindowOf(*this);
    // An option is cleared only by selecting another of its container.
    if (w == nullptr || !checked || Checked())
        return;
    for (HWND other = ::GetWindow(::GetParent(w), GW_CHILD); other != nullptr;
         other = ::GetWindow(other, GW_HWNDNEXT)) {
        TControl::Impl* impl = ControlOf(other);
        if (other == w || impl == nullptr || impl->kind != Kind::Radio)
            continue;
        ::SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        SetStyle(other, StyleOf(other) & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
    ::SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
    // The group is one stop of the Tab key, at its selected option.
    SetStyle(w, StyleOf(w) | WS_TABSTOP);
    Fire(OnClick, this);
}

void TRadioButton::Click() {
    SendClicked(WindowOf(*this));
}

}  // namespace zelvo::platform
