// The cost of `process` through the built module, as a host pays it: per frame of a
// 512-frame stereo block at 48 kHz, with the real-time factor.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "bench/plugin/everything_on.h"
#include "tests/host/test_host.h"

namespace {

constexpr uint32_t kBlock = 512;
constexpr double kRate = 48000.0;

using bench::kEverythingOn;
using bench::Setting;

class Session {
 public:
  explicit Session(bool use64, const std::vector<Setting>& settings = {})
      : module_(testhost::HalvernModulePath()),
        plugin_(module_, host_),
        block_({2}, {2}, kBlock, use64) {
    plugin_.Start(kRate, kBlock);
    for (const Setting& s : settings)
      events_.AddParamValue(s.id, s.value);
    Fill(0.25);
    Process();  // applies the settings
    events_.Clear();
  }

  void Fill(double level) {
    std::vector<double> samples(kBlock);
    for (int c = 0; c < 2; ++c) {
      for (uint32_t i = 0; i < kBlock; ++i) {
        seed_ = seed_ * 1664525u + 1013904223u;
        samples[i] = level * (static_cast<double>(seed_ >> 8) / 8388608.0 - 1.0);
      }
      block_.SetInput(0, c, samples);
    }
  }

  void Process() {
    clap_process_t process = block_.Process(&events_, &out_);
    benchmark::DoNotOptimize(plugin_->process(plugin_.get(), &process));
  }

 private:
  testhost::InitialisedModule module_;
  testhost::TestHost host_;
  testhost::Plugin plugin_;
  testhost::AudioBlock block_;
  testhost::InputEvents events_;
  testhost::OutputEvents out_;
  unsigned seed_ = 1;
};

void ReportPerFrame(benchmark::State& state) {
  using benchmark::Counter;
  state.counters["ns_per_frame"] =
      Counter(kBlock * 1e-9, Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["realtime_factor"] = Counter(kBlock / kRate, Counter::kIsIterationInvariantRate);
}

void BM_Process(benchmark::State& state, bool use64, const std::vector<Setting>& settings) {
  Session session(use64, settings);
  for (auto _ : state)
    session.Process();
  ReportPerFrame(state);
}

// A decaying tail must not slow down: silence after one second of noise, measured in the
// first second and after a minute.
void BM_Tail(benchmark::State& state, double secondsOfSilenceBefore) {
  Session session(true, kEverythingOn);
  for (int i = 0; i < kRate / kBlock; ++i)
    session.Process();
  session.Fill(0.0);
  for (int i = 0; i < secondsOfSilenceBefore * kRate / kBlock; ++i)
    session.Process();
  for (auto _ : state)
    session.Process();
  ReportPerFrame(state);
}

BENCHMARK_CAPTURE(BM_Process, defaults_64bit, true, std::vector<Setting>{});
BENCHMARK_CAPTURE(BM_Process, defaults_32bit, false, std::vector<Setting>{});
BENCHMARK_CAPTURE(BM_Process, everything_on_64bit, true, kEverythingOn);
BENCHMARK_CAPTURE(BM_Process, everything_on_32bit, false, kEverythingOn);
BENCHMARK_CAPTURE(BM_Tail, tail_first_second, 0.0);
BENCHMARK_CAPTURE(BM_Tail, tail_after_60s, 60.0);

}  // namespace

BENCHMARK_MAIN();
