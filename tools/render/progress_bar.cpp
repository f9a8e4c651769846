#include "tools/render/progress_bar.h"

#include <algorithm>

namespace render {
namespace {

constexpr int kBarWidth = 32;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string ProgressText(uint64_t frames, uint64_t inputFrames, bool inTail, double sampleRate,
                         double wallSeconds) {
  const double done =
      inputFrames == 0 ? 1.0 : std::min(1.0, static_cast<double>(frames) / inputFrames);
  const int filled = static_cast<int>(done * kBarWidth);
  const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
  char text[160];
  if (inTail) {
    std::snprintf(
        text, sizeof text, "[%s] 100%%  tail %.1f s", bar.c_str(),
        static_cast<double>(frames > inputFrames ? frames - inputFrames : 0) / sampleRate);
  } else {
    const int written =
        std::snprintf(text, sizeof text, "[%s] %3d%%  %.1f of %.1f s", bar.c_str(),
                      static_cast<int>(done * 100.0), static_cast<double>(frames) / sampleRate,
                      static_cast<double>(inputFrames) / sampleRate);
    // The first moments say little about the pace.
    const bool paced = done >= 0.01 && wallSeconds >= 0.2;
    if (paced && written > 0 && static_cast<std::size_t>(written) < sizeof text) {
      std::snprintf(text + written, sizeof text - static_cast<std::size_t>(written),
                    ", %.1f s left", wallSeconds * (1.0 - done) / done);
    }
  }
  return text;
}

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
  const std::string text =
      ProgressText(frames, inputFrames, inTail, sampleRate_, SecondsSince(started_));
  std::fprintf(terminal_, "\r%s\033[K", text.c_str());
  std::fflush(terminal_);
}

BatchProgress::BatchProgress(std::FILE* terminal, std::vector<std::string> names)
    : terminal_(terminal), names_(std::move(names)), texts_(names_.size(), "waiting") {
  for (const std::string& name : names_)
    nameWidth_ = std::max(nameWidth_, name.size());
}

BatchProgress::~BatchProgress() {
  const std::scoped_lock hold(lock_);
  DrawLocked(true);
}

void BatchProgress::Update(std::size_t file, std::string text) {
  const std::scoped_lock hold(lock_);
  texts_[file] = std::move(text);
  DrawLocked(false);
}

void BatchProgress::Finish(std::size_t file, std::string text) {
  const std::scoped_lock hold(lock_);
  texts_[file] = std::move(text);
  DrawLocked(true);
}

void BatchProgress::DrawLocked(bool force) {
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  // Back to the first line, then every line again.
  if (drawn_) std::fprintf(terminal_, "\033[%zuF", names_.size());
  for (std::size_t i = 0; i < names_.size(); ++i) {
    std::fprintf(terminal_, "%-*s  %s\033[K\n", static_cast<int>(nameWidth_), names_[i].c_str(),
                 texts_[i].c_str());
  }
  drawn_ = true;
  std::fflush(terminal_);
}

void BatchProgress::Line::Advanced(uint64_t frames, uint64_t inputFrames, bool inTail) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastUpdated_ < kRedrawInterval) return;
  lastUpdated_ = now;
  owner_.Update(file_,
                ProgressText(frames, inputFrames, inTail, sampleRate_, SecondsSince(started_)));
}

}  // namespace render
