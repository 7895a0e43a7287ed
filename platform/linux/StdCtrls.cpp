#include "platform/StdCtrls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <functional>

#include "platform/linux/QtText.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

Qt::Alignment ToQt(TAlignment alignment) {
    switch (alignment) {
        case TAlignment::taCenter:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case TAlignment::taRightJustify:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// A combo box that says when its list is about to open.
class DropDownCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforeDropDown;
    void showPopup() override {
        if (beforeDropDown)
            beforeDropDown();
        QComboBox::showPopup();
    }
};

}  // namespace

int toolkit::FieldWidthFor(const QLineEdit* field, int digits) {
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
    const QSize text(fm.horizontalAdvance(QString(digits, QLatin1Char('0'))) + kTextMargins +
                         margins.left() + margins.right(),
                     fm.height());
    const int width =
        field->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, field).width();
    return std::max(width, field->minimumSizeHint().width());
}

// --- Label and picture --------------------------------------------------------

TLabel::TLabel(TWinControl& parent, const std::string& caption)
    : TControl(MakeImpl(new QLabel(ToQString(caption), ParentWidget(parent)))) {
    if (auto* label = As<QLabel>(*this))
        label->setAlignment(ToQt(TAlignment::taLeftJustify));
}

std::string TLabel::Caption() const {
    auto* label = As<QLabel>(*this);
    return label != nullptr ? FromQString(label->text()) : std::string();
}

void TLabel::SetCaption(const std::string& caption) {
    if (auto* label = As<QLabel>(*this))
        label->setText(ToQString(caption));
}

TAlignment TLabel::Alignment() const {
    auto* label = As<QLabel>(*this);
    if (label == nullptr)
        return TAlignment::taLeftJustify;
    if (label->alignment() & Qt::AlignHCenter)
        return TAlignment::taCenter;
    if (label->alignment() & Qt::AlignRight)
        return TAlignment::taRightJustify;
    return TAlignment::taLeftJustify;
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (auto* label = As<QLabel>(*this))
        label->setAlignment(ToQt(alignment));
}

bool TLabel::WordWrap() const {
    auto* label = As<QLabel>(*this);
    return label != nullptr && label->wordWrap();
}

void TLabel::SetWordWrap(bool wrap) {
    if (auto* label = As<QLabel>(*this))
        label->setWordWrap(wrap);
}

