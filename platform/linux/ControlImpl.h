#pragma once
// The toolkit's side of the form controls: each control's widget and the
// context its signal connections live in. The connections go before the
// widget does, so that nothing a dying widget signals reaches a control that
// is being destroyed.
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <utility>

#include "platform/Controls.h"
#include "platform/MessageLoop.h"

namespace zelvo::platform {

struct TControl::Impl {
    explicit Impl(QWidget* w) : widget(w), events(std::make_unique<QObject>()) {}
    QPointer<QWidget> widget;
    std::unique_ptr<QObject> events;
};

namespace toolkit {

// The width a one-line field needs to show that many digits whole in its
// font, and never less than the style's least.
int FieldWidthFor(const QLineEdit* field, int digits);

// The control's widget, nullptr once its parent took it away. Tests may look
// at it; the program goes through the control.
inline QWidget* WidgetOf(const TControl& control) {
    return control.Toolkit().widget.data();
}

template <typename W>
W* As(const TControl& control) {
    return static_cast<W*>(WidgetOf(control));
}

// The widget that takes the focus for the control.
inline QWidget* FocusTarget(const TControl& control) {
    QWidget* w = WidgetOf(control);
    return w != nullptr && w->focusProxy() != nullptr ? w->focusProxy() : w;
}

// The widget a container's children are put into.
inline QWidget* ParentWidget(const TWinControl& parent) {
    return WidgetOf(parent);
}

inline std::unique_ptr<TControl::Impl> MakeImpl(QWidget* widget) {
    return std::make_unique<TControl::Impl>(widget);
}

// Runs an event handler as the loop runs handlers: a failure goes to the
// program's exception handler instead of through the toolkit.
inline void Fire(const TNotifyEvent& handler, TControl* sender) {
    if (handler) {
        TNotifyEvent copy = handler;
        Guarded([&] { copy(sender); });
    }
}

// Connects a widget's signal for the lifetime of the control.
template <typename Sender, typename Signal, typename Slot>
void Connect(const TControl& control, Sender* sender, Signal signal, Slot&& slot) {
    QObject::connect(sender, signal, control.Toolkit().events.get(), std::forward<Slot>(slot));
}

}  // namespace toolkit
}  // namespace zelvo::platform
