#pragma once
// The dialog's own kinds of control: a number field with up/down buttons,
// and drop-down lists kept in the URL list's order.
#include <QComboBox>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QToolButton;

namespace zelvo::config {

// A number field with up/down buttons. Its value is its text read as a
// decimal number, the minimum when the text is not one; setting a value, and
// leaving the field, take it into the range.
class TSpinEdit : public QWidget {
public:
    TSpinEdit(int minValue, int maxValue, int maxLength, QWidget* parent = nullptr);

    int Value() const;
    void SetValue(int value);
    QLineEdit* Edit() const { return edit_; }
    // Sizes the field for its longest number, and the arrows for the field,
    // in the font it now has.
    void FitToFont();

protected:
    void changeEvent(QEvent* event) override;
    // The arrow keys step the value like the buttons.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Clamp(int value) const;
    // The text as a decimal number, nothing when it is not one.
    std::optional<int> Typed() const;

    int min_;
    int max_;
    int maxLength_;
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};

// An editable drop-down list that says when its list is about to open.
class TDropDown : public QComboBox {
public:
    explicit TDropDown(QWidget* parent = nullptr);
    std::function<void()> OnDropDown;
    void showPopup() override;
};

// The width a one-line field needs to show chars digits whole in its font,
// and never less than the style's least.
int FieldWidthFor(const QLineEdit* field, int chars);

// Windows-1252 text of a combo box's items, in list order.
std::vector<std::string> ComboItems(const QComboBox* list);
// Puts an entry into a list kept in case-insensitive order; the text being
// edited stays as it is.
void AddSortedItem(QComboBox* list, const std::string& entry);

}  // namespace zelvo::config
