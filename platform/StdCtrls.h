#pragma once
// The standard controls of a form: text, pictures, buttons, fields, lists
// and options. Texts are Windows-1252 bytes; in a caption "&" marks the
// access key ("&&" is a plain "&").
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace zelvo::platform {

// A line (or lines) of text the user cannot edit, vertically centred.
class TLabel : public TControl {
public:
    TLabel(TWinControl& parent, const std::string& caption = {});
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    bool WordWrap() const;
    void SetWordWrap(bool wrap);
    // Shown sunk into its parent, as a status field.
    void SetSunken(bool sunken);
};

// The desktop's own pictures.
enum class TStockPicture { spComputer };

// A picture, centred in the control.
class TImage : public TControl {
public:
    explicit TImage(TWinControl& parent);
    void SetStockPicture(TStockPicture picture, int size);
    bool HasPicture() const;
};

class TButton : public TControl {
public:
    TButton(TWinControl& parent, const std::string& caption);
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The default button answers Enter anywhere on its form.
    bool Default() const;
    void SetDefault(bool isDefault);
    // As the user's click does.
    void Click();

    TNotifyEvent OnClick;
};

// A one-line text field.
class TEdit : public TControl {
public:
    explicit TEdit(TWinControl& parent);
    std::string Text() const;
    void SetText(const std::string& text);
    // Characters beyond it cannot be typed; 0 is the toolkit's own limit.
    int MaxLength() const;
    void SetMaxLength(int length);
    // Typed characters show as dots.
    bool Password() const;
    void SetPassword(bool password);
    // Fixes the width to show that many digits whole in the present font.
    void FitToDigits(int digits);

    // After every change of the text, the program's own included.
    TNotifyEvent OnChange;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A list that drops down under a field. With csDropDown the field is
// editable, its text need not be an item, and typing completes it from the
// items.
class TComboBox : public TControl {
public:
    TComboBox(TWinControl& parent, TComboBoxStyle style = TComboBoxStyle::csDropDown);

    std::string Text() const;
    // Sets the field's text; with csDropDownList the item of that text.
    void SetText(const std::string& text);
    int ItemCount() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    void AddItem(const std::string& item);
    // Inserting keeps the field's text as it was.
    void InsertItem(int index, const std::string& item);
    void ClearItems();
    // -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // How many items show at once when the list drops down.
    void SetDropDownCount(int count);
    // The field is wide enough for this many characters at least.
    void SetMinimumChars(int chars);
    // Completion that never turns a text into an item differing only in
    // letter case; off by default.
    void SetCaseSensitiveCompletion(bool on);
    // Opens the list as the user's click on the arrow does.
    void DropDown();

    // Just before the list opens.
    TNotifyEvent OnDropDown;
    // After the field's text changes, the program's own changes included.
    TNotifyEvent OnChange;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TWinControl& parent, const std::string& caption);
    std::string Caption() const;
    bool Checked() const;
    // Runs OnClick when the state changes.
    void SetChecked(bool checked);
    // As the user's click does.
    void Click();

    // After the state changes, whoever changed it.
    TNotifyEvent OnClick;
};

// An option. The options of one container exclude each other; the group is
// one stop of the Tab key, at its selected option, and the arrow keys move
// within it.
class TRadioButton : public TControl {
public:
    TRadioButton(TWinControl& parent, const std::string& caption);
    std::string Caption() const;
    bool Checked() const;
    void SetChecked(bool checked);
    // As the user's click does.
    void Click();

    // When the option becomes the selected one, whoever selected it.
    TNotifyEvent OnClick;
};

}  // namespace zelvo::platform
