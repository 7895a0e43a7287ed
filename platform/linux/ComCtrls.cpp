#include "platform/ComCtrls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/linux/QtText.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

// The field and its two arrows, one above the other beside it.
class SpinWidget : public QWidget {
public:
    SpinWidget(int minValue, int maxValue, int maxLength, QWidget* parent)
        : QWidget(parent), min_(minValue), max_(maxValue), maxLength_(maxLength) {
        edit_ = new QLineEdit(this);
        edit_->setMaxLength(maxLength);
        setFocusProxy(edit_);
        up_ = new QToolButton(this);
        up_->setArrowType(Qt::UpArrow);
        down_ = new QToolButton(this);
        down_->setArrowType(Qt::DownArrow);
        for (auto* b : {up_, down_}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
        }
        FitToFont();
        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(0);
        arrows->setContentsMargins(0, 0, 0, 0);
        arrows->addWidget(up_);
        arrows->addWidget(down_);
        auto* layout = new QHBoxLayout(this);
        layout->setSpacing(0);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(edit_);
        layout->addLayout(arrows);
        // As wide as its parts, so that a label put after it stands beside it.
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

        edit_->installEventFilter(this);
        QObject::connect(up_, &QToolButton::clicked, this, [this] { SetValue(Value() + 1); });
        QObject::connect(down_, &QToolButton::clicked, this, [this] { SetValue(Value() - 1); });
        // Leaving the field takes a number outside the range into it; a text
        // that is no number stays as typed and counts as the minimum.
        QObject::connect(edit_, &QLineEdit::editingFinished, this, [this] {
            if (auto typed = Typed(); typed && Clamp(*typed) != *typed)
                SetValue(*typed);
        });
    }

    // The field outlives this part of the object: the toolkit takes the
    // focus out of it while the base class is being destroyed, and leaving
    // the field must not then call into what is already gone.
    ~SpinWidget() override {
        QObject::disconnect(edit_, nullptr, this, nullptr);
        edit_->removeEventFilter(this);
    }
    SpinWidget(const SpinWidget&) = delete;
    SpinWidget& operator=(const SpinWidget&) = delete;

    QLineEdit* Edit() const { return edit_; }

    int Value() const {
        // Whatever the field shows, nothing outside the range leaves it:
        // hiding the dialog would have taken the focus out of the field first.
        auto typed = Typed();
        return typed ? Clamp(*typed) : min_;
    }

    void SetValue(int value) { edit_->setText(QString::number(Clamp(value))); }

protected:
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            FitToFont();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == edit_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                SetValue(Value() + (key == Qt::Key_Up ? 1 : -1));
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    // Sizes the field for its longest number, and the arrows for the field.
    void FitToFont() {
        edit_->setFixedWidth(FieldWidthFor(edit_, maxLength_));
        const int half = std::max(edit_->sizeHint().height() / 2, 8);
        for (auto* b : {up_, down_})
            b->setFixedSize(std::max(16, half * 3 / 2), half);
    }

    int Clamp(int value) const { return std::clamp(value, min_, max_); }

    // The text as a decimal number, nothing when it is not one.
    std::optional<int> Typed() const {
        const std::string text = edit_->text().toStdString();
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

    int min_;
    int max_;
    int maxLength_;
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace

// --- Track bar --------------------------------------------------------------------

TTrackBar::TTrackBar(TWinControl& parent)
    : TControl(MakeImpl(new QSlider(Qt::Horizontal, ParentWidget(parent)))) {
    auto* slider = As<QSlider>(*this);
    slider->setTickPosition(QSlider::TicksAbove);
    Connect(*this, slider, &QSlider::valueChanged, [this] { Fire(OnChange, this); });
}

int TTrackBar::Min() const {
    auto* slider = As<QSlider>(*this);
    return slider != nullptr ? slider->minimum() : 0;
}

int TTrackBar::Max() const {
    auto* slider = As<QSlider>(*this);
    return slider != nullptr ? slider->maximum() : 0;
}

void TTrackBar::SetRange(int min, int max) {
    if (auto* slider = As<QSlider>(*this)) {
        QSignalBlocker block(slider);
        slider->setRange(min, max);
    }
}

int TTrackBar::Position() const {
    auto* slider = As<QSlider>(*this);
    return slider != nullptr ? slider->value() : 0;
}

void TTrackBar::SetPosition(int position) {
    if (auto* slider = As<QSlider>(*this)) {
        QSignalBlocker block(slider);
        slider->setValue(position);
    }
}

void TTrackBar::SetLineSize(int size) {
    if (auto* slider = As<QSlider>(*this))
        slider->setSingleStep(size);
}

void TTrackBar::SetPageSize(int size) {
    if (auto* slider = As<QSlider>(*this))
        slider->setPageStep(size);
}

void TTrackBar::SetFrequency(int frequency) {
    if (auto* slider = As<QSlider>(*this))
        slider->setTickInterval(frequency);
}

// --- Spin edit ----------------------------------------------------------------------

TSpinEdit::TSpinEdit(TWinControl& parent, int minValue, int maxValue, int maxLength)
    : TControl(MakeImpl(new SpinWidget(minValue, maxValue, maxLength, ParentWidget(parent)))),
      min_(minValue),
      max_(maxValue) {}

int TSpinEdit::Value() const {
    auto* spin = As<SpinWidget>(*this);
    return spin != nullptr ? spin->Value() : min_;
}

void TSpinEdit::SetValue(int value) {
    if (auto* spin = As<SpinWidget>(*this))
        spin->SetValue(value);
}

std::string TSpinEdit::Text() const {
    auto* spin = As<SpinWidget>(*this);
    return spin != nullptr ? FromQString(spin->Edit()->text()) : std::string();
}

void TSpinEdit::SetText(const std::string& text) {
    if (auto* spin = As<SpinWidget>(*this))
        spin->Edit()->setText(ToQString(text));
}

// --- Pages ------------------------------------------------------------------------------

TTabSheet::TTabSheet(std::unique_ptr<Impl> impl) : TWinControl(std::move(impl)) {}

std::string TTabSheet::Caption() const {
    QWidget* page = WidgetOf(*this);
    auto* tabs = page != nullptr && page->parentWidget() != nullptr
                     ? qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget())
                     : nullptr;
    return tabs != nullptr ? FromQString(tabs->tabText(tabs->indexOf(page))) : std::string();
}

TPageControl::TPageControl(TWinControl& parent)
    : TControl(MakeImpl(new QTabWidget(ParentWidget(parent)))) {
    auto* tabs = As<QTabWidget>(*this);
    // Every caption stands whole in one row: the control is as wide as the
    // row needs in the font it has.
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
    tabs->tabBar()->setExpanding(false);
    Connect(*this, tabs, &QTabWidget::currentChanged, [this] { Fire(OnChange, this); });
}

TPageControl::~TPageControl() {
    // Pages going one by one would bring others to the front.
    Toolkit().events.reset();
    pages_.clear();
}

TTabSheet& TPageControl::AddPage(const std::string& caption) {
    auto* page = new QWidget;
    pages_.push_back(std::unique_ptr<TTabSheet>(new TTabSheet(MakeImpl(page))));
    if (auto* tabs = As<QTabWidget>(*this))
        tabs->addTab(page, ToQString(caption));
    return *pages_.back();
}

int TPageControl::ActivePageIndex() const {
    auto* tabs = As<QTabWidget>(*this);
    return tabs != nullptr ? tabs->currentIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
    if (auto* tabs = As<QTabWidget>(*this))
        tabs->setCurrentIndex(index);
}

}  // namespace zelvo::platform
