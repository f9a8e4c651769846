// One hour of audio at 48 kHz through the module, as fast as it goes, with every
// parameter automated at random and the input alternating between noise bursts and
// silence so the tails decay again and again. The output must stay finite and within
// a sane level; the cost of each minute is printed, so a denormal slowdown would show.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "tests/host/test_host.h"

namespace {

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 512;
constexpr int kMinutes = 60;
constexpr double kLevelBound = 1000.0;  // +60 dB over full scale: far beyond any setting

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : kMinutes;
  testhost::InitialisedModule module;
  testhost::TestHost host;
  testhost::Plugin plugin(module, host);
  if (!plugin.Start(kRate, kBlock)) return 2;
  testhost::AudioBlock block({2}, {2}, kBlock);
  testhost::InputEvents events;
  testhost::OutputEvents out;
  std::mt19937 random(2026);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> left(kBlock), right(kBlock);

  const int blocksPerMinute = static_cast<int>(60 * kRate / kBlock);
  std::vector<double> nsPerFrame;
  double peak = 0.0;
  bool finite = true;
  for (int minute = 0; minute < minutes; ++minute) {
    std::chrono::nanoseconds spent{0};
    for (int b = 0; b < blocksPerMinute; ++b) {
      // Two seconds of noise, then eight of silence.
      const bool noisy = (b % 938) < 188;
      for (uint32_t i = 0; i < kBlock; ++i) {
        left[i] = noisy ? unit(random) - 0.5 : 0.0;
        right[i] = noisy ? unit(random) - 0.5 : 0.0;
      }
      block.SetInput(0, 0, left);
      block.SetInput(0, 1, right);
      events.Clear();
      if (b % 20 == 0) {
        const int changes = 1 + static_cast<int>(unit(random) * 3);
        for (int c = 0; c < changes; ++c) {
          const clap_id id = static_cast<clap_id>(unit(random) * 19);
          double value = unit(random);
          if (id == 14) value = std::round(value);
          if (id == 16) value = std::round(value * 2);
          events.AddParamValue(id, value, static_cast<uint32_t>(unit(random) * kBlock));
        }
      }
      clap_process_t process = block.Process(&events, &out);
      const auto start = std::chrono::steady_clock::now();
      plugin->process(plugin.get(), &process);
      spent += std::chrono::steady_clock::now() - start;
      out.Clear();
      for (uint32_t c = 0; c < 2; ++c) {
        for (uint32_t i = 0; i < kBlock; ++i) {
          const double v = block.OutputSample(0, c, i);
          finite = finite && std::isfinite(v);
          peak = std::max(peak, std::fabs(v));
        }
      }
    }
    nsPerFrame.push_back(static_cast<double>(spent.count()) / (blocksPerMinute * kBlock));
  }

  std::vector<double> sorted = nsPerFrame;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  std::printf("long run: %d min of 48 kHz stereo audio, parameters automated every 20 blocks\n",
              minutes);
  std::printf("  ns/frame per minute: min %.1f  median %.1f  max %.1f  (max/median %.2f)\n",
              sorted.front(), median, sorted.back(), sorted.back() / median);
  std::printf("  first minute %.1f, last minute %.1f ns/frame\n", nsPerFrame.front(),
              nsPerFrame.back());
  std::printf("  peak output %.3f (bound %.0f), all samples finite: %s\n", peak, kLevelBound,
              finite ? "yes" : "no");
  return finite && peak <= kLevelBound ? 0 : 1;
}
