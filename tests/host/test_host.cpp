#include "tests/host/test_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testhost {
namespace {

std::string Text(const char* text) {
  return text ? text : "(null)";
}

template <class T>
std::string Number(T value) {
  return std::to_string(value);
}

}  // namespace

// ---------------------------------------------------------------- Module

// Under the sanitizers modules stay mapped after their last close: once unmapped, the
// leak checker could neither see what their statics still hold nor name their code.
#if defined(HALVERN_SANITIZED_BUILD)
constexpr int kKeepLoaded = RTLD_NODELETE;
#else
constexpr int kKeepLoaded = 0;
#endif

Module::Module(std::string path) : path_(std::move(path)) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL | kKeepLoaded);
  if (!handle_) throw std::runtime_error(std::string("cannot load module: ") + dlerror());
  entry_ = static_cast<const clap_plugin_entry_t*>(dlsym(handle_, "clap_entry"));
  if (!entry_) throw std::runtime_error("module has no clap_entry");
}

Module::~Module() {
  dlclose(handle_);
}

void* Module::Symbol(const char* name) const {
  return dlsym(handle_, name);
}

const clap_plugin_factory_t* Module::PluginFactory() const {
  return static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

const clap_preset_discovery_factory_t* Module::PresetDiscoveryFactory() const {
  return static_cast<const clap_preset_discovery_factory_t*>(
      entry_->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
}

const char* HalvernModulePath() {
  return HALVERN_MODULE_PATH;
}
const char* ProbeModulePath() {
  return PROBE_MODULE_PATH;
}

InitialisedModule::InitialisedModule(const char* path) : Module(path) {
  if (!Init()) throw std::runtime_error("module init failed");
}

InitialisedModule::~InitialisedModule() {
  Deinit();
}

// ---------------------------------------------------------------- TestHost

TestHost& TestHost::Of(const clap_host_t* host) {
  return *static_cast<TestHost*>(host->host_data);
}

TestHost::TestHost(HostConfig config)
    : config_(std::move(config)), mainThread_(std::this_thread::get_id()) {
  host_ = clap_host_t{};
  host_.clap_version = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};
  host_.host_data = this;
  host_.name = config_.name.c_str();
  host_.vendor = "Test Vendor";
  host_.url = "";
  host_.version = config_.version.c_str();
  if (config_.hasGetExtension) {
    host_.get_extension = [](const clap_host_t* h, const char* id) -> const void* {
      Of(h).Record("get_extension", {Text(id)});
      return Of(h).Extension(id);
    };
  }
  host_.request_restart = [](const clap_host_t* h) { Of(h).Record("request_restart"); };
  host_.request_process = [](const clap_host_t* h) { Of(h).Record("request_process"); };
  host_.request_callback = [](const clap_host_t* h) {
    TestHost& self = Of(h);
    self.Record("request_callback");
    if (self.config_.callbackAtOnce && self.plugin_) {
      self.plugin_->on_main_thread(self.plugin_);
    } else {
      ++self.callbacksRequested_;
    }
  };

  log_.log = [](const clap_host_t* h, clap_log_severity severity, const char* text) {
    Of(h).Record("log", {Number(severity), Text(text)});
  };
  threadCheck_.is_main_thread = [](const clap_host_t* h) {
    return std::this_thread::get_id() == Of(h).mainThread_;
  };
  threadCheck_.is_audio_thread = [](const clap_host_t* h) {
    return std::this_thread::get_id() == Of(h).audioThread_.load();
  };
  params_.rescan = [](const clap_host_t* h, clap_param_rescan_flags flags) {
    Of(h).Record("params.rescan", {Number(flags)});
  };
  params_.clear = [](const clap_host_t* h, clap_id id, clap_param_clear_flags flags) {
    Of(h).Record("params.clear", {Number(id), Number(flags)});
  };
  params_.request_flush = [](const clap_host_t* h) { Of(h).Record("params.request_flush"); };
  latency_.changed = [](const clap_host_t* h) { Of(h).Record("latency.changed"); };
  // Counted, not recorded: it comes from `process`, where nothing may allocate.
  tail_.changed = [](const clap_host_t* h) {
    TestHost& self = Of(h);
    self.tailChangedThread_.store(std::this_thread::get_id());
    self.tailChanges_.fetch_add(1);
  };
  trackInfo_.get = [](const clap_host_t* h, clap_track_info_t* info) {
    TestHost& self = Of(h);
    self.Record("track_info.get");
    if (!self.config_.trackInfoAnswers) return false;
    info->flags = CLAP_TRACK_INFO_HAS_AUDIO_CHANNEL;
    info->audio_channel_count = self.config_.trackChannels;
    return true;
  };
  gui_ = clap_host_gui_t{};
  gui_.resize_hints_changed = [](const clap_host_t* h) {
    Of(h).Record("gui.resize_hints_changed");
  };
  gui_.request_resize = [](const clap_host_t* h, uint32_t w, uint32_t hh) {
    Of(h).Record("gui.request_resize", {Number(w), Number(hh)});
    return true;
  };
  gui_.request_show = [](const clap_host_t* h) { return Of(h).Record("gui.request_show"), true; };
  gui_.request_hide = [](const clap_host_t* h) { return Of(h).Record("gui.request_hide"), true; };
  gui_.closed = [](const clap_host_t* h, bool destroyed) {
    Of(h).Record("gui.closed", {Number(destroyed)});
  };
  state_.mark_dirty = [](const clap_host_t* h) { Of(h).Record("state.mark_dirty"); };
  presetLoad_.on_error = [](const clap_host_t* h, uint32_t kind, const char* location,
                            const char* key, int32_t osError, const char* message) {
    Of(h).Record("preset_load.on_error",
                 {Number(kind), Text(location), Text(key), Number(osError), Text(message)});
  };
  presetLoad_.loaded = [](const clap_host_t* h, uint32_t kind, const char* location,
                          const char* key) {
    Of(h).Record("preset_load.loaded", {Number(kind), Text(location), Text(key)});
  };
  timerSupport_.register_timer = [](const clap_host_t* h, uint32_t period, clap_id* id) {
    TestHost& self = Of(h);
    {
      std::lock_guard guard(self.lock_);
      *id = self.nextTimer_++;
      self.timers_[*id] = period;
    }
    self.Record("timer_support.register_timer", {Number(period), Number(*id)});
    return true;
  };
  timerSupport_.unregister_timer = [](const clap_host_t* h, clap_id id) {
    TestHost& self = Of(h);
    bool known;
    {
      std::lock_guard guard(self.lock_);
      known = self.timers_.erase(id) > 0;
    }
    self.Record("timer_support.unregister_timer", {Number(id)});
    return known;
  };

  // A partial record lacks the one function the plug-in needs most.
  if (config_.log == Offer::Partial) log_.log = nullptr;
  if (config_.threadCheck == Offer::Partial) threadCheck_.is_audio_thread = nullptr;
  if (config_.params == Offer::Partial) params_.rescan = nullptr;
  if (config_.latency == Offer::Partial) latency_.changed = nullptr;
  if (config_.tail == Offer::Partial) tail_.changed = nullptr;
  if (config_.trackInfo == Offer::Partial) trackInfo_.get = nullptr;
  if (config_.gui == Offer::Partial) gui_.closed = nullptr;
  if (config_.state == Offer::Partial) state_.mark_dirty = nullptr;
  if (config_.presetLoad == Offer::Partial) presetLoad_.loaded = nullptr;
  if (config_.timerSupport == Offer::Partial) timerSupport_.unregister_timer = nullptr;
}

TestHost::~TestHost() = default;

const void* TestHost::Extension(const char* id) const {
  auto offered = [](Offer offer, const void* record) {
    return offer == Offer::Absent ? nullptr : record;
  };
  if (!id) return nullptr;
  const std::string name(id);
  if (name == CLAP_EXT_LOG) return offered(config_.log, &log_);
  if (name == CLAP_EXT_THREAD_CHECK) return offered(config_.threadCheck, &threadCheck_);
  if (name == CLAP_EXT_PARAMS) return offered(config_.params, &params_);
  if (name == CLAP_EXT_LATENCY) return offered(config_.latency, &latency_);
  if (name == CLAP_EXT_TAIL) return offered(config_.tail, &tail_);
  if (name == CLAP_EXT_TRACK_INFO) return offered(config_.trackInfo, &trackInfo_);
  if (name == CLAP_EXT_GUI) return offered(config_.gui, &gui_);
  if (name == CLAP_EXT_STATE) return offered(config_.state, &state_);
  if (name == CLAP_EXT_PRESET_LOAD) return offered(config_.presetLoad, &presetLoad_);
  if (name == CLAP_EXT_TIMER_SUPPORT) return offered(config_.timerSupport, &timerSupport_);
  return nullptr;
}

void TestHost::Record(std::string name, std::vector<std::string> args) {
  std::lock_guard guard(lock_);
  calls_.push_back({std::move(name), std::move(args), std::this_thread::get_id()});
}

std::vector<HostCall> TestHost::Calls() const {
  std::lock_guard guard(lock_);
  return calls_;
}

std::vector<HostCall> TestHost::Calls(const std::string& name) const {
  std::lock_guard guard(lock_);
  std::vector<HostCall> matching;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(matching),
               [&](const HostCall& call) { return call.name == name; });
  return matching;
}

