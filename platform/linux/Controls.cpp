#include "platform/Controls.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>

#include "platform/linux/QtText.h"
#include "platform/linux/ControlImpl.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {
using namespace toolkit;

// --- Every control ----------------------------------------------------------

TControl::TControl(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TControl::~TControl() {
    impl_->events.reset();
    delete impl_->widget.data();
}

std::string TControl::Name() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? FromQString(w->objectName()) : std::string();
}

void TControl::SetName(const std::string& name) {
    if (QWidget* w = WidgetOf(*this))
        w->setObjectName(ToQString(name));
}

bool TControl::Visible() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr && (w->isWindow() ? w->isVisible() : !w->isHidden());
}

void TControl::SetVisible(bool visible) {
    if (QWidget* w = WidgetOf(*this))
        w->setVisible(visible);
}

bool TControl::Enabled() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr && w->isEnabled();
}

void TControl::SetEnabled(bool enabled) {
    if (QWidget* w = WidgetOf(*this))
        w->setEnabled(enabled);
}

std::string TControl::Hint() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? FromQString(w->toolTip()) : std::string();
}

void TControl::SetHint(const std::string& hint) {
    if (QWidget* w = WidgetOf(*this))
        w->setToolTip(ToQString(hint));
}

TFont TControl::Font() const {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return {};
    return FromQFont(w->font());
}

void TControl::SetFont(const TFont& f) {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return;
    QFont font = w->font();
    if (!f.Name.empty())
        font.setFamily(ToQString(f.Name));
    if (f.Height > 0)
        font.setPixelSize(f.Height);
    else if (f.Size > 0)
        font.setPointSize(f.Size);
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    w->setFont(font);
}

int TControl::Left() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? w->x() : 0;
}

int TControl::Top() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? w->y() : 0;
}

int TControl::Width() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? w->width() : 0;
}

int TControl::Height() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? w->height() : 0;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (QWidget* w = WidgetOf(*this))
        w->setGeometry(left, top, width, height);
}

void TControl::SetFixedSize(int width, int height) {
    if (QWidget* w = WidgetOf(*this))
        w->setFixedSize(width, height);
}

void TControl::SetFixedWidth(int width) {
    if (QWidget* w = WidgetOf(*this))
        w->setFixedWidth(width);
}

void TControl::SetFixedHeight(int height) {
    if (QWidget* w = WidgetOf(*this))
        w->setFixedHeight(height);
}

void TControl::SetMinimumWidth(int width) {
    if (QWidget* w = WidgetOf(*this))
        w->setMinimumWidth(width);
}

void TControl::SetMinimumHeight(int height) {
    if (QWidget* w = WidgetOf(*this))
        w->setMinimumHeight(height);
}

bool TControl::Focused() const {
    QWidget* w = FocusTarget(*this);
    return w != nullptr && w->hasFocus();
}

void TControl::SetFocus() {
    if (QWidget* w = FocusTarget(*this))
        w->setFocus(Qt::OtherFocusReason);
}

void SetTabOrder(std::initializer_list<const TControl*> controls) {
    QWidget* previous = nullptr;
    for (const TControl* c : controls) {
        QWidget* w = FocusTarget(*c);
        if (previous != nullptr && w != nullptr)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// --- Containers and their arrangement ----------------------------------------

struct TBoxLayout::Impl {
    QPointer<QBoxLayout> layout;
};

struct TGridLayout::Impl {
    QPointer<QGridLayout> layout;
};

TWinControl::TWinControl(std::unique_ptr<Impl> impl) : TControl(std::move(impl)) {}

// The arrangement's toolkit side belongs to the widget; only the handles go.
TWinControl::~TWinControl() = default;

TBoxLayout& TWinControl::ArrangeInRow() {
    return Arrange(true);
}

TBoxLayout& TWinControl::ArrangeInColumn() {
    return Arrange(false);
}

TBoxLayout& TWinControl::Arrange(bool row) {
    if (!layout_) {
        auto impl = std::make_unique<TBoxLayout::Impl>();
        impl->layout = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom,
                                      ParentWidget(*this));
        layout_.reset(new TBoxLayout(std::move(impl), row));
    }
    return *layout_;
}

TBoxLayout::TBoxLayout(std::unique_ptr<Impl> impl, bool row) : impl_(std::move(impl)), row_(row) {}

TBoxLayout::~TBoxLayout() = default;

void TBoxLayout::Add(TControl& control, int stretch) {
    if (impl_->layout && WidgetOf(control) != nullptr)
        impl_->layout->addWidget(WidgetOf(control), stretch);
}

TBoxLayout& TBoxLayout::AddRow(int stretch) {
    return AddNested(true, stretch);
}

TBoxLayout& TBoxLayout::AddColumn(int stretch) {
    return AddNested(false, stretch);
}

TBoxLayout& TBoxLayout::AddNested(bool row, int stretch) {
    auto impl = std::make_unique<Impl>();
    impl->layout = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    if (impl_->layout)
        impl_->layout->addLayout(impl->layout, stretch);
    nested_.push_back(std::unique_ptr<TBoxLayout>(new TBoxLayout(std::move(impl), row)));
    return *nested_.back();
}

TGridLayout& TBoxLayout::AddGrid(int stretch) {
    auto impl = std::make_unique<TGridLayout::Impl>();
    impl->layout = new QGridLayout;
    if (impl_->layout)
        impl_->layout->addLayout(impl->layout, stretch);
    grids_.push_back(std::unique_ptr<TGridLayout>(new TGridLayout(std::move(impl))));
    return *grids_.back();
}

TGridLayout::TGridLayout(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TGridLayout::~TGridLayout() = default;

void TGridLayout::Add(TControl& control, int row, int column) {
    if (impl_->layout && WidgetOf(control) != nullptr)
        impl_->layout->addWidget(WidgetOf(control), row, column);
}

void TBoxLayout::AddSpacing(int pixels) {
    if (impl_->layout)
        impl_->layout->addSpacing(pixels);
}

void TBoxLayout::AddStretch(int stretch) {
    if (impl_->layout)
        impl_->layout->addStretch(stretch);
}

void TBoxLayout::SetSpacing(int pixels) {
    if (impl_->layout)
        impl_->layout->setSpacing(pixels);
}

void TBoxLayout::SetMargins(int left, int top, int right, int bottom) {
    if (impl_->layout)
        impl_->layout->setContentsMargins(left, top, right, bottom);
}

TPanel::TPanel(TWinControl& parent) : TWinControl(MakeImpl(new QFrame(ParentWidget(parent)))) {}

bool TPanel::Sunken() const {
    auto* frame = As<QFrame>(*this);
    return frame != nullptr && frame->frameShadow() == QFrame::Sunken;
}

void TPanel::SetSunken(bool sunken) {
    if (auto* frame = As<QFrame>(*this))
        frame->setFrameStyle(sunken ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
}

TGroupBox::TGroupBox(TWinControl& parent, const std::string& caption)
    : TWinControl(MakeImpl(new QGroupBox(ToQString(caption), ParentWidget(parent)))) {}

std::string TGroupBox::Caption() const {
    auto* box = As<QGroupBox>(*this);
    return box != nullptr ? FromQString(box->title()) : std::string();
}

void TGroupBox::SetCaption(const std::string& caption) {
    if (auto* box = As<QGroupBox>(*this))
        box->setTitle(ToQString(caption));
}

}  // namespace zelvo::platform
