#include "platform/ExtCtrls.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "platform/MessageLoop.h"
#include "platform/linux/CanvasImpl.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

// Hands the widget's events to the box while the box lives.
class PaintWidget : public QWidget {
public:
    explicit PaintWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // A window of its own, whose pixels the display can shift in place.
        setAttribute(Qt::WA_NativeWindow);
    }

    TPaintBox* box = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override {
        if (box == nullptr || !box->OnPaint)
            return;
        QPainter painter(this);
        TCanvas canvas = CanvasOn(painter);
        const QRect r = event->rect();
        const TRect area{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        Guarded([&] { box->OnPaint(canvas, area); });
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            Run(box->OnMouseDown, ScreenPoint(event));
        QWidget::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton)
            Run(box->OnMouseMove, ScreenPoint(event));
        QWidget::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            Run(box->OnMouseUp);
        QWidget::mouseReleaseEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            const QPoint p = event->position().toPoint();
            Run(box->OnDblClick, TPoint{p.x(), p.y()});
        }
        QWidget::mouseDoubleClickEvent(event);
    }
    void enterEvent(QEnterEvent* event) override {
        Run(box->OnHover, true);
        QWidget::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        Run(box->OnHover, false);
        QWidget::leaveEvent(event);
    }

private:
    static TPoint ScreenPoint(const QMouseEvent* event) {
        const QPoint p = event->globalPosition().toPoint();
        return {p.x(), p.y()};
    }
    // A copy runs, so that a handler may replace itself.
    template <typename Handler, typename... Args>
    void Run(const Handler& handler, Args... args) {
        if (box == nullptr || !handler)
            return;
        Handler copy = handler;
        Guarded([&] { copy(args...); });
    }
};

PaintWidget* WidgetOfBox(const TPaintBox& box) {
    return static_cast<PaintWidget*>(WidgetOf(box));
}

}  // namespace

TPaintBox::TPaintBox(TWinControl& parent)
    : TControl(MakeImpl(new PaintWidget(ParentWidget(parent)))) {
    if (PaintWidget* w = WidgetOfBox(*this))
        w->box = this;
}

TPaintBox::~TPaintBox() {
    if (PaintWidget* w = WidgetOfBox(*this))
        w->box = nullptr;
}

void TPaintBox::Invalidate() {
    if (QWidget* w = WidgetOf(*this))
        w->update();
}

void TPaintBox::Repaint() {
    if (QWidget* w = WidgetOf(*this))
        w->repaint();
}

void TPaintBox::Scroll(int dx) {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return;
    if (dx > -w->width() && dx < w->width())
        w->scroll(dx, 0);
    else
        w->update();
}

bool TPaintBox::Showing() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr && w->isVisible() && w->testAttribute(Qt::WA_WState_Created);
}

bool TPaintBox::ShiftPixels(int dx, const TPixels& uncovered, int at) {
    if (!Showing())
        return false;
    QWidget* w = WidgetOf(*this);
    return ShiftWindowPixels(static_cast<std::uintptr_t>(w->winId()), dx, w->width(), w->height(),
                             uncovered, at);
}

}  // namespace zelvo::platform
