#pragma once
// What every control of a form shares: a name, a place inside its parent,
// visibility, enabling, a hint and a font; containers that hold other
// controls; and the rows and columns that arrange them. Texts are
// Windows-1252 bytes. A control owns its window on the desktop: destroying
// the control takes the window away; a container destroyed first takes its
// children's windows with it, and their controls then do nothing.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace zelvo::platform {

class TControl;
using TNotifyEvent = std::function<void(TControl* sender)>;

// A face and its effects. A size of 0 keeps the size the control has; a
// height (pixels) takes precedence over the size (points).
struct TFont {
    std::string Name;
    int Size = 0;
    int Height = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const TFont&) const = default;
};

enum class TAlignment { taLeftJustify, taCenter, taRightJustify };

class TControl {
public:
    // The toolkit's side of the control; only the platform layer looks inside.
    struct Impl;

    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    // The name tests and style sheets find the control by.
    std::string Name() const;
    void SetName(const std::string& name);

    // Visible means shown once its parent is: a hidden form's controls are
    // still visible.
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    std::string Hint() const;
    void SetHint(const std::string& hint);

    TFont Font() const;
    void SetFont(const TFont& font);

    // Place and size in the parent's pixels. A control inside a row or column
    // takes the place the arrangement gives it.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);
    void SetFixedSize(int width, int height);
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    void SetMinimumWidth(int width);
    void SetMinimumHeight(int height);

    bool Focused() const;
    void SetFocus();

    Impl& Toolkit() const { return *impl_; }

protected:
    explicit TControl(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

class TBoxLayout;
class TGridLayout;

// A control that holds others.
class TWinControl : public TControl {
public:
    ~TWinControl() override;

    // Arranges the contents in a row or a column, replacing no earlier
    // arrangement: a container is arranged once. The arrangement lives as
    // long as the container.
    TBoxLayout& ArrangeInRow();
    TBoxLayout& ArrangeInColumn();

protected:
    explicit TWinControl(std::unique_ptr<Impl> impl);

private:
    TBoxLayout& Arrange(bool row);
    std::unique_ptr<TBoxLayout> layout_;
};

// Controls side by side, or one above another. A stretch factor shares the
// room left over among the items that have one.
class TBoxLayout {
public:
    struct Impl;

    ~TBoxLayout();
    TBoxLayout(const TBoxLayout&) = delete;
    TBoxLayout& operator=(const TBoxLayout&) = delete;

    bool IsRow() const { return row_; }
    void Add(TControl& control, int stretch = 0);
    // A nested arrangement, living as long as this one.
    TBoxLayout& AddRow(int stretch = 0);
    TBoxLayout& AddColumn(int stretch = 0);
    // Controls in rows and columns whose widths and heights they share.
    TGridLayout& AddGrid(int stretch = 0);
    void AddSpacing(int pixels);
    void AddStretch(int stretch = 1);
    void SetSpacing(int pixels);
    void SetMargins(int left, int top, int right, int bottom);

private:
    friend class TWinControl;
    TBoxLayout(std::unique_ptr<Impl> impl, bool row);
    TBoxLayout& AddNested(bool row, int stretch);

    std::unique_ptr<Impl> impl_;
    bool row_;
    std::vector<std::unique_ptr<TBoxLayout>> nested_;
    std::vector<std::unique_ptr<TGridLayout>> grids_;
};

class TGridLayout {
public:
    struct Impl;

    ~TGridLayout();
    TGridLayout(const TGridLayout&) = delete;
    TGridLayout& operator=(const TGridLayout&) = delete;

    // Rows and columns count from 0.
    void Add(TControl& control, int row, int column);

private:
    friend class TBoxLayout;
    explicit TGridLayout(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

// A plain container; with a bevel it shows sunk into its parent.
class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl& parent);
    bool Sunken() const;
    void SetSunken(bool sunken);
};

// A container framed under a caption. Its option buttons form one group.
class TGroupBox : public TWinControl {
public:
    TGroupBox(TWinControl& parent, const std::string& caption);
    std::string Caption() const;
    void SetCaption(const std::string& caption);
};

// The Tab key moves the focus through the controls in this order.
void SetTabOrder(std::initializer_list<const TControl*> controls);

}  // namespace zelvo::platform
