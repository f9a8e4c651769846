// The engine's output, bit for bit, over seeded sessions: random settings at block starts,
// lines switched in and out of use, resets, hostile input, every port configuration and
// the usual sample rates. The digests were taken from the engine before its delay lines
// were reworked for speed and memory; any change to a single output bit shows up here.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "engine/reverb_engine.h"

namespace {

// Deterministic on every standard library, unlike the <random> distributions.
class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  bool Chance(double p) { return Unit() < p; }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  // A value on a parameter's step grid, as the host can reach it.
  double Steps(double min, double max, double step) {
    const int count = static_cast<int>(std::lround((max - min) / step));
    return min + Below(count + 1) * step;
  }

 private:
  uint64_t state_;
};

struct Configuration {
  const char* name;
  ChannelLayout layout;
};

// The product's port configurations as the engine sees them with every channel connected.
constexpr std::array<Configuration, 9> kConfigurations{{
    {"1-1", {1, 1, 2, 0}},
    {"1-2", {1, 2, 2, 0}},
    {"2-2", {2, 2, 2, 0}},
    {"1.1-1", {2, 1, 2, 1}},
    {"1.1-2", {2, 2, 2, 1}},
    {"2.1-2", {3, 2, 2, 2}},
    {"1.2-1", {3, 1, 2, 1}},
    {"1.2-2", {3, 2, 2, 1}},
    {"2.2-2", {4, 2, 2, 2}},
}};

constexpr std::array<double, 5> kRates = {22050, 44100, 48000, 96000, 192000};

// Early reflections and pre-delay come and go, with very short pre-delays and rooms among
// them, unless they are held; everything else moves at random.
void Randomise(SplitMix& random, EngineSettings::Values& v, bool holdLines) {
  if (!holdLines) {
    if (random.Chance(0.15)) {
      const double shortOnes[] = {0.0, 0.01, 0.02, 0.04, 0.07};
      v[kPredelay] = random.Chance(0.5) ? shortOnes[random.Below(5)] : random.Steps(0, 100, 0.01);
    }
    if (random.Chance(0.15)) v[kErDensity] = random.Below(9);
    if (random.Chance(0.15)) v[kErLevel] = random.Chance(0.3) ? 0.0 : random.Steps(0, 1, 0.01);
    if (random.Chance(0.1)) v[kRoomSize] = random.Chance(0.2) ? 0.001 : random.Steps(0, 1, 0.001);
  }
  if (!random.Chance(0.3)) return;
  switch (random.Below(15)) {
    case 0:
      v[kDensity] = 1 + random.Below(6);
      break;
    case 1:
      v[kDamping] = random.Steps(0, 1, 0.001);
      break;
    case 2:
      v[kReverbHpf] = random.Steps(0, 2000, 10);
      break;
    case 3:
      v[kWetLevel] = random.Steps(0, 1, 0.001);
      break;
    case 4:
      v[kDryLevel] = random.Steps(0, 1, 0.001);
      break;
    case 5:
      v[kWidth] = random.Steps(0, 2, 0.001);
      break;
    case 6:
      v[kGateThreshold] = random.Steps(-90, 0, 0.1);
      break;
    case 7:
      v[kAttack] = random.Steps(1, 100, 0.1);
      break;
    case 8:
      v[kRelease] = random.Steps(1, 500, 0.1);
      break;
    case 9:
      v[kInputBlend] = random.Steps(0, 1, 0.01);
      break;
    case 10:
      v[kReverseOuts] = random.Below(2);
      break;
    case 11:
      v[kHold] = random.Steps(0, 600, 0.1);
      break;
    case 12:
      v[kGateDetector] = random.Below(3);
      break;
    case 13:
      v[kHighShelf] = random.Steps(-20, 10, 0.1);
      break;
    default:
      v[kShelfFreq] = random.Steps(1000, 12000, 100);
      break;
  }
}

// One block of input per channel: mostly noise, sometimes silence, rarely values that
// overflow the network (which clears it, so not while lines are held) or are not numbers.
void FillInput(SplitMix& random, std::vector<std::vector<double>>& channels, int32_t frames,
               bool holdLines) {
  const int kind = random.Below(holdLines ? 10 : 100) + (holdLines ? 11 : 0);
  for (std::vector<double>& channel : channels) {
    for (int32_t i = 0; i < frames; ++i) {
      const double noise = random.Unit() * 2.0 - 1.0;
      if (kind < 10) {
        channel[i] = 0.0;
      } else if (kind == 10) {
        channel[i] = noise * 1e300;
      } else if (kind == 11 && i % 97 == 0) {
        channel[i] = i % 2 ? std::numeric_limits<double>::quiet_NaN()
                           : std::numeric_limits<double>::infinity();
      } else {
        channel[i] = noise * 0.5;
      }
    }
  }
}

