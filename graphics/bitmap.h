#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fw::gui {

// Decoded pixels owned by the bitmap cache; the backend derives its image type.
class BackendBitmap {
 public:
  BackendBitmap(int pixelWidth, int pixelHeight, float scale, float drawScale)
      : pixelWidth_(pixelWidth), pixelHeight_(pixelHeight), scale_(scale), drawScale_(drawScale) {}
  virtual ~BackendBitmap() = default;
  BackendBitmap(const BackendBitmap&) = delete;
  BackendBitmap& operator=(const BackendBitmap&) = delete;

  int PixelWidth() const { return pixelWidth_; }
  int PixelHeight() const { return pixelHeight_; }
  float Scale() const { return scale_; }          // the resolution the pixels are for
  float DrawScale() const { return drawScale_; }  // 1 for decoded files

 private:
  int pixelWidth_;
  int pixelHeight_;
  float scale_;
  float drawScale_;
};

// The handle controls hold: a non-owning view of a cached image with its size in
// points over all frames and how the frames lie.
struct Bitmap {
  BackendBitmap* api = nullptr;
  int W = 0;
  int H = 0;
  int N = 1;
  bool framesHorizontal = false;
  std::string name;

  bool IsNone() const { return api == nullptr; }
  float FrameWidth() const { return framesHorizontal ? static_cast<float>(W) / N : W; }
  float FrameHeight() const { return framesHorizontal ? H : static_cast<float>(H) / N; }
};

// The process-wide store of decoded bitmaps by name and resolution, shared by every
// editor, emptied when the last graphics context goes.
class BitmapCache {
 public:
  static BitmapCache& Instance();

  std::mutex& Lock() { return mutex_; }
  // The caller holds Lock() for these.
  BackendBitmap* Find(const std::string& name, double scale) const;
  BackendBitmap* Insert(std::unique_ptr<BackendBitmap> bitmap, const std::string& name,
                        double scale);
  void Remove(const BackendBitmap* bitmap);
  // Another resolution of name, tried in the resource search order; 0 when none.
  int FindCachedScale(const std::string& name, int targetScale) const;
  size_t Count() const { return entries_.size(); }

  // Live graphics contexts; the cache empties when the count drops to 0.
  void ContextCreated();
  void ContextDestroyed();

 private:
  struct Entry {
    uint64_t keyHash;
    std::string name;
    double scale;
    std::unique_ptr<BackendBitmap> bitmap;
  };
  static uint64_t KeyHash(const std::string& name, double scale);

  std::mutex mutex_;
  std::vector<Entry> entries_;
  int liveContexts_ = 0;
};

}  // namespace fw::gui
