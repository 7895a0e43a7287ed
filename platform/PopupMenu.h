#pragma once
// A pop-up menu the program fills with items and opens at a point. Captions
// are Windows-1252 text; "&" marks the access key ("&&" is a plain "&").
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace zelvo::platform {

class MenuItem {
public:
    using ClickHandler = std::function<void()>;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool Checked() const { return checked_; }
    void SetChecked(bool on) { checked_ = on; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on) { enabled_ = on; }
    // The default item shows in bold.
    bool Default() const { return default_; }
    void SetDefault(bool on) { default_ = on; }
    bool IsSeparator() const { return separator_; }
    void SetOnClick(ClickHandler handler) { onClick_ = std::move(handler); }
    // Runs the click handler, if any, as choosing the item does.
    void Click() const;

private:
    friend class PopupMenu;
    MenuItem(std::string caption, ClickHandler handler, bool separator)
        : caption_(std::move(caption)), onClick_(std::move(handler)), separator_(separator) {}

    std::string caption_;
    ClickHandler onClick_;
    bool separator_ = false;
    bool checked_ = false;
    bool enabled_ = true;
    bool default_ = false;
};

class PopupMenu {
public:
    PopupMenu() = default;
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // The returned item lives as long as the menu.
    MenuItem& AddItem(std::string caption, MenuItem::ClickHandler onClick = {});
    MenuItem& AddSeparator();
    size_t Count() const { return items_.size(); }
    MenuItem& Item(size_t index) { return *items_.at(index); }
    const MenuItem& Item(size_t index) const { return *items_.at(index); }

    // Opens the menu with its top-left corner at the screen point, tracks it
    // until it closes (the loop keeps running meanwhile), then runs the
    // chosen item's handler. Does nothing for an empty menu.
    void Popup(TPoint at);

    // Who tracks menus: the desktop's own menu by default; tests install one
    // that answers with an item (or nullptr for a dismissed menu). Returns
    // the previous tracker; an empty function restores the desktop's.
    using Tracker = std::function<const MenuItem*(const PopupMenu& menu, TPoint at)>;
    static Tracker SetTracker(Tracker tracker);

private:
    std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace zelvo::platform