int TestHost::Count(const std::string& name) const {
  return static_cast<int>(Calls(name).size());
}

void TestHost::ClearCalls() {
  std::lock_guard guard(lock_);
  calls_.clear();
}

std::vector<std::string> TestHost::LogMessages() const {
  std::vector<std::string> messages;
  for (const HostCall& call : Calls("log"))
    messages.push_back(call.Arg(1));
  return messages;
}

std::vector<std::pair<clap_id, uint32_t>> TestHost::Timers() const {
  std::lock_guard guard(lock_);
  return {timers_.begin(), timers_.end()};
}

void TestHost::FireTimers() {
  if (!plugin_) return;
  const auto* timers = static_cast<const clap_plugin_timer_support_t*>(
      plugin_->get_extension(plugin_, CLAP_EXT_TIMER_SUPPORT));
  if (!timers) return;
  for (const auto& [id, period] : Timers())
    timers->on_timer(plugin_, id);
}

bool TestHost::ServiceCallback() {
  if (!plugin_ || callbacksRequested_.exchange(0) == 0) return false;
  plugin_->on_main_thread(plugin_);
  return true;
}

// ---------------------------------------------------------------- Plugin

Plugin::Plugin(const Module& module, TestHost& host, const char* id)
    : Plugin(module.PluginFactory(), host, id) {}

