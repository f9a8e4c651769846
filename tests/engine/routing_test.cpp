// Which inputs feed the reverb and which key the gate, for every channel layout.
#include <gtest/gtest.h>

#include "engine/params.h"
#include "engine/routing.h"

namespace {

struct Case {
  int32_t inputs;
  int32_t outputs;
  int32_t mainBusChannels;  // 0: a configuration with one input bus
  int32_t detector;
  int32_t mainCount;
  int32_t sidechainFirst;
  int32_t sidechainCount;
  int32_t outputCount;
};

TEST(Routing, EveryLayout) {
  const Case cases[] = {
      // Count-based routing of a single input bus.
      {1, 1, 0, kDetectWetOutput, 1, 1, 0, 1},
      {1, 2, 0, kDetectWetOutput, 1, 1, 0, 2},
      {2, 1, 0, kDetectWetOutput, 1, 1, 1, 1},
      {2, 2, 0, kDetectWetOutput, 2, 2, 0, 2},
      {2, 2, 0, kDetectDryInput, 2, 2, 0, 2},
      {2, 2, 0, kDetectSidechain, 1, 1, 1, 2},  // the stereo input becomes main + key
      {3, 2, 0, kDetectWetOutput, 2, 2, 1, 2},
      {4, 2, 0, kDetectWetOutput, 2, 2, 2, 2},
      {3, 1, 0, kDetectWetOutput, 1, 1, 2, 1},
      {1, 2, 0, kDetectSidechain, 1, 1, 0, 2},
      // Side-chain configurations: the main input is exactly the first bus.
      {2, 2, 1, kDetectWetOutput, 1, 1, 1, 2},  // 1.1-2
      {3, 2, 1, kDetectSidechain, 1, 1, 2, 2},  // 1.2-2
      {3, 2, 2, kDetectWetOutput, 2, 2, 1, 2},  // 2.1-2
      {4, 2, 2, kDetectWetOutput, 2, 2, 2, 2},  // 2.2-2
      {2, 1, 1, kDetectWetOutput, 1, 1, 1, 1},  // 1.1-1
      {3, 1, 1, kDetectWetOutput, 1, 1, 2, 1},  // 1.2-1
      {1, 2, 1, kDetectSidechain, 1, 1, 0, 2},  // side-chain bus not connected
      // Nothing connected on a side: nothing to route.
      {0, 2, 0, kDetectWetOutput, 0, 0, 0, 0},
      {2, 0, 0, kDetectWetOutput, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const Routing r = RouteChannels({c.inputs, c.outputs, 2, c.mainBusChannels}, c.detector);
    SCOPED_TRACE(testing::Message() << c.inputs << "/" << c.outputs << " main bus "
                                    << c.mainBusChannels << " detector " << c.detector);
    EXPECT_EQ(r.mainCount, c.mainCount);
    EXPECT_EQ(r.sidechainFirst, c.sidechainFirst);
    EXPECT_EQ(r.sidechainCount, c.sidechainCount);
    EXPECT_EQ(r.outputCount, c.outputCount);
  }
}

TEST(Routing, SidechainDetectorNeedsASecondInputBusSomewhere) {
  const Routing r = RouteChannels({2, 2, 1, 0}, kDetectSidechain);
  EXPECT_EQ(r.mainCount, 2);
  EXPECT_EQ(r.sidechainCount, 0);
}

}  // namespace