void TLabel::SetSunken(bool sunken) {
    if (auto* label = As<QLabel>(*this))
        label->setFrameStyle(sunken ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
}

TImage::TImage(TWinControl& parent) : TControl(MakeImpl(new QLabel(ParentWidget(parent)))) {
    if (auto* label = As<QLabel>(*this))
        label->setAlignment(Qt::AlignCenter);
}

void TImage::SetStockPicture(TStockPicture picture, int size) {
    auto* label = As<QLabel>(*this);
    if (label == nullptr)
        return;
    QStyle::StandardPixmap which = QStyle::SP_ComputerIcon;
    switch (picture) {
        case TStockPicture::spComputer:
            which = QStyle::SP_ComputerIcon;
            break;
    }
    label->setPixmap(label->style()->standardIcon(which).pixmap(size, size));
}

bool TImage::HasPicture() const {
    auto* label = As<QLabel>(*this);
    return label != nullptr && !label->pixmap().isNull();
}

// --- Button -----------------------------------------------------------------------

TButton::TButton(TWinControl& parent, const std::string& caption)
    : TControl(MakeImpl(new QPushButton(ToQString(caption), ParentWidget(parent)))) {
    auto* button = As<QPushButton>(*this);
    // Enter presses the form's default button, not whichever has the focus.
    button->setAutoDefault(false);
    Connect(*this, button, &QPushButton::clicked, [this] { Fire(OnClick, this); });
}

std::string TButton::Caption() const {
    auto* button = As<QPushButton>(*this);
    return button != nullptr ? FromQString(button->text()) : std::string();
}

void TButton::SetCaption(const std::string& caption) {
    if (auto* button = As<QPushButton>(*this))
        button->setText(ToQString(caption));
}

bool TButton::Default() const {
    auto* button = As<QPushButton>(*this);
    return button != nullptr && button->isDefault();
}

void TButton::SetDefault(bool isDefault) {
    if (auto* button = As<QPushButton>(*this))
        button->setDefault(isDefault);
}

void TButton::Click() {
    if (auto* button = As<QPushButton>(*this))
        button->click();
}

// --- Edit -----------------------------------------------------------------------

TEdit::TEdit(TWinControl& parent) : TControl(MakeImpl(new QLineEdit(ParentWidget(parent)))) {
    Connect(*this, As<QLineEdit>(*this), &QLineEdit::textChanged, [this] { Fire(OnChange, this); });
}

std::string TEdit::Text() const {
    auto* edit = As<QLineEdit>(*this);
    return edit != nullptr ? FromQString(edit->text()) : std::string();
}

void TEdit::SetText(const std::string& text) {
    if (auto* edit = As<QLineEdit>(*this))
        edit->setText(ToQString(text));
}

int TEdit::MaxLength() const {
    auto* edit = As<QLineEdit>(*this);
    return edit != nullptr ? edit->maxLength() : 0;
}

void TEdit::SetMaxLength(int length) {
    if (auto* edit = As<QLineEdit>(*this))
        edit->setMaxLength(length > 0 ? length : 32767);
}

bool TEdit::Password() const {
    auto* edit = As<QLineEdit>(*this);
    return edit != nullptr && edit->echoMode() == QLineEdit::Password;
}

void TEdit::SetPassword(bool password) {
    if (auto* edit = As<QLineEdit>(*this))
        edit->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::FitToDigits(int digits) {
    if (auto* edit = As<QLineEdit>(*this))
        edit->setFixedWidth(FieldWidthFor(edit, digits));
}

// --- Combo box ----------------------------------------------------------------

TComboBox::TComboBox(TWinControl& parent, TComboBoxStyle style)
    : TControl(MakeImpl(new DropDownCombo(ParentWidget(parent)))) {
    auto* list = As<DropDownCombo>(*this);
    if (style == TComboBoxStyle::csDropDown) {
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
    }
    list->beforeDropDown = [this] { Fire(OnDropDown, this); };
    Connect(*this, list, &QComboBox::currentTextChanged, [this] { Fire(OnChange, this); });
}

std::string TComboBox::Text() const {
    auto* list = As<QComboBox>(*this);
    return list != nullptr ? FromQString(list->currentText()) : std::string();
}

void TComboBox::SetText(const std::string& text) {
    auto* list = As<QComboBox>(*this);
    if (list == nullptr)
        return;
    if (list->isEditable())
        list->setEditText(ToQString(text));
    else
        list->setCurrentIndex(list->findText(ToQString(text)));
}

int TComboBox::ItemCount() const {
    auto* list = As<QComboBox>(*this);
    return list != nullptr ? list->count() : 0;
}

std::string TComboBox::Item(int index) const {
    auto* list = As<QComboBox>(*this);
    return list != nullptr ? FromQString(list->itemText(index)) : std::string();
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
    auto* list = As<QComboBox>(*this);
    if (list == nullptr)
        return;
    // An editable list given its first item would show that item as its text.
    const QString edited = list->currentText();
    QSignalBlocker block(list);
    list->insertItem(index, ToQString(item));
    if (list->isEditable())
        list->setEditText(edited);
}

void TComboBox::ClearItems() {
    if (auto* list = As<QComboBox>(*this))
        list->clear();
}

int TComboBox::ItemIndex() const {
    auto* list = As<QComboBox>(*this);
    return list != nullptr ? list->currentIndex() : -1;
}

void TComboBox::SetItemIndex(int index) {
    if (auto* list = As<QComboBox>(*this))
        list->setCurrentIndex(index);
}

void TComboBox::SetDropDownCount(int count) {
    if (auto* list = As<QComboBox>(*this))
        list->setMaxVisibleItems(count);
}

void TComboBox::SetMinimumChars(int chars) {
    if (auto* list = As<QComboBox>(*this)) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(chars);
    }
}

void TComboBox::SetCaseSensitiveCompletion(bool on) {
    auto* list = As<QComboBox>(*this);
    if (list != nullptr && list->completer() != nullptr)
        list->completer()->setCaseSensitivity(on ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TComboBox::DropDown() {
    if (auto* list = As<QComboBox>(*this))
        list->showPopup();
}

// --- Check box and option ------------------------------------------------------

TCheckBox::TCheckBox(TWinControl& parent, const std::string& caption)
    : TControl(MakeImpl(new QCheckBox(ToQString(caption), ParentWidget(parent)))) {
    Connect(*this, As<QCheckBox>(*this), &QCheckBox::toggled, [this] { Fire(OnClick, this); });
}

std::string TCheckBox::Caption() const {
    auto* box = As<QCheckBox>(*this);
    return box != nullptr ? FromQString(box->text()) : std::string();
}

bool TCheckBox::Checked() const {
    auto* box = As<QCheckBox>(*this);
    return box != nullptr && box->isChecked();
}

void TCheckBox::SetChecked(bool checked) {
    if (auto* box = As<QCheckBox>(*this))
        box->setChecked(checked);
}

void TCheckBox::Click() {
    if (auto* box = As<QCheckBox>(*this))
        box->click();
}

TRadioButton::TRadioButton(TWinControl& parent, const std::string& caption)
    : TControl(MakeImpl(new QRadioButton(ToQString(caption), ParentWidget(parent)))) {
    auto* button = As<QRadioButton>(*this);
    // Only the selected option takes the focus from the Tab key, so that
    // Space never flips the choice.
    button->setFocusPolicy(Qt::ClickFocus);
    Connect(*this, button, &QRadioButton::toggled, [this, button](bool on) {
        button->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        if (on)
            Fire(OnClick, this);
    });
}

std::string TRadioButton::Caption() const {
    auto* button = As<QRadioButton>(*this);
    return button != nullptr ? FromQString(button->text()) : std::string();
}

bool TRadioButton::Checked() const {
    auto* button = As<QRadioButton>(*this);
    return button != nullptr && button->isChecked();
}

void TRadioButton::SetChecked(bool checked) {
    if (auto* button = As<QRadioButton>(*this))
        button->setChecked(checked);
}

void TRadioButton::Click() {
    if (auto* button = As<QRadioButton>(*this))
        button->click();
}

}  // namespace zelvo::platform
