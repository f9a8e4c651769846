#include <algorithm>
#include <cstdio>

#include "graphics/bitmap.h"
#include "graphics/resources.h"

namespace fw::gui {

BitmapCache& BitmapCache::Instance() {
  // Never destroyed: a late editor close from an exit handler still finds it.
  static BitmapCache* cache = new BitmapCache;
  return *cache;
}

uint64_t BitmapCache::KeyHash(const std::string& name, double scale) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "-%.1fx", scale);
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : name + suffix) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

BackendBitmap* BitmapCache::Find(const std::string& name, double scale) const {
  uint64_t hash = KeyHash(name, scale);
  for (const Entry& entry : entries_) {
    if (entry.keyHash == hash && entry.scale == scale && entry.name == name) {
      return entry.bitmap.get();
    }
  }
  return nullptr;
}

BackendBitmap* BitmapCache::Insert(std::unique_ptr<BackendBitmap> bitmap, const std::string& name,
                                   double scale) {
  BackendBitmap* stored = bitmap.get();
  entries_.push_back({KeyHash(name, scale), name, scale, std::move(bitmap)});
  return stored;
}

void BitmapCache::Remove(const BackendBitmap* bitmap) {
  std::erase_if(entries_, [bitmap](const Entry& entry) { return entry.bitmap.get() == bitmap; });
}

int BitmapCache::FindCachedScale(const std::string& name, int targetScale) const {
  for (int n = targetScale; n > 0; n = NextSearchScale(n, targetScale)) {
    if (Find(name, n)) return n;
  }
  return 0;
}

void BitmapCache::ContextCreated() {
  std::lock_guard lock(mutex_);
  ++liveContexts_;
}

void BitmapCache::ContextDestroyed() {
  std::lock_guard lock(mutex_);
  if (--liveContexts_ == 0) entries_.clear();
}

}  // namespace fw::gui
