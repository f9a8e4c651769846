#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "clap/abi.h"

namespace render {

// A parameter value in the units the plug-in takes at its boundary (normalised for
// continuous parameters, real units for choices).
struct ParameterValue {
  clap_id id = CLAP_INVALID_ID;
  double value = 0.0;
};

// Parameter value events as the plug-in reads them. `Show` picks the slice that the
// list presents, so a render hands each block its own events without allocating.
class ParameterEventList {
 public:
  explicit ParameterEventList(std::span<const ParameterValue> values);
  ParameterEventList(const ParameterEventList&) = delete;
  ParameterEventList& operator=(const ParameterEventList&) = delete;

  const clap_input_events_t* List() const { return &list_; }
  void Show(std::size_t first, std::size_t count);

 private:
  std::vector<clap_event_param_value_t> events_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  clap_input_events_t list_;
};

// An output event list that accepts and drops everything: the plug-in only sends
// gestures made in its editor, which this host never opens.
const clap_output_events_t* DiscardedOutputEvents();

}  // namespace render
