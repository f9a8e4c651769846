#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tools/render/render_loop.h"

namespace render {

// "[########........]  25%  1.3 of 5.3 s, 0.4 s left", or the tail's length once the
// input is done. The time left assumes the rest goes as fast as what is done.
std::string ProgressText(uint64_t frames, uint64_t inputFrames, bool inTail, double sampleRate,
                         double wallSeconds);

// A one-line progress bar, redrawn at most ten times a second. Erased when the object goes.
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
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDrawn_{};
  bool drawn_ = false;
};

// One line per file of a batch, each updated by the thread that renders the file and
// all redrawn together at most ten times a second.
class BatchProgress {
 public:
  BatchProgress(std::FILE* terminal, std::vector<std::string> names);
  ~BatchProgress();
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  void Update(std::size_t file, std::string text);
  // Sets a final text and redraws at once.
  void Finish(std::size_t file, std::string text);

  // Forwards one file's render to its line.
  class Line : public ProgressListener {
   public:
    Line(BatchProgress& owner, std::size_t file) : owner_(owner), file_(file) {}
    void Began(double sampleRate) override { sampleRate_ = sampleRate; }
    void Advanced(uint64_t frames, uint64_t inputFrames, bool inTail) override;

   private:
    BatchProgress& owner_;
    std::size_t file_;
    double sampleRate_ = 48000.0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastUpdated_{};
  };

 private:
  void DrawLocked(bool force);

  std::FILE* terminal_;
  std::vector<std::string> names_;
  std::vector<std::string> texts_;
  std::size_t nameWidth_ = 0;
  std::mutex lock_;
  std::chrono::steady_clock::time_point lastDrawn_{};
  bool drawn_ = false;
};

}  // namespace render
