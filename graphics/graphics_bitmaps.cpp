#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <mutex>

#include "graphics/graphics.h"

namespace fw::gui {

namespace {

Bitmap MakeBitmap(BackendBitmap* api, int frames, bool framesHorizontal, const std::string& name) {
  return {api,
          static_cast<int>(api->PixelWidth() / api->Scale()),
          static_cast<int>(api->PixelHeight() / api->Scale()),
          std::max(frames, 1),
          framesHorizontal,
          name};
}

}  // namespace

Bitmap Graphics::FetchBitmap(const std::string& name, int frames, bool framesHorizontal,
                             int targetScale) {
  std::lock_guard lock(BitmapCache::Instance().Lock());
  return FetchBitmapLocked(name, frames, framesHorizontal, targetScale, {});
}

Bitmap Graphics::FetchBitmapFromMemory(const std::string& name, std::span<const unsigned char> data,
                                       int frames, bool framesHorizontal, int targetScale) {
  std::lock_guard lock(BitmapCache::Instance().Lock());
  return FetchBitmapLocked(name, frames, framesHorizontal, targetScale, data);
}

// memory: the image's bytes (at scale 1) instead of a resource search.
Bitmap Graphics::FetchBitmapLocked(const std::string& name, int frames, bool framesHorizontal,
                                   int targetScale, std::span<const unsigned char> memory) {
  BitmapCache& cache = BitmapCache::Instance();
  if (targetScale == 0) targetScale = static_cast<int>(std::ceil(drawScale_ * screenScale_));
  if (BackendBitmap* cached = cache.Find(name, targetScale)) {
    return MakeBitmap(cached, frames, framesHorizontal, name);
  }
  std::string extension = FileExtension(name);
  if (memory.empty() && !ImageTypeSupported(extension)) return {};

  std::unique_ptr<BackendBitmap> decoded;
  BackendBitmap* source = nullptr;
  if (!memory.empty()) {
    decoded = DecodeBitmap(memory, 1);
    source = decoded.get();
  } else {
    std::string path;
    int foundScale = 0;
    ResourceLocation where = resources_.FindImage(name, extension, path, targetScale, foundScale);
    if (where != ResourceLocation::NotFound) {
      source = foundScale != targetScale ? cache.Find(name, foundScale) : nullptr;
      if (!source) {
        std::vector<unsigned char> fileBytes;
        std::span<const unsigned char> bytes;
        if (where == ResourceLocation::Module) {
          bytes = resources_.ResourceBytes(path, extension);
        } else {
          fileBytes = resources_.LoadBytes(path, extension);
          bytes = fileBytes;
        }
        if (!bytes.empty()) decoded = DecodeBitmap(bytes, foundScale);
        source = decoded.get();
      }
    } else if (int cachedScale = cache.FindCachedScale(name, targetScale)) {
      source = cache.Find(name, cachedScale);
    }
  }
  if (!source) return {};

  if (source->Scale() == static_cast<float>(targetScale)) {
    if (decoded) source = cache.Insert(std::move(decoded), name, targetScale);
    return MakeBitmap(source, frames, framesHorizontal, name);
  }
  // The source goes out of scope (and out of memory) if it was decoded just now.
  return RescaleBitmapLocked(MakeBitmap(source, frames, framesHorizontal, name), name, targetScale);
}

Bitmap Graphics::RescaleBitmap(const Bitmap& bitmap, const std::string& name, int targetScale) {
  std::lock_guard lock(BitmapCache::Instance().Lock());
  return RescaleBitmapLocked(bitmap, name, targetScale);
}

Bitmap Graphics::RescaleBitmapLocked(const Bitmap& bitmap, const std::string& name,
                                     int targetScale) {
  if (bitmap.IsNone() || targetScale <= 0) return {};
  float savedScreenScale = std::exchange(screenScale_, static_cast<float>(targetScale));
  float savedDrawScale = std::exchange(drawScale_, bitmap.api->DrawScale());
  float drawScale = bitmap.api->DrawScale();
  StartLayer({0.0f, 0.0f, bitmap.W / drawScale, bitmap.H / drawScale});
  DrawBitmapFrame(bitmap, {0.0f, 0.0f, static_cast<float>(bitmap.W), static_cast<float>(bitmap.H)},
                  0.0f, 0.0f);
  std::unique_ptr<BackendBitmap> pixels = EndLayer();
  screenScale_ = savedScreenScale;
  drawScale_ = savedDrawScale;
  if (!pixels) return {};
  BackendBitmap* stored = BitmapCache::Instance().Insert(std::move(pixels), name, targetScale);
  return MakeBitmap(stored, bitmap.N, bitmap.framesHorizontal, name);
}

std::vector<unsigned char> Graphics::LoadResourceBytes(const std::string& name,
                                                       const std::string& type) const {
  return resources_.LoadBytes(name, type);
}

ResourceLocation Graphics::LocateResource(const std::string& name, const std::string& type,
                                          std::string& outPath) const {
  return resources_.Locate(name, type, outPath);
}

FontData MapFontFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(fd, &status) == 0 && status.st_size > 0) {
    mapped = mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  }
  close(fd);
  if (mapped == MAP_FAILED) return {};
  size_t size = static_cast<size_t>(status.st_size);
  std::shared_ptr<const void> owner(mapped,
                                    [size](const void* p) { munmap(const_cast<void*>(p), size); });
  return {{static_cast<const unsigned char*>(mapped), size}, std::move(owner)};
}

bool Graphics::RegisterFont(const std::string& fontId, const std::string& fileName) {
  std::string path;
  FontData font;
  switch (resources_.Locate(fileName, "TTF", path)) {
    case ResourceLocation::Module:
      font.bytes = resources_.ResourceBytes(path, "TTF");
      break;
    case ResourceLocation::File:
      font = MapFontFile(path);
      break;
    case ResourceLocation::NotFound:
      return false;
  }
  std::optional<FontInfo> info = ParseFontInfo(font.bytes);
  if (!info) return false;
  return LoadTypeface(fontId, font, *info);
}

}  // namespace fw::gui
