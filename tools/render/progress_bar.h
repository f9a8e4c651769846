#pragma once

#include <chrono>
#include <cstdio>

#include "tools/render/render_loop.h"

namespace render {

// A one-line progress bar, redrawn at most ten times a second: how much of the input
// is done, then how long the tail has grown. Erased when the object goes.
class ProgressBar : public ProgressListener {
 public:
  ProgressBar(std::FILE* terminal, double sampleRate);
  ~ProgressBar() override;
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Advanced(uint64_t frames, uint64_t inputFrames, bool inTail) override;

 private:
  std::FILE* terminal_;
  double sampleRate_;
  std::chrono::steady_clock::time_point lastDrawn_{};
  bool drawn_ = false;
};

}  // namespace render
