#pragma once

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace fw {

// Outgoing messages of one kind, kept sorted by sample offset (equal offsets keep
// their order). Room for kGrowth entries is reserved up front; only a list that
// outgrows its room allocates, and a message that cannot be stored is dropped.
template <class Message>
class OutputList {
 public:
  static constexpr std::size_t kGrowth = 512;

  OutputList() { items_.reserve(kGrowth); }

  void Insert(const Message& message) {
    if (items_.size() == items_.capacity()) {
      try {
        items_.reserve(items_.capacity() + kGrowth);
      } catch (const std::bad_alloc&) {
        return;
      }
    }
    auto at = std::upper_bound(items_.begin(), items_.end(), message.offset,
                               [](int32_t offset, const Message& m) { return offset < m.offset; });
    items_.insert(at, message);
  }

  std::size_t Size() const { return items_.size(); }
  const Message& operator[](std::size_t i) const { return items_[i]; }

  // Drops the first `sent` entries and moves the rest `frames` earlier.
  void Consume(std::size_t sent, int32_t frames) {
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(sent));
    for (Message& m : items_) m.offset -= frames;
  }

 private:
  std::vector<Message> items_;
};

}  // namespace fw
