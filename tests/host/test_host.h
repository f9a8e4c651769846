#pragma once

// A CLAP host for tests: it loads the built module through clap_entry exactly as a
// DAW does, offers a configurable set of host extensions and records every call
// the plug-in makes to it, in order and with its arguments.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clap/abi.h"

namespace testhost {

// The module under test, loaded with dlopen.
class Module {
 public:
  explicit Module(std::string path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::string& Path() const { return path_; }
  const clap_plugin_entry_t& Entry() const { return *entry_; }
  void* Symbol(const char* name) const;

  bool Init() const { return entry_->init(path_.c_str()); }
  void Deinit() const { entry_->deinit(); }
  const clap_plugin_factory_t* PluginFactory() const;
  const clap_preset_discovery_factory_t* PresetDiscoveryFactory() const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  const clap_plugin_entry_t* entry_ = nullptr;
};

// The Halvern module that the build produced, and a module initialised for a test.
const char* HalvernModulePath();
const char* ProbeModulePath();

class InitialisedModule : public Module {
 public:
  explicit InitialisedModule(const char* path = HalvernModulePath());
  ~InitialisedModule();
};

// How a host extension is offered.
enum class Offer {
  Absent,   // get_extension answers null
  Full,     // every function present
  Partial,  // the record exists but lacks a function the plug-in needs
};

struct HostConfig {
  std::string name = "Test Host";
  std::string version = "1.2.3";
  bool hasGetExtension = true;
  Offer log = Offer::Full;
  Offer threadCheck = Offer::Full;
  Offer params = Offer::Full;
  Offer latency = Offer::Full;
  Offer tail = Offer::Full;
  Offer trackInfo = Offer::Absent;
  Offer gui = Offer::Absent;
  Offer state = Offer::Full;
  Offer presetLoad = Offer::Full;
  Offer timerSupport = Offer::Absent;
  // What track info reports.
  bool trackInfoAnswers = true;
  int32_t trackChannels = 2;
  // Answer request_callback by calling on_main_thread at once, from inside the call.
  bool callbackAtOnce = false;
};

struct HostCall {
  std::string name;
  std::vector<std::string> args;
  std::thread::id thread;

  std::string Arg(std::size_t i) const { return i < args.size() ? args[i] : std::string(); }
};

class TestHost {
 public:
  explicit TestHost(HostConfig config = {});
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  const clap_host_t* Host() const { return &host_; }
  const HostConfig& Config() const { return config_; }

  // The instance whose main-thread and timer callbacks the host delivers.
  void Attach(const clap_plugin_t* plugin) { plugin_ = plugin; }

  std::vector<HostCall> Calls() const;
  std::vector<HostCall> Calls(const std::string& name) const;
  int Count(const std::string& name) const;
  void ClearCalls();
  std::vector<std::string> LogMessages() const;

  // The thread that runs `process` in the tests; the host's thread check names it.
  void SetAudioThread(std::thread::id id) { audioThread_ = id; }
  std::thread::id MainThread() const { return mainThread_; }

  // Timers registered through timer-support, and a way to fire them as a host's
  // event loop would.
  std::vector<std::pair<clap_id, uint32_t>> Timers() const;
  void FireTimers();
  // Runs on_main_thread if the plug-in asked for a callback since the last time.
  bool ServiceCallback();
  int PendingCallbacks() const { return callbacksRequested_.load(); }
  // The tail extension's `changed`: how often, and the thread of the last call.
  int TailChanges() const { return tailChanges_.load(); }
  std::thread::id TailChangedThread() const { return tailChangedThread_.load(); }

 private:
  void Record(std::string name, std::vector<std::string> args = {});
  const void* Extension(const char* id) const;
  static TestHost& Of(const clap_host_t* host);

  HostConfig config_;
  clap_host_t host_;
  const clap_plugin_t* plugin_ = nullptr;
  std::thread::id mainThread_;
  std::atomic<std::thread::id> audioThread_;
  mutable std::mutex lock_;
  std::vector<HostCall> calls_;
  std::map<clap_id, uint32_t> timers_;
  clap_id nextTimer_ = 0;
  std::atomic<int> callbacksRequested_{0};

  clap_host_log_t log_;
  clap_host_thread_check_t threadCheck_;
  clap_host_params_t params_;
  clap_host_latency_t latency_;
  clap_host_tail_t tail_;
  std::atomic<int> tailChanges_{0};
  std::atomic<std::thread::id> tailChangedThread_{};
  clap_host_track_info_t trackInfo_;
  clap_host_gui_t gui_;
  clap_host_state_t state_;
  clap_host_preset_load_t presetLoad_;
  clap_host_timer_support_t timerSupport_;
};

// An instance created through the module's factory, destroyed with the object.
class Plugin {
 public:
  Plugin(const Module& module, TestHost& host, const char* id = nullptr);
  // From a plug-in factory at hand, e.g. one linked into the test itself.
  Plugin(const clap_plugin_factory_t* factory, TestHost& host, const char* id = nullptr);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  explicit operator bool() const { return plugin_ != nullptr; }
  const clap_plugin_t* get() const { return plugin_; }
  const clap_plugin_t* operator->() const { return plugin_; }

  template <class Record>
  const Record* Extension(const char* id) const {
    return static_cast<const Record*>(plugin_->get_extension(plugin_, id));
  }

  // init, activate and start_processing in one go.
  bool Start(double sampleRate = 48000.0, uint32_t maxFrames = 512);
  void Destroy();

 private:
  const clap_plugin_t* plugin_ = nullptr;
};

// Input events the host hands to process or flush.
class InputEvents {
 public:
  InputEvents();
  const clap_input_events_t* List() const { return &list_; }

