#pragma once

#include <memory>
#include <string>
#include <vector>

namespace fw::gui {

// The items of a context menu or value prompt and what the user chose.
class PopupMenu {
 public:
  static constexpr int kTicked = 4;

  struct Item {
    std::string text;
    int flags = 0;
    std::shared_ptr<PopupMenu> subMenu;
  };

  void Clear() {
    items_.clear();
    title_.clear();
    chosenIndex_ = -1;
  }
  void AddItem(std::string text, int flags = 0, std::shared_ptr<PopupMenu> subMenu = nullptr) {
    items_.push_back({std::move(text), flags, std::move(subMenu)});
  }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  const Item& GetItem(int index) const { return items_[index]; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }
  void SetChosenIndex(int index) { chosenIndex_ = index; }
  int ChosenIndex() const { return chosenIndex_; }

 private:
  std::vector<Item> items_;
  std::string title_;
  int chosenIndex_ = -1;
};

}  // namespace fw::gui
