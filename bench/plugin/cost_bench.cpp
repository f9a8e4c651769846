// What one instance costs, in one run: ns per stereo frame of `process` through the built
// module at the defaults and with everything on, beside a plain comb-and-allpass reverb
// written here as the yardstick, and the engine alone to show what `process` adds; then
// the resident memory of one instance at the usual sample rates.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "bench/plugin/everything_on.h"
#include "engine/reverb_engine.h"
#include "tests/host/test_host.h"

namespace {

constexpr uint32_t kBlock = 512;
constexpr double kRate = 48000.0;

using bench::kEverythingOn;
using bench::Setting;

// The same settings in real units, for the engine alone.
EngineSettings::Values EverythingOnValues() {
  EngineSettings s;
  s.preDelayMs = 20;
  s.density = 6;
  s.erDensity = 8;
  s.erLevel = 0.5;
  s.hpfHz = 200;
  s.thresholdDb = -40;
  s.shelfDb = -6;
  s.shelfHz = 8000;
  return s.ToValues();
}

std::vector<double> Noise(unsigned seed) {
  std::vector<double> samples(kBlock);
  for (double& s : samples) {
    seed = seed * 1664525u + 1013904223u;
    s = 0.25 * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
  }
  return samples;
}

// Best of several timed runs, in ns per frame of a 512-frame block.
double NsPerFrame(const std::function<void()>& block) {
  for (int i = 0; i < 200; ++i)
    block();
  double best = 1e300;
  for (int run = 0; run < 7; ++run) {
    constexpr int kBlocks = 400;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBlocks; ++i)
      block();
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count() / (kBlocks * kBlock));
  }
  return best;
}

// The yardstick: eight lowpass-feedback combs and four allpasses per side in double, with
// the classic tunings, a mono sum into both sides and the usual wet/dry mix.
class PlainReverb {
 public:
  PlainReverb() {
    constexpr std::array<int, 8> kCombs = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    constexpr std::array<int, 4> kAllpasses = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
      const int spread = side * 23;
      for (std::size_t i = 0; i < kCombs.size(); ++i)
        combs_[side][i].Size(kCombs[i] + spread);
      for (std::size_t i = 0; i < kAllpasses.size(); ++i)
        allpasses_[side][i].Size(kAllpasses[i] + spread);
    }
  }

  void Process(const double* inL, const double* inR, double* outL, double* outR, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
      const double input = (inL[i] + inR[i]) * 0.015;
      double l = 0.0;
      double r = 0.0;
      for (Comb& comb : combs_[0])
        l += comb.Step(input);
      for (Comb& comb : combs_[1])
        r += comb.Step(input);
      for (Allpass& allpass : allpasses_[0])
        l = allpass.Step(l);
      for (Allpass& allpass : allpasses_[1])
        r = allpass.Step(r);
      outL[i] = l * 0.9 + inL[i] * 0.5;
      outR[i] = r * 0.9 + inR[i] * 0.5;
    }
  }

 private:
  struct Line {
    void Size(int n) { buffer.assign(n, 0.0); }
    std::vector<double> buffer;
    std::size_t position = 0;
  };
  struct Comb : Line {
    double Step(double x) {
      const double out = buffer[position];
      store = out * 0.8 + store * 0.2;
      buffer[position] = x + store * 0.84;
      if (++position == buffer.size()) position = 0;
      return out;
    }
    double store = 0.0;
  };
  struct Allpass : Line {
    double Step(double x) {
      const double delayed = buffer[position];
      buffer[position] = x + delayed * 0.5;
      if (++position == buffer.size()) position = 0;
      return delayed - x;
    }
  };
  std::array<std::array<Comb, 8>, 2> combs_;
  std::array<std::array<Allpass, 4>, 2> allpasses_;
};

// One activated instance in the module with a stereo block of noise.
class Session {
 public:
  Session(testhost::Module& module, double rate, const std::vector<Setting>& settings)
      : plugin_(module, host_), block_({2}, {2}, kBlock, true) {
    plugin_.Start(rate, kBlock);
    for (const Setting& s : settings)
      events_.AddParamValue(s.id, s.value);
    block_.SetInput(0, 0, Noise(1));
    block_.SetInput(0, 1, Noise(2));
    Process();  // applies the settings
    events_.Clear();
  }

  void Process() {
    clap_process_t process = block_.Process(&events_, &out_);
    plugin_->process(plugin_.get(), &process);
  }

 private:
  testhost::TestHost host_;
  testhost::Plugin plugin_;
  testhost::AudioBlock block_;
  testhost::InputEvents events_;
  testhost::OutputEvents out_;
};

