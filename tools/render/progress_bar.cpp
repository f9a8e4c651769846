#include "tools/render/progress_bar.h"

#include <algorithm>
#include <string>

namespace render {
namespace {

constexpr int kBarWidth = 32;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressBar::ProgressBar(std::FILE* terminal, double sampleRate)
    : terminal_(terminal), sampleRate_(sampleRate) {}

ProgressBar::~ProgressBar() {
  if (drawn_) std::fprintf(terminal_, "\r\033[K");
  std::fflush(terminal_);
}

void ProgressBar::Advanced(uint64_t frames, uint64_t inputFrames, bool inTail) {
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  drawn_ = true;
  const double done =
      inputFrames == 0 ? 1.0 : std::min(1.0, static_cast<double>(frames) / inputFrames);
  const int filled = static_cast<int>(done * kBarWidth);
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  if (inTail) {
    std::fprintf(
        terminal_, "\r[%s] 100%%  tail %.1f s\033[K", bar.c_str(),
        static_cast<double>(frames > inputFrames ? frames - inputFrames : 0) / sampleRate_);
  } else {
    std::fprintf(terminal_, "\r[%s] %3d%%  %.1f of %.1f s\033[K", bar.c_str(),
                 static_cast<int>(done * 100.0), static_cast<double>(frames) / sampleRate_,
                 static_cast<double>(inputFrames) / sampleRate_);
  }
  std::fflush(terminal_);
}

}  // namespace render