Plugin::Plugin(const clap_plugin_factory_t* factory, TestHost& host, const char* id) {
  if (!factory) return;
  const clap_plugin_descriptor_t* descriptor = factory->get_plugin_descriptor(factory, 0);
  if (!id && descriptor) id = descriptor->id;
  plugin_ = factory->create_plugin(factory, host.Host(), id);
  host.Attach(plugin_);
}

Plugin::~Plugin() {
  Destroy();
}

bool Plugin::Start(double sampleRate, uint32_t maxFrames) {
  return plugin_->init(plugin_) && plugin_->activate(plugin_, sampleRate, 1, maxFrames) &&
         plugin_->start_processing(plugin_);
}

void Plugin::Destroy() {
  if (plugin_) plugin_->destroy(plugin_);
  plugin_ = nullptr;
}

// ---------------------------------------------------------------- Events

InputEvents::InputEvents() {
  list_.ctx = this;
  list_.size = [](const clap_input_events_t* list) {
    return static_cast<uint32_t>(static_cast<const InputEvents*>(list->ctx)->events_.size());
  };
  list_.get = [](const clap_input_events_t* list, uint32_t index) -> const clap_event_header_t* {
    const auto& events = static_cast<const InputEvents*>(list->ctx)->events_;
    return index < events.size()
               ? reinterpret_cast<const clap_event_header_t*>(events[index].data())
               : nullptr;
  };
}

