#include "engine/routing.h"

#include <algorithm>

#include "engine/params.h"

Routing RouteChannels(const ChannelLayout& layout, int32_t detector) {
  Routing routing;
  const int32_t nIn = layout.inputs;
  const int32_t nOut = layout.outputs;
  if (nIn <= 0 || nOut <= 0) return routing;
  routing.outputCount = std::min(nOut, 2);
  const int32_t widest = nOut >= 2 ? 2 : 1;

  if (layout.mainBusChannels > 0) {
    // A side-chain configuration: the main input is exactly the first bus, so a
    // side-chain channel is never heard as the right input.
    const int32_t mainBus = std::min(layout.mainBusChannels, nIn);
    routing.mainCount = std::min(mainBus, widest);
    routing.sidechainFirst = mainBus;
    routing.sidechainCount = nIn - mainBus;
    return routing;
  }

  routing.mainCount = std::min(nIn, widest);
  if (nIn > routing.mainCount) {
    routing.sidechainCount = nIn - routing.mainCount;
  } else if (detector == kDetectSidechain && layout.maxInputBuses >= 2 && nIn >= 2) {
    routing.mainCount = 1;
    routing.sidechainCount = nIn - 1;
  }
  routing.sidechainFirst = routing.mainCount;
  return routing;
}
