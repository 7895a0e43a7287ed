// Rows, columns and grids of controls, computed from the sizes the controls
// need in their fonts: the room left over goes to the items with a stretch
// factor, else to those that expand (fields, lists, sliders, pages), else to
// every item that may grow. Hidden controls take no room.
#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
using namespace win32;

namespace {

struct Item {
    enum class What { Control, Box, Grid, Spacing, Stretch } what;
    TControl* control = nullptr;
    TBoxLayout::Impl* box = nullptr;
    TGridLayout::Impl* grid = nullptr;
    int stretch = 0;
    int pixels = 0;
};

// What an item needs and how it may grow, per direction: [0] across, [1] down.
struct Need {
    int size[2] = {0, 0};
    bool grows[2] = {false, false};
    bool expands[2] = {false, false};
    bool shown = false;
};

}  // namespace

struct TBoxLayout::Impl {
    HWND window = nullptr;
    bool row = false;
    bool top = false;
    std::vector<Item> items;
    int spacing = -1;
    bool marginsSet = false;
    RECT margins{0, 0, 0, 0};
};

struct TGridLayout::Impl {
    HWND window = nullptr;
    struct Cell {
        TControl* control;
        int row;
        int column;
    };
    std::vector<Cell> cells;
};

namespace {

int Spacing(const TBoxLayout::Impl& box) {
    return box.spacing >= 0 ? box.spacing : Scale(box.window, 6);
}

RECT Margins(const TBoxLayout::Impl& box) {
    if (box.marginsSet)
        return box.margins;
    if (!box.top)
        return RECT{0, 0, 0, 0};
    const int m = Scale(box.window, 9);
    return RECT{m, m, m, m};
}

Need NeedOfControl(const TControl& control) {
    Need need;
    if (!Alive(&control))
        return need;
    const TControl::Impl& impl = control.Toolkit();
    if (impl.hwnd == nullptr || !control.Visible())
        return need;
    need.shown = true;
    const SIZE size = NeededSize(control);
    need.size[0] = size.cx;
    need.size[1] = size.cy;
    switch (impl.kind) {
        case Kind::Edit:
        case Kind::Combo:
        case Kind::TrackBar:
            need.expands[0] = true;
            need.grows[0] = true;
            break;
        case Kind::Pages:
            need.expands[0] = need.expands[1] = true;
            need.grows[0] = need.grows[1] = true;
            break;
        case Kind::Button:
        case Kind::Check:
        case Kind::Radio:
            need.grows[0] = true;
            break;
        case Kind::Spin:
            break;
        default:
            need.grows[0] = need.grows[1] = true;
            break;
    }
    if (impl.fixedWidth >= 0)
        need.grows[0] = need.expands[0] = false;
    if (impl.fixedHeight >= 0)
        need.grows[1] = need.expands[1] = false;
    return need;
}

Need NeedOfBox(const TBoxLayout::Impl& box);
Need NeedOfGrid(const TGridLayout::Impl& grid);

Need NeedOf(const Item& item) {
    switch (item.what) {
        case Item::What::Control:
            return NeedOfControl(*item.control);
        case Item::What::Box:
            return NeedOfBox(*item.box);
        case Item::What::Grid:
            return NeedOfGrid(*item.grid);
        default:
            break;
    }
    Need need;
    need.shown = true;
    return need;
}

bool IsSpacer(const Item& item) {
    return item.what == Item::What::Spacing || item.what == Item::What::Stretch;
}

Need NeedOfBox(const TBoxLayout::Impl& box) {
    const int along = box.row ? 0 : 1;
    const int across = 1 - along;
    Need total;
    total.shown = true;
    bool previousTakesSpacing = false;
    for (const Item& item : box.items) {
        const Need need = NeedOf(item);
        if (!need.shown)
            continue;
        if (item.what == Item::What::Spacing) {
            total.size[along] += item.pixels;
            previousTakesSpacing = false;
            continue;
        }
        if (item.what == Item::What::Stretch) {
            total.grows[along] = true;
            previousTakesSpacing = false;
            continue;
        }
        if (previousTakesSpacing)
            total.size[along] += Spacing(box);
        previousTakesSpacing = true;
        total.size[along] += need.size[along];
        total.size[across] = std::max(total.size[across], need.size[across]);
        for (int d = 0; d < 2; ++d) {
            total.grows[d] = total.grows[d] || need.grows[d];
            total.expands[d] = total.expands[d] || need.expands[d];
        }
        if (item.stretch > 0)
            total.grows[along] = true;
    }
    const RECT m = Margins(box);
    total.size[0] += m.left + m.right;
    total.size[1] += m.top + m.bottom;
    return total;
}

struct GridLines {
    std::vector<int> widths, heights;
    std::vector<bool> growsAcross, expandsAcross, growsDown;
};

GridLines LinesOf(const TGridLayout::Impl& grid) {
    GridLines lines;
    for (const auto& cell : grid.cells) {
        const auto columns = static_cast<size_t>(cell.column) + 1;
        const auto rows = static_cast<size_t>(cell.row) + 1;
        if (lines.widths.size() < columns) {
            lines.widths.resize(columns, 0);
            lines.growsAcross.resize(columns, false);
            lines.expandsAcross.resize(columns, false);
        }
        if (lines.heights.size() < rows) {
            lines.heights.resize(rows, 0);
            lines.growsDown.resize(rows, false);
        }
        const Need need = NeedOfControl(*cell.control);
        if (!need.shown)
            continue;
        const auto c = static_cast<size_t>(cell.column);
        const auto r = static_cast<size_t>(cell.row);
        lines.widths[c] = std::max(lines.widths[c], need.size[0]);
        lines.heights[r] = std::max(lines.heights[r], need.size[1]);
        lines.growsAcross[c] = lines.growsAcross[c] || need.grows[0];
        lines.expandsAcross[c] = lines.expandsAcross[c] || need.expands[0];
        lines.growsDown[r] = lines.growsDown[r] || need.grows[1];
    }
    return lines;
}

int Sum(const std::vector<int>& sizes, int spacing) {
    const int n = static_cast<int>(sizes.size());
    return std::accumulate(sizes.begin(), sizes.end(), 0) + (n > 1 ? (n - 1) * spacing : 0);
}

Need NeedOfGrid(const TGridLayout::Impl& grid) {
    Need need;
    need.shown = true;
    const GridLines lines = LinesOf(grid);
    const int spacing = Scale(grid.window, 6);
    need.size[0] = Sum(lines.widths, spacing);
    need.size[1] = Sum(lines.heights, spacing);
    need.grows[0] = std::find(lines.growsAcross.begin(), lines.growsAcross.end(), true) !=
                    lines.growsAcross.end();
    need.expands[0] = std::find(lines.expandsAcross.begin(), lines.expandsAcross.end(), true) !=
                      lines.expandsAcross.end();
    need.grows[1] =
        std::find(lines.growsDown.begin(), lines.growsDown.end(), true) != lines.growsDown.end();
    return need;
}

// Shares `extra` pixels among the sizes whose weight is above 0.
void Share(std::vector<int>& sizes, const std::vector<int>& weights, int extra) {
    const int total = std::accumulate(weights.begin(), weights.end(), 0);
    if (extra <= 0 || total <= 0)
        return;
    int given = 0;
    int seen = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        if (weights[i] <= 0)
            continue;
        seen += weights[i];
        const int upTo = static_cast<int>(static_cast<long long>(extra) * seen / total);
        sizes[i] += upTo - given;
        given = upTo;
    }
}