void InputEvents::Add(const void* event, std::size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(event);
  // Kept 8-byte aligned, as a host's event storage is.
  std::vector<uint8_t> copy((size + 7) / 8 * 8, 0);
  std::memcpy(copy.data(), bytes, size);
  events_.push_back(std::move(copy));
}

void InputEvents::AddParamValue(clap_id id, double value, uint32_t time) {
  clap_event_param_value_t event{};
  event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  event.param_id = id;
  event.note_id = -1;
  event.port_index = -1;
  event.channel = -1;
  event.key = -1;
  event.value = value;
  Add(event);
}

OutputEvents::OutputEvents() {
  list_.ctx = this;
  list_.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
    auto* self = static_cast<OutputEvents*>(list->ctx);
    const std::size_t size = std::min<std::size_t>(event->size, 4096);
    std::vector<uint8_t> copy(std::max<std::size_t>(size, sizeof(clap_event_header_t)), 0);
    std::memcpy(copy.data(), event, size);
    if (event->type == CLAP_EVENT_MIDI_SYSEX && event->size >= sizeof(clap_event_midi_sysex_t)) {
      const auto* sysex = reinterpret_cast<const clap_event_midi_sysex_t*>(event);
      self->sysex_[self->events_.size()] =
          std::vector<uint8_t>(sysex->buffer, sysex->buffer + sysex->size);
    }
    self->events_.push_back(std::move(copy));
    return true;
  };
}

// ---------------------------------------------------------------- Audio

AudioBlock::AudioBlock(std::vector<uint32_t> inputPorts, std::vector<uint32_t> outputPorts,
                       uint32_t frames, bool use64, bool inPlace)
    : frames_(frames), use64_(use64) {
  Build(inputPorts_, inputs_, inputPorts);
  Build(outputPorts_, outputs_, outputPorts);
  if (!inPlace) return;
  for (std::size_t p = 0; p < outputPorts_.size() && p < inputPorts_.size(); ++p) {
    Port& out = outputPorts_[p];
    Port& in = inputPorts_[p];
    for (std::size_t c = 0; c < out.pointers64.size() && c < in.pointers64.size(); ++c) {
      out.pointers64[c] = in.pointers64[c];
      out.pointers32[c] = in.pointers32[c];
    }
  }
}

void AudioBlock::Build(std::vector<Port>& ports, std::vector<clap_audio_buffer_t>& buffers,
                       const std::vector<uint32_t>& layout) {
  ports.resize(layout.size());
  buffers.resize(layout.size());
  for (std::size_t p = 0; p < layout.size(); ++p) {
    Port& port = ports[p];
    port.samples64.assign(layout[p], std::vector<double>(frames_, 0.0));
    port.samples32.assign(layout[p], std::vector<float>(frames_, 0.0f));
    for (uint32_t c = 0; c < layout[p]; ++c) {
      port.pointers64.push_back(port.samples64[c].data());
      port.pointers32.push_back(port.samples32[c].data());
    }
  }
  for (std::size_t p = 0; p < layout.size(); ++p) {
    buffers[p] = clap_audio_buffer_t{};
    buffers[p].channel_count = layout[p];
  }
}

void AudioBlock::SetInput(uint32_t port, uint32_t channel, const std::vector<double>& samples) {
  Port& p = inputPorts_.at(port);
  for (uint32_t i = 0; i < frames_ && i < samples.size(); ++i) {
    p.pointers64.at(channel)[i] = samples[i];
    p.pointers32.at(channel)[i] = static_cast<float>(samples[i]);
  }
}

