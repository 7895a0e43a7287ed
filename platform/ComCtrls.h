#pragma once
// The composite controls of a form: a slider, a number field with arrows,
// and pages under tabs.
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

namespace zelvo::platform {

// A horizontal slider with tick marks above it.
class TTrackBar : public TControl {
public:
    explicit TTrackBar(TWinControl& parent);
    int Min() const;
    int Max() const;
    void SetRange(int min, int max);
    int Position() const;
    // Moves the thumb without running OnChange: only the user's moves do.
    void SetPosition(int position);
    // What an arrow key moves, what a click beside the thumb moves, and how
    // far apart the ticks stand.
    void SetLineSize(int size);
    void SetPageSize(int size);
    void SetFrequency(int frequency);

    // After the user moves the thumb.
    TNotifyEvent OnChange;
};

// A number field with up/down buttons. Its value is its text read as a
// decimal number, the minimum when the text is not one; setting a value, and
// leaving the field, take it into the range. The arrow keys step it.
class TSpinEdit : public TControl {
public:
    // maxLength is the most digits the field takes, and sizes it.
    TSpinEdit(TWinControl& parent, int minValue, int maxValue, int maxLength);
    int Value() const;
    void SetValue(int value);
    std::string Text() const;
    void SetText(const std::string& text);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }

private:
    int min_;
    int max_;
};

// One page of a page control: a container.
class TTabSheet : public TWinControl {
public:
    std::string Caption() const;

private:
    friend class TPageControl;
    TTabSheet(std::unique_ptr<Impl> impl);
};

// Pages under a row of tabs, every caption whole.
class TPageControl : public TControl {
public:
    explicit TPageControl(TWinControl& parent);
    ~TPageControl() override;

    // The page lives as long as the control.
    TTabSheet& AddPage(const std::string& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet& Page(int index) { return *pages_.at(static_cast<size_t>(index)); }
    int ActivePageIndex() const;
    // Runs OnChange when the page changes.
    void SetActivePageIndex(int index);

    // After another page comes to the front.
    TNotifyEvent OnChange;

private:
    std::vector<std::unique_ptr<TTabSheet>> pages_;
};

}  // namespace zelvo::platform