void PlaceControl(TControl& control, const Need& need, RECT cell) {
    if (!Alive(&control))
        return;
    TControl::Impl& impl = control.Toolkit();
    if (impl.hwnd == nullptr)
        return;
    int width = cell.right - cell.left;
    int height = cell.bottom - cell.top;
    int x = cell.left;
    int y = cell.top;
    if (!need.grows[0] && width > need.size[0])
        width = need.size[0];
    if (!need.grows[1] && height > need.size[1]) {
        y += (height - need.size[1]) / 2;
        height = need.size[1];
    }
    ::SetWindowPos(impl.hwnd, nullptr, x, y, width, height + impl.dropHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceBox(const TBoxLayout::Impl& box, RECT area);

void PlaceGrid(const TGridLayout::Impl& grid, RECT area) {
    GridLines lines = LinesOf(grid);
    const int spacing = Scale(grid.window, 6);
    const int extraWidth = (area.right - area.left) - Sum(lines.widths, spacing);
    std::vector<int> weights(lines.widths.size(), 0);
    for (size_t c = 0; c < weights.size(); ++c)
        weights[c] = lines.expandsAcross[c] ? 1 : 0;
    if (std::accumulate(weights.begin(), weights.end(), 0) == 0)
        for (size_t c = 0; c < weights.size(); ++c)
            weights[c] = lines.growsAcross[c] ? 1 : 0;
    Share(lines.widths, weights, extraWidth);
    std::vector<int> lefts(lines.widths.size(), area.left);
    for (size_t c = 1; c < lefts.size(); ++c)
        lefts[c] = lefts[c - 1] + lines.widths[c - 1] + spacing;
    std::vector<int> tops(lines.heights.size(), area.top);
    for (size_t r = 1; r < tops.size(); ++r)
        tops[r] = tops[r - 1] + lines.heights[r - 1] + spacing;
    for (const auto& cell : grid.cells) {
        const Need need = NeedOfControl(*cell.control);
        if (!need.shown)
            continue;
        const auto c = static_cast<size_t>(cell.column);
        const auto r = static_cast<size_t>(cell.row);
        PlaceControl(
            *cell.control, need,
            RECT{lefts[c], tops[r], lefts[c] + lines.widths[c], tops[r] + lines.heights[r]});
    }
}

void PlaceBox(const TBoxLayout::Impl& box, RECT area) {
    const RECT m = Margins(box);
    area.left += m.left;
    area.top += m.top;
    area.right -= m.right;
    area.bottom -= m.bottom;
    const int along = box.row ? 0 : 1;
    const int across = 1 - along;
    const int room = box.row ? area.right - area.left : area.bottom - area.top;
    const int depth = box.row ? area.bottom - area.top : area.right - area.left;

    std::vector<const Item*> items;
    std::vector<Need> needs;
    std::vector<int> sizes;
    std::vector<bool> spaced;
    int used = 0;
    bool previousTakesSpacing = false;
    for (const Item& item : box.items) {
        Need need = NeedOf(item);
        if (!need.shown)
            continue;
        const bool spacer = IsSpacer(item);
        const bool gap = !spacer && previousTakesSpacing;
        previousTakesSpacing = !spacer;
        if (item.what == Item::What::Spacing)
            need.size[along] = item.pixels;
        items.push_back(&item);
        needs.push_back(need);
        sizes.push_back(need.size[along]);
        spaced.push_back(gap);
        used += need.size[along] + (gap ? Spacing(box) : 0);
    }
    const int extra = room - used;
    std::vector<int> weights(items.size(), 0);
    for (size_t i = 0; i < items.size(); ++i)
        weights[i] = items[i]->stretch;
    if (std::accumulate(weights.begin(), weights.end(), 0) == 0)
        for (size_t i = 0; i < items.size(); ++i)
            weights[i] = needs[i].expands[along] ? 1 : 0;
    if (std::accumulate(weights.begin(), weights.end(), 0) == 0)
        for (size_t i = 0; i < items.size(); ++i)
            weights[i] = !IsSpacer(*items[i]) && needs[i].grows[along] ? 1 : 0;
    Share(sizes, weights, extra);

    int at = box.row ? area.left : area.top;
    for (size_t i = 0; i < items.size(); ++i) {
        if (spaced[i])
            at += Spacing(box);
        const Item& item = *items[i];
        RECT cell;
        if (box.row)
            cell = RECT{at, area.top, at + sizes[i], area.top + depth};
        else
            cell = RECT{area.left, at, area.left + depth, at + sizes[i]};
        at += sizes[i];
        (void)across;
        switch (item.what) {
            case Item::What::Control:
                PlaceControl(*item.control, needs[i], cell);
                break;
            case Item::What::Box:
                PlaceBox(*item.box, cell);
                break;
            case Item::What::Grid:
                PlaceGrid(*item.grid, cell);
                break;
            default:
                break;
        }
    }
}

bool IsContainer(const TControl::Impl& impl) {
    switch (impl.kind) {
        case Kind::Form:
        case Kind::Panel:
        case Kind::GroupBox:
        case Kind::Sheet:
            return true;
        default:
            return false;
    }
}

// What the window's frame takes beyond its client area.
SIZE FrameOf(HWND window) {
    RECT outer{}, inner{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &inner);
    return SIZE{(outer.right - outer.left) - inner.right,
                (outer.bottom - outer.top) - inner.bottom};
}

}  // namespace

namespace win32 {

RECT ContentInsets(const TControl::Impl& container) {
    if (container.kind != Kind::GroupBox || container.hwnd == nullptr)
        return RECT{0, 0, 0, 0};
    const int edge = Scale(container.hwnd, 2);
    return RECT{edge, CharSize(container).cy, edge, edge};
}

SIZE ArrangementSize(const TControl::Impl& container) {
    SIZE size{0, 0};
    if (container.arrangement != nullptr) {
        const Need need = NeedOfBox(*container.arrangement);
        size = SIZE{need.size[0], need.size[1]};
    }
    const RECT insets = ContentInsets(container);
    size.cx += insets.left + insets.right;
    size.cy += insets.top + insets.bottom;
    return size;
}

SIZE NeededSize(const TControl& control) {
    const TControl::Impl& impl = control.Toolkit();
    if (impl.hwnd == nullptr)
        return SIZE{0, 0};
    SIZE size{control.Width(), control.Height()};
    if (IsContainer(impl) && impl.arrangement != nullptr) {
        size = ArrangementSize(impl);
        if (impl.kind != Kind::Form) {
            const SIZE frame = FrameOf(impl.hwnd);
            size.cx += frame.cx;
            size.cy += frame.cy;
        }
    } else if (impl.preferred) {
        size = impl.preferred();
    }
    if (impl.fixedWidth >= 0)
        size.cx = impl.fixedWidth;
    if (impl.fixedHeight >= 0)
        size.cy = impl.fixedHeight;
    size.cx = std::max<LONG>(size.cx, impl.minWidth);
    size.cy = std::max<LONG>(size.cy, impl.minHeight);
    return size;
}

void FitNew(TControl::Impl& impl) {
    if (impl.hwnd == nullptr || !impl.preferred)
        return;
    const SIZE size = impl.preferred();
    ::SetWindowPos(impl.hwnd, nullptr, 0, 0, size.cx, size.cy + impl.dropHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ArrangeContents(TControl::Impl& container) {
    if (container.hwnd == nullptr)
        return;
    if (container.arrangement != nullptr) {
        RECT area{};
        ::GetClientRect(container.hwnd, &area);
        const RECT insets = ContentInsets(container);
        area.left += insets.left;
        area.top += insets.top;
        area.right -= insets.right;
        area.bottom -= insets.bottom;
        PlaceBox(*container.arrangement, area);
    }
    if (container.arrangeParts) {
        auto parts = container.arrangeParts;
        parts();
    }
}

void ArrangeAll(TControl::Impl& container) {
    ArrangeContents(container);
    for (HWND child = ::GetWindow(container.hwnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        TControl::Impl* impl = ControlOf(child);
        if (impl != nullptr && impl->hwnd == child)
            ArrangeAll(*impl);
    }
}

void Rearrange(const TControl::Impl& impl) {
    if (impl.hwnd == nullptr)
        return;
    HWND root = ::GetAncestor(impl.hwnd, GA_ROOT);
    TControl::Impl* form = ControlOf(root);
    if (form != nullptr && form->kind == Kind::Form && ::IsWindowVisible(root))
        ArrangeAll(*form);
}

}  // namespace win32

// --- The arrangement's interface --------------------------------------------------

TWinControl::TWinControl(std::unique_ptr<Impl> impl) : TControl(std::move(impl)) {}

TWinControl::~TWinControl() {
    Toolkit().arrangement = nullptr;
}

TBoxLayout& TWinControl::ArrangeInRow() {
    return Arrange(true);
}

TBoxLayout& TWinControl::ArrangeInColumn() {
    return Arrange(false);
}

TBoxLayout& TWinControl::Arrange(bool row) {
    if (!layout_) {
        auto impl = std::make_unique<TBoxLayout::Impl>();
        impl->window = Toolkit().hwnd;
        impl->row = row;
        impl->top = true;
        if (Toolkit().kind == Kind::Form) {
            const int m = Scale(impl->window, 11);
            impl->margins = RECT{m, m, m, m};
            impl->marginsSet = true;
        }
        TBoxLayout::Impl* raw = impl.get();
        layout_.reset(new TBoxLayout(std::move(impl), row));
        Toolkit().arrangement = raw;
    }
    return *layout_;
}

TBoxLayout::TBoxLayout(std::unique_ptr<Impl> impl, bool row) : impl_(std::move(impl)), row_(row) {}

TBoxLayout::~TBoxLayout() = default;

void TBoxLayout::Add(TControl& control, int stretch) {
    Item item{Item::What::Control};
    item.control = &control;
    item.stretch = stretch;
    impl_->items.push_back(item);
}

TBoxLayout& TBoxLayout::AddRow(int stretch) {
    return AddNested(true, stretch);
}

TBoxLayout& TBoxLayout::AddColumn(int stretch) {
    return AddNested(false, stretch);
}

TBoxLayout& TBoxLayout::AddNested(bool row, int stretch) {
    auto impl = std::make_unique<Impl>();
    impl->window = impl_->window;
    impl->row = row;
    Item item{Item::What::Box};
    item.box = impl.get();
    item.stretch = stretch;
    impl_->items.push_back(item);
    nested_.push_back(std::unique_ptr<TBoxLayout>(new TBoxLayout(std::move(impl), row)));
    return *nested_.back();
}

TGridLayout& TBoxLayout::AddGrid(int stretch) {
    auto impl = std::make_unique<TGridLayout::Impl>();
    impl->window = impl_->window;
    Item item{Item::What::Grid};
    item.grid = impl.get();
    item.stretch = stretch;
    impl_->items.push_back(item);
    grids_.push_back(std::unique_ptr<TGridLayout>(new TGridLayout(std::move(impl))));
    return *grids_.back();
}

void TBoxLayout::AddSpacing(int pixels) {
    Item item{Item::What::Spacing};
    item.pixels = pixels;
    impl_->items.push_back(item);
}

void TBoxLayout::AddStretch(int stretch) {
    Item item{Item::What::Stretch};
    item.stretch = stretch;
    impl_->items.push_back(item);
}

void TBoxLayout::SetSpacing(int pixels) {
    impl_->spacing = pixels;
}

void TBoxLayout::SetMargins(int left, int top, int right, int bottom) {
    impl_->margins = RECT{left, top, right, bottom};
    impl_->marginsSet = true;
}

TGridLayout::TGridLayout(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TGridLayout::~TGridLayout() = default;

void TGridLayout::Add(TControl& control, int row, int column) {
    impl_->cells.push_back(Impl::Cell{&control, std::max(row, 0), std::max(column, 0)});
}

}  // namespace zelvo::platform