void AudioBlock::FillInputs(double value) {
  for (Port& port : inputPorts_) {
    for (std::size_t c = 0; c < port.pointers64.size(); ++c) {
      std::fill_n(port.pointers64[c], frames_, value);
      std::fill_n(port.pointers32[c], frames_, static_cast<float>(value));
    }
  }
}

void AudioBlock::FillOutputs(double value) {
  for (Port& port : outputPorts_) {
    for (std::size_t c = 0; c < port.pointers64.size(); ++c) {
      std::fill_n(port.pointers64[c], frames_, value);
      std::fill_n(port.pointers32[c], frames_, static_cast<float>(value));
    }
  }
}

double AudioBlock::OutputSample(uint32_t port, uint32_t channel, uint32_t frame) const {
  const Port& p = outputPorts_.at(port);
  return use64_ ? p.pointers64.at(channel)[frame] : p.pointers32.at(channel)[frame];
}

std::vector<double> AudioBlock::Output(uint32_t port, uint32_t channel) const {
  std::vector<double> samples(frames_);
  for (uint32_t i = 0; i < frames_; ++i)
    samples[i] = OutputSample(port, channel, i);
  return samples;
}

clap_process_t AudioBlock::Process(const InputEvents* in, OutputEvents* out,
                                   const clap_event_transport_t* transport) {
  auto point = [this](std::vector<Port>& ports, std::vector<clap_audio_buffer_t>& buffers) {
    for (std::size_t p = 0; p < ports.size(); ++p) {
      buffers[p].data64 = use64_ ? ports[p].pointers64.data() : nullptr;
      buffers[p].data32 = use64_ ? nullptr : ports[p].pointers32.data();
    }
  };
  point(inputPorts_, inputs_);
  point(outputPorts_, outputs_);
  clap_process_t process{};
  process.steady_time = -1;
  process.frames_count = frames_;
  process.transport = transport;
  process.audio_inputs = inputs_.empty() ? nullptr : inputs_.data();
  process.audio_outputs = outputs_.empty() ? nullptr : outputs_.data();
  process.audio_inputs_count = static_cast<uint32_t>(inputs_.size());
  process.audio_outputs_count = static_cast<uint32_t>(outputs_.size());
  process.in_events = in ? in->List() : nullptr;
  process.out_events = out ? out->List() : nullptr;
  return process;
}

// ---------------------------------------------------------------- Streams

MemoryOStream::MemoryOStream(int64_t maxPerCall, int failAtCall)
    : maxPerCall_(maxPerCall), failAtCall_(failAtCall) {
  stream_.ctx = this;
  stream_.write = [](const clap_ostream_t* stream, const void* buffer, uint64_t size) -> int64_t {
    auto* self = static_cast<MemoryOStream*>(stream->ctx);
    if (self->calls_++ == self->failAtCall_) return -1;
    const int64_t n = std::min<int64_t>(static_cast<int64_t>(size), self->maxPerCall_);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    self->bytes_.insert(self->bytes_.end(), bytes, bytes + n);
    return n;
  };
}

MemoryIStream::MemoryIStream(std::vector<uint8_t> bytes, std::vector<int64_t> pieces,
                             int failAtCall)
    : bytes_(std::move(bytes)), pieces_(std::move(pieces)), failAtCall_(failAtCall) {
  stream_.ctx = this;
  stream_.read = [](const clap_istream_t* stream, void* buffer, uint64_t size) -> int64_t {
    auto* self = static_cast<MemoryIStream*>(stream->ctx);
    const int call = self->calls_++;
    if (call == self->failAtCall_) return -1;
    auto* out = static_cast<uint8_t*>(buffer);
    if (self->endless_) {
      std::memset(out, 0x42, size);
      self->delivered_ += static_cast<int64_t>(size);
      return static_cast<int64_t>(size);
    }
    int64_t n =
        static_cast<int64_t>(std::min<uint64_t>(size, self->bytes_.size() - self->position_));
    if (static_cast<std::size_t>(call) < self->pieces_.size()) n = std::min(n, self->pieces_[call]);
    if (n > 0) std::memcpy(out, self->bytes_.data() + self->position_, static_cast<std::size_t>(n));
    self->position_ += static_cast<std::size_t>(n);
    self->delivered_ += n;
    return n;
  };
}