  void Add(const void* event, std::size_t size);
  template <class Event>
  void Add(const Event& event) {
    Add(&event, sizeof event);
  }
  void AddParamValue(clap_id id, double value, uint32_t time = 0);
  void Clear() { events_.clear(); }
  std::size_t Size() const { return events_.size(); }

 private:
  std::vector<std::vector<uint8_t>> events_;
  clap_input_events_t list_;
};

// Output events the plug-in pushes; each is copied, as a host does.
class OutputEvents {
 public:
  OutputEvents();
  const clap_output_events_t* List() const { return &list_; }

  std::size_t Size() const { return events_.size(); }
  const clap_event_header_t& Header(std::size_t i) const {
    return *reinterpret_cast<const clap_event_header_t*>(events_[i].data());
  }
  template <class Event>
  const Event& As(std::size_t i) const {
    return *reinterpret_cast<const Event*>(events_[i].data());
  }
  // The bytes a system-exclusive event pointed to when it was pushed.
  const std::vector<uint8_t>& SysExBytes(std::size_t i) const { return sysex_.at(i); }
  void Clear() {
    events_.clear();
    sysex_.clear();
  }

 private:
  std::vector<std::vector<uint8_t>> events_;
  std::map<std::size_t, std::vector<uint8_t>> sysex_;
  clap_output_events_t list_;
};

// Audio buffers for one process call: any port layout, 32 or 64 bit, in place or not.
class AudioBlock {
 public:
  AudioBlock(std::vector<uint32_t> inputPorts, std::vector<uint32_t> outputPorts, uint32_t frames,
             bool use64 = true, bool inPlace = false);

  uint32_t Frames() const { return frames_; }
  bool Uses64() const { return use64_; }
  // Samples of one channel, as doubles whatever the host's format.
  void SetInput(uint32_t port, uint32_t channel, const std::vector<double>& samples);
  void FillInputs(double value);
  void FillOutputs(double value);
  std::vector<double> Output(uint32_t port, uint32_t channel) const;
  double OutputSample(uint32_t port, uint32_t channel, uint32_t frame) const;
  void SetFrames(uint32_t frames) { frames_ = frames; }

  // The process record; transport and event lists are optional.
  clap_process_t Process(const InputEvents* in = nullptr, OutputEvents* out = nullptr,
                         const clap_event_transport_t* transport = nullptr);
  std::vector<clap_audio_buffer_t>& InputBuffers() { return inputs_; }
  std::vector<clap_audio_buffer_t>& OutputBuffers() { return outputs_; }

 private:
  struct Port {
    std::vector<std::vector<double>> samples64;
    std::vector<std::vector<float>> samples32;
    std::vector<double*> pointers64;
    std::vector<float*> pointers32;
  };
  void Build(std::vector<Port>& ports, std::vector<clap_audio_buffer_t>& buffers,
             const std::vector<uint32_t>& layout);

  uint32_t frames_;
  bool use64_;
  std::vector<Port> inputPorts_;
  std::vector<Port> outputPorts_;
  std::vector<clap_audio_buffer_t> inputs_;
  std::vector<clap_audio_buffer_t> outputs_;
};

// A state stream that writes into memory at most `maxPerCall` bytes a call, and
// can fail after a number of calls.
class MemoryOStream {
 public:
  explicit MemoryOStream(int64_t maxPerCall = INT64_MAX, int failAtCall = -1);
  const clap_ostream_t* Stream() const { return &stream_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  int Calls() const { return calls_; }

 private:
  clap_ostream_t stream_;
  std::vector<uint8_t> bytes_;
  int64_t maxPerCall_;
  int failAtCall_;
  int calls_ = 0;
};

// A state stream that delivers `bytes` in pieces of the given sizes (then whatever
// the reader asks for), can fail at a call, or can go on for ever.
class MemoryIStream {
 public:
  explicit MemoryIStream(std::vector<uint8_t> bytes, std::vector<int64_t> pieces = {},
                         int failAtCall = -1);
  static MemoryIStream Endless();
  const clap_istream_t* Stream() const { return &stream_; }
  int Calls() const { return calls_; }
  int64_t Delivered() const { return delivered_; }

 private:
  clap_istream_t stream_;
  std::vector<uint8_t> bytes_;
  std::vector<int64_t> pieces_;
  int failAtCall_;
  bool endless_ = false;
  std::size_t position_ = 0;
  int calls_ = 0;
  int64_t delivered_ = 0;
};

// Little-endian doubles, as the state chunk holds them.
std::vector<uint8_t> StateBytes(const std::vector<double>& values);
std::vector<double> StateValues(const std::vector<uint8_t>& bytes);

// The preset-discovery side of a host: an indexer and a metadata receiver that
// record what a provider tells them.
class PresetIndexer {
 public:
  explicit PresetIndexer(bool acceptLocations = true, bool withDeclareLocation = true);
  const clap_preset_discovery_indexer_t* Indexer() const { return &indexer_; }
  const std::vector<clap_preset_discovery_location_t>& Locations() const { return locations_; }

 private:
  clap_preset_discovery_indexer_t indexer_;
  bool accept_;
  std::vector<clap_preset_discovery_location_t> locations_;
};

class PresetReceiver {
 public:
  struct Preset {
    std::string name;
    std::string loadKey;
    std::vector<std::string> pluginIds;
    uint32_t flags = 0;
  };
  explicit PresetReceiver(int refuseAt = -1);
  const clap_preset_discovery_metadata_receiver_t* Receiver() const { return &receiver_; }
  const std::vector<Preset>& Presets() const { return presets_; }

 private:
  clap_preset_discovery_metadata_receiver_t receiver_;
  std::vector<Preset> presets_;
  int refuseAt_;
};

}  // namespace testhost
