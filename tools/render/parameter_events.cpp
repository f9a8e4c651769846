#include "tools/render/parameter_events.h"

namespace render {

ParameterEventList::ParameterEventList(std::span<const ParameterValue> values) {
  events_.reserve(values.size());
  for (const ParameterValue& value : values) {
    clap_event_param_value_t event{};
    event.header.size = sizeof event;
    event.header.space_id = CLAP_CORE_EVENT_SPACE_ID;
    event.header.type = CLAP_EVENT_PARAM_VALUE;
    event.param_id = value.id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value.value;
    events_.push_back(event);
  }
  count_ = events_.size();
  list_.ctx = this;
  list_.size = [](const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const ParameterEventList*>(list->ctx)->count_);
  };
  list_.get = [](const clap_input_events_t* list, uint32_t index) -> const clap_event_header_t* {
    const auto* self = static_cast<const ParameterEventList*>(list->ctx);
    if (index >= self->count_) return nullptr;
    return &self->events_[self->first_ + index].header;
  };
}

void ParameterEventList::Show(std::size_t first, std::size_t count) {
  first_ = first;
  count_ = count;
}

const clap_output_events_t* DiscardedOutputEvents() {
  static const clap_output_events_t events{
      nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  return &events;
}

}  // namespace render