uint64_t Fnv(uint64_t hash, double sample) {
  const uint64_t bits = std::bit_cast<uint64_t>(sample);
  for (int byte = 0; byte < 8; ++byte) {
    hash ^= (bits >> (8 * byte)) & 0xff;
    hash *= 0x100000001b3;
  }
  return hash;
}

uint64_t SessionDigest(const Configuration& configuration, double rate, uint64_t seed) {
  SplitMix random(seed);
  auto engine = std::make_unique<ReverbEngine>();
  EngineSettings::Values values = EngineSettings{}.ToValues();
  // The session opens with the shortest lines in use for longer than a full ring.
  values[kPredelay] = 0.02;
  values[kRoomSize] = 0.001;
  values[kErDensity] = 8;
  values[kErLevel] = 0.5;
  int64_t holdUntil = 70000;
  engine->OnParamChange(values);
  engine->ResetProcessing(rate, values);

  const ChannelLayout& layout = configuration.layout;
  constexpr int32_t kMaxBlock = 2048;
  std::vector<std::vector<double>> in(layout.inputs, std::vector<double>(kMaxBlock));
  std::vector<std::vector<double>> out(layout.outputs, std::vector<double>(kMaxBlock));
  std::vector<const double*> inPointers;
  std::vector<double*> outPointers;
  for (auto& channel : in)
    inPointers.push_back(channel.data());
  for (auto& channel : out)
    outPointers.push_back(channel.data());

  uint64_t hash = 0xcbf29ce484222325;
  // Long enough at every rate for lines to stay in use beyond a full 65536-sample ring.
  const int64_t total = 150000 + static_cast<int64_t>(rate * 0.5);
  for (int64_t done = 0; done < total;) {
    const int32_t frames = random.Chance(0.1) ? 1 + random.Below(8) : 1 + random.Below(kMaxBlock);
    if (done >= holdUntil && random.Chance(0.003)) holdUntil = done + 70000;
    Randomise(random, values, done < holdUntil);

    engine->OnParamChange(values);
    const bool holdLines = done < holdUntil;
    if (!holdLines && random.Chance(0.01)) engine->ResetProcessing(rate, values);
    FillInput(random, in, frames, holdLines);
    engine->RenderBlock(inPointers.data(), outPointers.data(), layout, frames);
    for (const auto& channel : out) {
      for (int32_t i = 0; i < frames; ++i)
        hash = Fnv(hash, channel[i]);
    }
    done += frames;
  }
  return hash;
}

// Digests by rate (in kRates order), then by configuration (in kConfigurations order).
constexpr uint64_t kDigests[kRates.size()][kConfigurations.size()] = {
    {0x171741206df090d4, 0xe9ee23cd571e2a65, 0x7b35d416790417e5, 0xf2d69615dadee6a1,
     0x722a992b0693084a, 0x3346d911998e9437, 0x708129b386f9ef77, 0xb44dbdee72c4436a,
     0x85380e5ac9121be4},
    {0x3248269418cfc7c8, 0x2197a7d10419e858, 0xb657b3d2e0d6c7c5, 0x6924f36efbae96dc,
     0x32d275fb55ae1275, 0x9748b9eb9a71ed97, 0x39213b96c444ab87, 0x434a1c0bda2e8e30,
     0x87097eb793aab6c8},
    {0x7e521f423a9bf77c, 0xf245973a3c92378b, 0x742a3ad753318885, 0x275b3655488e35ef,
     0x434de2ad9988eb7, 0x91b70299298e9749, 0xa2608a0e9317c7a3, 0xe78e82d93ff6a0b8,
     0xcfd54a0566f063e4},
    {0x30b8c232510902c7, 0x2b21936c7c557f52, 0x605615ddcc187929, 0x607cb066e9500140,
     0x219c9efaf1fcd9cd, 0x5dad9cbdab7a03cb, 0xb7a9f5d04b2ec082, 0x2e23a4f87503a897,
     0x1f44c681b1ba56f},
    {0xbc8e430360892a11, 0x478a495b252e0f0d, 0x2b294a684e2b8e38, 0x482dbaf5a4f47356,
     0xe65e44c1386e8f0a, 0xf17984c528174b71, 0xfffd8d607b659165, 0x9f97e40a98a1fb8c,
     0xea7ed255432810dd},
};

TEST(OutputDigest, EverySessionRendersTheRecordedOutput) {
  for (std::size_t r = 0; r < kRates.size(); ++r) {
    for (std::size_t c = 0; c < kConfigurations.size(); ++c) {
      const uint64_t digest = SessionDigest(kConfigurations[c], kRates[r], 1000 * r + c + 1);
      EXPECT_EQ(digest, kDigests[r][c])
          << kConfigurations[c].name << " at " << kRates[r] << " Hz: 0x" << std::hex << digest;
    }
  }
}

}  // namespace
