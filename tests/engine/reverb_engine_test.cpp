// The engine's derived values, settings application and density cross-fade.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/reverb_engine.h"

namespace {

class Engine : public testing::Test {
 protected:
  Engine() : engine_(std::make_unique<ReverbEngine>()) {}

  // As activation does: every parameter is announced, then the engine is reset.
  void Reset(double rate) {
    engine_->OnParamChange(values_);
    engine_->ResetProcessing(rate, values_);
  }

  void Set(int param, double value) {
    values_[param] = value;
    engine_->OnParamChange(values_);
  }

  // Renders silence through a stereo layout.
  void Render(int32_t frames) {
    std::vector<double> l(frames), r(frames);
    const double* in[2] = {l.data(), r.data()};
    double* out[2] = {l.data(), r.data()};
    engine_->RenderBlock(in, out, {2, 2, 2, 0}, frames);
  }

  std::unique_ptr<ReverbEngine> engine_;
  EngineSettings::Values values_ = EngineSettings{}.ToValues();
};

TEST_F(Engine, FadeLengthIsTenMillisecondsAndAtLeastOneFrame) {
  for (auto [rate, length] : {std::pair{44100.0, 441}, {48000.0, 480}, {96000.0, 960}, {50.0, 1}}) {
    Reset(rate);
    EXPECT_EQ(engine_->FadeLength(), length) << rate;
  }
}

TEST_F(Engine, WetGainsFollowDensityAndWidth) {
  struct Case {
    double density, width, wetScale, wet1, wet2;
  };
  for (const Case& c :
       {Case{4, 1, 3, 0.9, 0}, Case{4, 2, 3, 1.35, -0.45}, Case{4, 0, 3, 0.45, 0.45},
        Case{5, 1, 3, 0.9, 0}, Case{6, 1, 1.5, 0.45, 0}}) {
    values_[kDensity] = c.density;
    values_[kWidth] = c.width;
    Reset(44100);
    Render(2 * engine_->FadeLength() + 1);  // let a density change cross-fade in
    SCOPED_TRACE(testing::Message() << "density " << c.density << " width " << c.width);
    EXPECT_EQ(engine_->WetScale(), c.wetScale);
    EXPECT_NEAR(engine_->WetGain(), c.wetScale * 0.3, 1e-15);
    EXPECT_NEAR(engine_->Wet1(), c.wet1, 1e-15);
    EXPECT_NEAR(engine_->Wet2(), c.wet2, 1e-15);
  }
}

TEST_F(Engine, DensityTruncatesAndSelectsTheNetwork) {
  Set(kDensity, 3.5);
  Reset(44100);
  Render(2 * engine_->FadeLength());
  EXPECT_EQ(engine_->ActiveSettings().density, 3);
  EXPECT_EQ(engine_->CombCount(), 7);
  EXPECT_EQ(engine_->AllpassCount(), 3);
  EXPECT_DOUBLE_EQ(engine_->DensityCompensation(), std::exp(-0.3799265403440175));
}

TEST_F(Engine, DensityChangeSwitchesAFadeLengthAfterTheBlockStarts) {
  Reset(44100);
  ASSERT_EQ(engine_->CombCount(), 8);
  Set(kDensity, 6);
  Render(440);
  EXPECT_EQ(engine_->CombCount(), 8);
  Render(1);  // frame 441: silent, so the network switches
  EXPECT_EQ(engine_->CombCount(), 10);
  EXPECT_EQ(engine_->AllpassCount(), 6);

  // Inside one long block the switch happens mid-block.
  Set(kDensity, 2);
  Render(500);
  EXPECT_EQ(engine_->CombCount(), 6);
}

TEST_F(Engine, ARunningFadeOnlyChangesItsTarget) {
  Reset(44100);
  Set(kDensity, 6);
  Render(100);
  Set(kDensity, 2);  // replaces the target, keeps the timing
  Render(340);
  EXPECT_EQ(engine_->CombCount(), 8);
  Render(1);
  EXPECT_EQ(engine_->CombCount(), 6);

  // Asking for the applied density again does not cancel a running fade.
  Set(kDensity, 5);
  Render(100);
  Set(kDensity, 2);
  Render(341);
  EXPECT_EQ(engine_->CombCount(), 9);
}

TEST_F(Engine, EarlyReflectionTaps) {
  values_[kRoomSize] = 0.5;
  values_[kErDensity] = 4;
  values_[kErLevel] = 0.5;
  Reset(44100);
  const double delays[] = {2205, 2205, 1854.18, 1559.17};
  const double gains[] = {0.5, 0.5, 0.5583, 0.6125};
  for (int tap = 0; tap < 4; ++tap) {
    EXPECT_NEAR(engine_->ErTapDelay(tap), delays[tap], 0.01) << tap;
    EXPECT_NEAR(engine_->ErTapGain(tap), gains[tap], 1e-4) << tap;
    // The gain rule is the level raised to the tap's share of the first delay.
    EXPECT_NEAR(engine_->ErTapGain(tap), std::pow(0.5, engine_->ErTapDelay(tap) / 2205), 1e-12);
  }

  Set(kErLevel, 1.0);
  Render(1);
  for (int tap = 0; tap < 4; ++tap)
    EXPECT_EQ(engine_->ErTapGain(tap), 1.0) << tap;
}

TEST_F(Engine, PreDelayInSamples) {
  values_[kPredelay] = 20;
  Reset(48000);
  EXPECT_DOUBLE_EQ(engine_->PreDelaySamples(), 960);
  // Far above the rates hosts use, the delay stays inside the line's ring.
  values_[kPredelay] = 100;
  Reset(768000);
  EXPECT_EQ(engine_->PreDelaySamples(), cwaveguide::kRingSize);
}

TEST_F(Engine, HighPassGlidesTwoStepsAtTheApplyAndOneAFrame) {
  values_[kReverbHpf] = 200;
  Reset(44100);
  Render(20000);  // settle on 200 Hz
  ASSERT_NEAR(engine_->Hpf().FrequencyState(), 200, 1e-5);
  const double settled = engine_->Hpf().FrequencyState();
  Set(kReverbHpf, 2000);
  Render(0);
  const double pole = 0.99;
  const double oneMinusPole = 1.0 - 0.99;
  const double once = 2000 * oneMinusPole + settled * pole;
  const double twice = 2000 * oneMinusPole + once * pole;
  EXPECT_DOUBLE_EQ(engine_->Hpf().FrequencyState(), twice);
  Render(1);
  EXPECT_DOUBLE_EQ(engine_->Hpf().FrequencyState(), 2000 * oneMinusPole + twice * pole);
}

TEST_F(Engine, SilenceInGivesExactSilenceOut) {
  Reset(48000);
  std::vector<double> l(4096, 0.0), r(4096, 0.0);
  const double* in[2] = {l.data(), r.data()};
  std::vector<double> outL(4096, 1.0), outR(4096, 1.0);
  double* out[2] = {outL.data(), outR.data()};
  engine_->RenderBlock(in, out, {2, 2, 2, 0}, 4096);
  for (int i = 0; i < 4096; ++i) {
    ASSERT_EQ(outL[i], 0.0);
    ASSERT_EQ(outR[i], 0.0);
  }
}

TEST_F(Engine, TinyOutputsAreWrittenAsZero) {
  Reset(48000);
  std::vector<double> l(8, 1e-39), r(8, -1e-39);
  const double* in[2] = {l.data(), r.data()};
  std::vector<double> outL(8, 1.0), outR(8, 1.0);
  double* out[2] = {outL.data(), outR.data()};
  engine_->RenderBlock(in, out, {2, 2, 2, 0}, 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(outL[i], 0.0);
    EXPECT_EQ(outR[i], 0.0);
  }
}

}  // namespace
