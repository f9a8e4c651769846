// halvern-render from start to finish — loading the module, reading, processing and
// writing — on 60 s of stereo audio at 48 kHz, with the real-time factor.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tools/render/audio_file.h"
#include "tools/render/demo.h"

namespace {

namespace fs = std::filesystem;

constexpr double kRate = 48000.0;
constexpr double kSeconds = 60.0;

// The demo's dry signal repeated for a minute, the right channel a beat behind the left.
class MinuteOfStereo {
 public:
  MinuteOfStereo() {
    std::string pattern = (fs::temp_directory_path() / "halvern-render-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    const render::Signal dry = render::SynthesiseDemoSignal(kRate);
    const std::vector<double>& beat = dry.channels.front();
    render::Signal minute;
    minute.sampleRate = kRate;
    const auto frames = static_cast<std::size_t>(kSeconds * kRate);
    const std::size_t offset = static_cast<std::size_t>(0.25 * kRate);
    minute.channels.assign(2, std::vector<double>(frames));
    for (std::size_t i = 0; i < frames; ++i) {
      minute.channels[0][i] = beat[i % beat.size()];
      minute.channels[1][i] = beat[(i + offset) % beat.size()];
    }
    render::WriteAudioFile(Input(), {SF_FORMAT_WAV, SF_FORMAT_PCM_24}, minute);
  }
  ~MinuteOfStereo() { fs::remove_all(folder_); }

  fs::path Input() const { return folder_ / "minute.wav"; }
  fs::path Output() const { return folder_ / "out.wav"; }

 private:
  fs::path folder_;
};

void WholeTool(benchmark::State& state, const std::string& options) {
  static const MinuteOfStereo audio;
  const std::string command = std::string("'") + HALVERN_RENDER_TOOL + "' '" +
                              audio.Input().string() + "' -o '" + audio.Output().string() +
                              "' --tail 0 " + options + " >/dev/null";
  double seconds = 0.0;
  for (auto _ : state) {
    const auto started = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("halvern-render failed");
      return;
    }
  }
  state.counters["realtime_factor"] =
      benchmark::Counter(kSeconds * static_cast<double>(state.iterations()) / seconds);
}

BENCHMARK_CAPTURE(WholeTool, defaults, std::string())
    ->Unit(benchmark::kSecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(WholeTool, everything_on_32bit_block_64,
                  std::string("--block 64 --precision 32 --set 'Density=6' --set 'ER Density=8' "
                              "--set 'ER Level=0.5' --set 'Reverb HPF=200' "
                              "--set 'Gate Threshold=-40' --set 'High Shelf=-6'"))
    ->Unit(benchmark::kSecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
