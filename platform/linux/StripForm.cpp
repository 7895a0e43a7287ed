#include "platform/StripForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QShowEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "platform/Workspace.h"
#include "platform/linux/ControlImpl.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

// The window that carries the strip, handing its events to the form's
// handlers while the form lives.
class StripWindow : public QWidget {
public:
    explicit StripWindow(bool sizable) {
        // With a border the strip gets a sizing frame but no title bar;
        // without one it is a bare pop-up.
        Qt::WindowFlags flags = Qt::Window;
        flags |= sizable ? Qt::CustomizeWindowHint : Qt::FramelessWindowHint;
        setWindowFlags(flags);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAutoFillBackground(true);
        setFocusPolicy(Qt::StrongFocus);
    }

    TStripForm* form = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (form != nullptr)
            Fire(form->OnResize, form);
    }

    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        // A ticker bar stays put when the user changes workspace.
        ShowOnEveryWorkspace(static_cast<std::uintptr_t>(winId()));
        if (form != nullptr)
            Fire(form->OnShow, form);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        const QPoint p = event->globalPos();
        Run(form != nullptr ? form->OnContextMenu : nullptr, TPoint{p.x(), p.y()});
    }

    void closeEvent(QCloseEvent* event) override {
        if (form == nullptr) {
            QWidget::closeEvent(event);
            return;
        }
        bool allowed = true;
        if (form->OnCloseQuery) {
            auto query = form->OnCloseQuery;
            allowed = false;
            Guarded([&] { allowed = query(); });
        }
        if (!allowed) {
            event->ignore();
            return;
        }
        Fire(form->OnClose, form);
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        const Qt::KeyboardModifiers mods = event->modifiers();
        Run(form != nullptr ? form->OnKeyDown : nullptr, mods.testFlag(Qt::ShiftModifier),
            mods.testFlag(Qt::ControlModifier));
        QWidget::keyPressEvent(event);
    }

private:
    // A copy runs, so that a handler may replace itself.
    template <typename Handler, typename... Args>
    static void Run(const Handler& handler, Args... args) {
        if (!handler)
            return;
        Handler copy = handler;
        Guarded([&] { copy(args...); });
    }
};

StripWindow* WindowOf(const TStripForm& form) {
    return static_cast<StripWindow*>(WidgetOf(form));
}

}  // namespace

TStripForm::TStripForm(bool sizable) : TWinControl(MakeImpl(new StripWindow(sizable))) {
    if (StripWindow* w = WindowOf(*this))
        w->form = this;
}

TStripForm::~TStripForm() {
    if (StripWindow* w = WindowOf(*this))
        w->form = nullptr;
}

std::string TStripForm::Caption() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? w->windowTitle().toStdString() : std::string();
}

void TStripForm::SetCaption(const std::string& caption) {
    if (QWidget* w = WidgetOf(*this))
        w->setWindowTitle(QString::fromStdString(caption));
}

void TStripForm::SetListedTitle(const std::string& title) {
    SetCaption(title);
}

void TStripForm::MoveTo(int left, int top) {
    if (QWidget* w = WidgetOf(*this))
        w->move(left, top);
}

void TStripForm::SetSize(int width, int height) {
    if (QWidget* w = WidgetOf(*this))
        w->resize(width, height);
}

void TStripForm::SetMaxHeight(int height) {
    if (QWidget* w = WidgetOf(*this))
        w->setMaximumHeight(height);
}

void TStripForm::SetColor(int colour) {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(colour));
    w->setPalette(pal);
}

bool TStripForm::StayOnTop() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TStripForm::SetStayOnTop(bool onTop) {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr || StayOnTop() == onTop)
        return;
    Qt::WindowFlags flags = w->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    // Told to the window in place: re-creating it would lose the desktop's
    // hold on it (its workspace, its stacking) and flicker the strip.
    w->overrideWindowFlags(flags);
    if (QWindow* handle = w->windowHandle())
        handle->setFlags(flags);
    if (onTop && w->isVisible())
        w->raise();
}

void TStripForm::Show() {
    if (QWidget* w = WidgetOf(*this))
        w->show();
}

void TStripForm::Hide() {
    if (QWidget* w = WidgetOf(*this))
        w->hide();
}

void TStripForm::BringToFront() {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

void TStripForm::Close() {
    if (QWidget* w = WidgetOf(*this))
        w->close();
}

bool TStripForm::BeginDesktopMove() {
    QWidget* w = WidgetOf(*this);
    QWindow* handle = w != nullptr ? w->windowHandle() : nullptr;
    return handle != nullptr && handle->startSystemMove();
}

int TStripForm::DragDistance() {
    return std::max(1, QApplication::startDragDistance());
}

}  // namespace zelvo::platform