double EngineNsPerFrame(const EngineSettings::Values& values) {
  auto engine = std::make_unique<ReverbEngine>();
  engine->OnParamChange(values);
  if (!engine->Prepare(kRate)) return NAN;
  engine->ResetProcessing(kRate, values);
  const std::vector<double> l = Noise(1), r = Noise(2);
  std::vector<double> outL(kBlock), outR(kBlock);
  const double* in[2] = {l.data(), r.data()};
  double* out[2] = {outL.data(), outR.data()};
  return NsPerFrame([&] { engine->RenderBlock(in, out, {2, 2, 2, 0}, kBlock); });
}

double ResidentKiB() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Ten instances, each with its own host, created and, when `activate`, activated and run
// through one shared block for a second and a half with everything on.
double CreateTen(testhost::Module& module, double rate, bool activate) {
  std::vector<std::unique_ptr<testhost::TestHost>> hosts;
  std::vector<std::unique_ptr<testhost::Plugin>> plugins;
  testhost::AudioBlock block({2}, {2}, kBlock, true);
  block.SetInput(0, 0, Noise(1));
  block.SetInput(0, 1, Noise(2));
  testhost::InputEvents settings;
  for (const Setting& s : kEverythingOn)
    settings.AddParamValue(s.id, s.value);
  testhost::InputEvents none;
  testhost::OutputEvents out;
  const double before = ResidentKiB();
  for (int i = 0; i < 10; ++i) {
    // As hosts on this platform do, it offers timers, so no instance needs a timer thread.
    hosts.push_back(std::make_unique<testhost::TestHost>(
        testhost::HostConfig{.timerSupport = testhost::Offer::Full}));
    plugins.push_back(std::make_unique<testhost::Plugin>(module, *hosts.back()));
    testhost::Plugin& plugin = *plugins.back();
    if (!activate) {
      plugin->init(plugin.get());
      continue;
    }
    plugin.Start(rate, kBlock);
    for (int b = 0; b < 1.5 * rate / kBlock; ++b) {
      clap_process_t process = block.Process(b == 0 ? &settings : &none, &out);
      plugin->process(plugin.get(), &process);
    }
  }
  return (ResidentKiB() - before) / 10;
}

// Resident memory per instance, measured in a child process so that memory freed by an
// earlier measurement cannot hide a later one.
double KiBPerInstance(testhost::Module& module, double rate, bool activate) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return NAN;
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    const double perInstance = CreateTen(module, rate, activate);
    const bool sent = write(pipeEnds[1], &perInstance, sizeof perInstance) == sizeof perInstance;
    _exit(sent ? 0 : 1);
  }
  close(pipeEnds[1]);
  double perInstance = NAN;
  if (read(pipeEnds[0], &perInstance, sizeof perInstance) != sizeof perInstance) perInstance = NAN;
  close(pipeEnds[0]);
  waitpid(child, nullptr, 0);
  return perInstance;
}

}  // namespace

int main() {
  testhost::InitialisedModule module;

  PlainReverb plain;
  const std::vector<double> l = Noise(1), r = Noise(2);
  std::vector<double> outL(kBlock), outR(kBlock);
  const double baseline =
      NsPerFrame([&] { plain.Process(l.data(), r.data(), outL.data(), outR.data(), kBlock); });

  Session defaults(module, kRate, {});
  Session everythingOn(module, kRate, kEverythingOn);
  const double defaultsNs = NsPerFrame([&] { defaults.Process(); });
  const double everythingOnNs = NsPerFrame([&] { everythingOn.Process(); });
  const double engineDefaultsNs = EngineNsPerFrame(EngineSettings{}.ToValues());
  const double engineEverythingOnNs = EngineNsPerFrame(EverythingOnValues());

  std::printf("process, 512-frame stereo blocks at 48 kHz, 64-bit buffers (ns per frame)\n");
  std::printf("  plain reverb (8 combs + 4 allpasses per side)  %7.1f\n", baseline);
  std::printf("  defaults                                       %7.1f  %.2fx\n", defaultsNs,
              defaultsNs / baseline);
  std::printf("  everything on                                  %7.1f  %.2fx\n", everythingOnNs,
              everythingOnNs / baseline);
  std::printf("  engine alone, defaults                         %7.1f  (process adds %.1f)\n",
              engineDefaultsNs, defaultsNs - engineDefaultsNs);
  std::printf("  engine alone, everything on                    %7.1f  (process adds %.1f)\n",
              engineEverythingOnNs, everythingOnNs - engineEverythingOnNs);

  std::printf("resident memory per instance (KiB)\n");
  std::printf("  created, never activated                       %7.0f\n",
              KiBPerInstance(module, kRate, false));
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    std::printf("  activated and run at %6.0f Hz                 %7.0f\n", rate,
                KiBPerInstance(module, rate, true));
  }
  return 0;
}
