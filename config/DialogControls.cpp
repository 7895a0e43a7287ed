#include "config/DialogControls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "config/UrlList.h"
#include "platform/QtText.h"

namespace zelvo::config {
using platform::FromQString;
using platform::ToQString;

TSpinEdit::TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent)
    : QWidget(parent), min_(minValue), max_(maxValue), maxLength_(maxLength) {
    edit_ = new QLineEdit(this);
    edit_->setMaxLength(maxLength);
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

void TSpinEdit::FitToFont() {
    edit_->setFixedWidth(FieldWidthFor(edit_, maxLength_));
    // The two arrows stand one above the other beside the field.
    const int half = std::max(edit_->sizeHint().height() / 2, 8);
    for (auto* b : {up_, down_})
        b->setFixedSize(std::max(16, half * 3 / 2), half);
}

void TSpinEdit::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FitToFont();
}

bool TSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            SetValue(Value() + (key == Qt::Key_Up ? 1 : -1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TSpinEdit::Clamp(int value) const {
    return std::clamp(value, min_, max_);
}

std::optional<int> TSpinEdit::Typed() const {
    std::string text = edit_->text().toStdString();
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

int TSpinEdit::Value() const {
    // Whatever the field shows, nothing outside the range leaves it: hiding
    // the dialog would have taken the focus out of the field first.
    auto typed = Typed();
    return typed ? Clamp(*typed) : min_;
}

void TSpinEdit::SetValue(int value) {
    edit_->setText(QString::number(Clamp(value)));
}

TDropDown::TDropDown(QWidget* parent) : QComboBox(parent) {}

void TDropDown::showPopup() {
    if (OnDropDown)
        OnDropDown();
    QComboBox::showPopup();
}

int FieldWidthFor(const QLineEdit* field, int chars) {
    const QFontMetrics fm = field->fontMetrics();
    QStyleOptionFrame option;
    option.initFrom(field);
    option.rect = field->contentsRect();
    option.lineWidth = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                                       &option, field)
                                         : 0;
    // The field's own margin on either side of the text and room for the cursor.
    constexpr int kTextMargins = 2 * 2 + 2;
    const QMargins margins = field->textMargins();
    const QSize text(fm.horizontalAdvance(QString(chars, QLatin1Char('0'))) + kTextMargins +
                         margins.left() + margins.right(),
                     fm.height());
    const int width =
        field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width();
    return std::max(width, field->minimumSizeHint().width());
}

std::vector<std::string> ComboItems(const QComboBox* list) {
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i)
        items.push_back(FromQString(list->itemText(i)));
    return items;
}

void AddSortedItem(QComboBox* list, const std::string& entry) {
    // An editable list given its first item would show that item as its text.
    const QString edited = list->currentText();
    QSignalBlocker block(list);
    auto pos = SortedInsertPosition(ComboItems(list), entry);
    list->insertItem(static_cast<int>(pos), ToQString(entry));
    if (list->isEditable())
        list->setEditText(edited);
}

}  // namespace zelvo::config
