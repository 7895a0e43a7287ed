#include "platform/Forms.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
using namespace win32;

namespace {

// The enabled button marked default somewhere on the form.
HWND DefaultButton(HWND form) {
    HWND found = nullptr;
    ::EnumChildWindows(
        form,
        [](HWND child, LPARAM param) -> BOOL {
            TControl::Impl* impl = ControlOf(child);
            if (impl == nullptr || impl->kind != Kind::Button || impl->hwnd != child ||
                (::GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON ||
                !::IsWindowEnabled(child) || !::IsWindowVisible(child))
                return TRUE;
            *reinterpret_cast<HWND*>(param) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Other windows of the program take no input while a form is modal.
std::vector<HWND> DisableOthers(HWND form) {
    struct Scan {
        HWND form;
        std::vector<HWND> disabled;
    } scan{form, {}};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Scan*>(param);
            if (w != s->form && ::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
                ::EnableWindow(w, FALSE);
                s->disabled.push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&scan));
    return scan.disabled;
}

// The message loop's own hidden windows take a posted WM_TIMER's lParam as
// data; the system would call it as a timer procedure.
bool ForMessageWindow(const MSG& msg) {
    if (msg.message != WM_TIMER || msg.lParam == 0 || msg.hwnd == nullptr)
        return false;
    wchar_t name[32] = {};
    ::GetClassNameW(msg.hwnd, name, 32);
    return std::wstring_view(name) == L"ZelvoMessageWindow";
}

}  // namespace

TForm::TForm()
    : TWinControl(MakeControl(Kind::Form, FormClass(), nullptr,
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                              WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT)) {
    Impl& impl = Toolkit();
    impl.own = [this, &impl](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        result = 0;
        switch (msg) {
            case WM_CLOSE:
                Close();
                return true;
            case WM_GETMINMAXINFO: {
                // The form's size is the arrangement's, however small; the
                // desktop's least for a captioned window would widen it.
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = POINT{1, 1};
                return true;
            }
            case WM_COMMAND:
                // The dialog keys: Escape sends IDCANCEL, Enter IDOK.
                if (LOWORD(wParam) == IDCANCEL) {
                    if (impl.detached)
                        return true;
                    if (OnCancel)
                        Fire(OnCancel, this);
                    else
                        SetModalResult(mrCancel);
                    return true;
                }
                if (LOWORD(wParam) == IDOK) {
                    if (HWND button = DefaultButton(impl.hwnd))
                        ::SendMessageW(::GetParent(button), WM_COMMAND,
                                       MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                                       reinterpret_cast<LPARAM>(button));
                    return true;
                }
                return false;
            default:
                return false;
        }
    };
}

TForm::~TForm() {
    Impl& impl = Toolkit();
    impl.detached = true;
    // A modal loop still running returns before the window goes.
    if (impl.modal && impl.hwnd != nullptr)
        ::PostMessageW(impl.hwnd, WM_NULL, 0, 0);
    impl.modal = false;
    if (impl.hwnd != nullptr && ::IsWindowVisible(impl.hwnd))
        ::ShowWindow(impl.hwnd, SW_HIDE);
}

std::string TForm::Caption() const {
    return WindowText(WindowOf(*this));
}

void TForm::SetCaption(const std::string& caption) {
    SetText1252(WindowOf(*this), caption);
}

void TForm::MoveTo(int left, int top) {
    if (HWND w = WindowOf(*this))
        ::SetWindowPos(w, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::FitToContents(int minWidth, int minHeight) {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr)
        return;
    const SIZE need = ArrangementSize(impl);
    SetFixedSize(std::max<int>(need.cx, minWidth), std::max<int>(need.cy, minHeight));
    ArrangeAll(impl);
}

void TForm::Show() {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr || ::IsWindowVisible(impl.hwnd))
        return;
    if (impl.arrangement != nullptr && (Width() == 0 || Height() == 0)) {
        const SIZE need = ArrangementSize(impl);
        SetBounds(Left(), Top(), need.cx, need.cy);
    }
    ArrangeAll(impl);
    ::ShowWindow(impl.hwnd, SW_SHOW);
    HWND focus = ::GetFocus();
    if (focus == nullptr || (focus != impl.hwnd && !::IsChild(impl.hwnd, focus))) {
        if (HWND first = ::GetNextDlgTabItem(impl.hwnd, nullptr, FALSE))
            ::SetFocus(first);
    }
    if (!impl.detached)
        Fire(OnShow, this);
}

void TForm::Hide() {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr || !::IsWindowVisible(impl.hwnd))
        return;
    ::ShowWindow(impl.hwnd, SW_HIDE);
    if (!impl.detached)
        Fire(OnHide, this);
}

int TForm::ShowModal() {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr)
        return mrCancel;
    const std::weak_ptr<int> alive = impl.life;
    impl.modal = true;
    impl.modalResult = mrNone;
    const std::vector<HWND> disabled = DisableOthers(impl.hwnd);
    Show();
    // The dialog keys (Tab, the arrows, Enter, Escape) work while it runs.
    MSG msg;
    while (!alive.expired() && impl.modal && impl.hwnd != nullptr) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is quitting: the outer loop must see it too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (ForMessageWindow(msg)) {
            const auto proc =
                reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(msg.hwnd, GWLP_WNDPROC));
            ::CallWindowProcW(proc, msg.hwnd, msg.message, msg.wParam, msg.lParam);
            continue;
        }
        if (alive.expired() || impl.hwnd == nullptr || !::IsDialogMessageW(impl.hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    for (HWND w : disabled)
        if (::IsWindow(w))
            ::EnableWindow(w, TRUE);
    if (alive.expired())
        return mrCancel;
    impl.modal = false;
    Hide();
    return impl.modalResult != mrNone ? impl.modalResult : mrCancel;
}

bool TForm::Modal() const {
    return Toolkit().modal && Visible();
}

void TForm::SetModalResult(int result) {
    Impl& impl = Toolkit();
    if (impl.modal) {
        impl.modalResult = result;
        impl.modal = false;
        // Wakes the loop, which may be waiting for a message.
        if (impl.hwnd != nullptr)
            ::PostMessageW(impl.hwnd, WM_NULL, 0, 0);
    }
    Hide();
}

void TForm::Close() {
    Impl& impl = Toolkit();
    if (impl.hwnd == nullptr || !::IsWindowVisible(impl.hwnd))
        return;
    if (impl.detached || !OnClose) {
        // As for Escape: the cancel handler decides, else the form closes.
        if (!impl.detached && OnCancel)
            Fire(OnCancel, this);
        else
            SetModalResult(mrCancel);
        return;
    }
    Fire(OnClose, this);
    if (impl.hwnd != nullptr && ::IsWindowVisible(impl.hwnd))
        SetModalResult(mrCancel);
}

}  // namespace zelvo::platform