MemoryIStream MemoryIStream::Endless() {
  MemoryIStream stream({});
  stream.endless_ = true;
  return stream;
}

std::vector<uint8_t> StateBytes(const std::vector<double>& values) {
  std::vector<uint8_t> bytes(values.size() * 8);
  for (std::size_t i = 0; i < values.size(); ++i) {
    uint64_t bits;
    std::memcpy(&bits, &values[i], 8);
    for (int b = 0; b < 8; ++b)
      bytes[i * 8 + b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  return bytes;
}

std::vector<double> StateValues(const std::vector<uint8_t>& bytes) {
  std::vector<double> values(bytes.size() / 8);
  for (std::size_t i = 0; i < values.size(); ++i) {
    uint64_t bits = 0;
    for (int b = 0; b < 8; ++b)
      bits |= uint64_t{bytes[i * 8 + b]} << (8 * b);
    std::memcpy(&values[i], &bits, 8);
  }
  return values;
}

// ---------------------------------------------------------------- Presets

PresetIndexer::PresetIndexer(bool acceptLocations, bool withDeclareLocation)
    : accept_(acceptLocations) {
  indexer_ = clap_preset_discovery_indexer_t{};
  indexer_.clap_version = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};
  indexer_.name = "Test Indexer";
  indexer_.vendor = "";
  indexer_.url = "";
  indexer_.version = "1.0";
  indexer_.indexer_data = this;
  indexer_.declare_filetype = [](const clap_preset_discovery_indexer_t*,
                                 const clap_preset_discovery_filetype_t*) { return true; };
  if (withDeclareLocation) {
    indexer_.declare_location = [](const clap_preset_discovery_indexer_t* indexer,
                                   const clap_preset_discovery_location_t* location) {
      auto* self = static_cast<PresetIndexer*>(indexer->indexer_data);
      self->locations_.push_back(*location);
      return self->accept_;
    };
  }
  indexer_.declare_soundpack = [](const clap_preset_discovery_indexer_t*,
                                  const clap_preset_discovery_soundpack_t*) { return true; };
  indexer_.get_extension = [](const clap_preset_discovery_indexer_t*, const char*) -> const void* {
    return nullptr;
  };
}

PresetReceiver::PresetReceiver(int refuseAt) : refuseAt_(refuseAt) {
  receiver_ = clap_preset_discovery_metadata_receiver_t{};
  receiver_.receiver_data = this;
  receiver_.begin_preset = [](const clap_preset_discovery_metadata_receiver_t* r, const char* name,
                              const char* key) {
    auto* self = static_cast<PresetReceiver*>(r->receiver_data);
    if (static_cast<int>(self->presets_.size()) == self->refuseAt_) return false;
    self->presets_.push_back({Text(name), Text(key), {}, 0});
    return true;
  };
  receiver_.add_plugin_id = [](const clap_preset_discovery_metadata_receiver_t* r,
                               const clap_universal_plugin_id_t* id) {
    auto* self = static_cast<PresetReceiver*>(r->receiver_data);
    self->presets_.back().pluginIds.push_back(Text(id->abi) + ":" + Text(id->id));
  };
  receiver_.set_flags = [](const clap_preset_discovery_metadata_receiver_t* r, uint32_t flags) {
    static_cast<PresetReceiver*>(r->receiver_data)->presets_.back().flags = flags;
  };
}

}  // namespace testhost
