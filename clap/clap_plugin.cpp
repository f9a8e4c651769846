#include "clap/clap_plugin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "clap/extensions.h"
#include "clap/host_values.h"
#include "framework/trace.h"

namespace fw {
namespace {

// A block larger than this would make the per-channel scratch buffers absurd.
constexpr uint32_t kMaxBlockFrames = 1u << 20;

// "major.minor.patch" into major * 65536 + minor * 256 + patch; missing numbers are 0.
int32_t ParseHostVersion(const char* text) {
  uint32_t parts[3] = {0, 0, 0};
  if (text) {
    for (uint32_t& part : parts) {
      char* end = nullptr;
      long value = std::strtol(text, &end, 10);
      if (end == text) break;
      part = static_cast<uint32_t>(value);
      text = end;
      if (*text != '.') break;
      ++text;
    }
  }
  return static_cast<int32_t>(parts[0] * 65536u + parts[1] * 256u + parts[2]);
}

bool SameId(const char* a, const char* b) {
  return std::strcmp(a, b) == 0;
}

}  // namespace

ClapPlugin::ClapPlugin(const InstanceInfo& info, const PlugConfig& config)
    : PluginApiBase(config, kApiClap),
      Processor(config),
      ClapGlue(info.descriptor, info.host),
      presetScanOnly_(info.presetScanOnly) {
  const std::size_t pointers =
      std::max(ChannelCount(BusDirection::Input), ChannelCount(BusDirection::Output));
  hostPointers32_.assign(pointers, nullptr);
  hostPointers64_.assign(pointers, nullptr);
  const clap_host_t* host = info.host;
  SetHost(host ? host->name : nullptr,
          host && host->version && *host->version ? ParseHostVersion(host->version) : 0);
  Trace(__func__, __LINE__, "fw::ClapPlugin::ClapPlugin");
}

ClapPlugin::~ClapPlugin() {
  // The idle tick reaches the whole instance and the clock; stop it first.
  StopIdleTimer();
}

bool ClapPlugin::Init() {
  hostExtensions_.LookUp();
  SelectConfig(0);
  clap_track_info_t track{};
  if (HostTrackInfoUsable() && hostExtensions_.trackInfo->get(Host().host, &track)) {
    if (!SelectConfigForChannels(track.audio_channel_count) && track.audio_channel_count != 2) {
      SelectConfigForChannels(2);
    }
  } else {
    SelectConfigForChannels(2);
  }
  if (!presetScanOnly_) {
    StopIdleTimer();
    timerClock_ = ClapTimerClock::For(Host().host, Host().timerSupport);
    StartIdleTimer(*timerClock_);
  }
  return true;
}

void ClapPlugin::Destroy() {
  beingDestroyed_ = true;
  StopIdleTimer();
  if (IsActive()) Deactivate();
  RunMainThreadTasks();
  delete this;
}

bool ClapPlugin::Activate(double sampleRate, uint32_t /*minFrames*/, uint32_t maxFrames) {
  if (IsActive()) {
    LogToHost(CLAP_LOG_HOST_MISBEHAVING, "clap_plugin.activate called while already active");
    return false;
  }
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0 || maxFrames == 0 ||
      maxFrames > kMaxBlockFrames) {
    LogToHost(CLAP_LOG_HOST_MISBEHAVING,
              "clap_plugin.activate called with an unusable sample "
              "rate or maximum frame count");
    return false;
  }
  try {
    PrepareBlockSize(static_cast<int32_t>(maxFrames));
  } catch (const std::bad_alloc&) {
    return false;
  }
  SetSampleRate(sampleRate);
  if (!PrepareProcessing()) return false;
  ActivationChanged(true);
  OnParamReset(ParamSource::Reset);
  ResetProcessing();
  silentSampleCount_ = 0;
  if (latencyChangePending_) {
    const bool changed = pendingLatency_ != Latency();
    latencyChangePending_ = false;
    restartRequested_ = false;
    if (changed) {
      SetLatency(pendingLatency_);
      if (HostLatencyUsable()) Host().latency->changed(Host().host);
    }
  }
  active_ = true;
  return true;
}

void ClapPlugin::Deactivate() {
  ActivationChanged(false);
  processing_ = false;
  active_ = false;
}

bool ClapPlugin::StartProcessing() {
  processing_ = true;
  return true;
}

void ClapPlugin::StopProcessing() {
  processing_ = false;
}

void ClapPlugin::Reset() {
  ResetProcessing();
}

const void* ClapPlugin::GetExtension(const char* id) {
  if (SameId(id, CLAP_EXT_STATE)) return StateExtension();
  if (SameId(id, CLAP_EXT_PRESET_LOAD) || SameId(id, CLAP_EXT_PRESET_LOAD_COMPAT)) {
    return PresetCount() > 0 ? PresetLoadExtension() : nullptr;
  }
  if (SameId(id, CLAP_EXT_RENDER)) return RenderExtension();
  if (SameId(id, CLAP_EXT_LATENCY)) return LatencyExtension();
  if (SameId(id, CLAP_EXT_AUDIO_PORTS)) {
    return Maxima().inputBuses > 0 || Maxima().outputBuses > 0 ? AudioPortsExtension() : nullptr;
  }
  if (SameId(id, CLAP_EXT_AUDIO_PORTS_CONFIG)) {
    return Maxima().configCount > 0 ? AudioPortsConfigExtension() : nullptr;
  }
  if (SameId(id, CLAP_EXT_PARAMS)) return ParamsExtension();
  if (SameId(id, CLAP_EXT_NOTE_PORTS)) {
    return MidiIn() || MidiOut() ? NotePortsExtension() : nullptr;
  }
  if (SameId(id, CLAP_EXT_TAIL)) return TailExtension();
  // Linux hosts fire main-thread timers through this extension.
  if (SameId(id, CLAP_EXT_TIMER_SUPPORT)) return TimerSupportExtension();
  return nullptr;
}

void ClapPlugin::OnMainThread() {
  RunMainThreadTasks();
  if (timerClock_) timerClock_->OnMainThreadCallback();
}

void ClapPlugin::RunOnMainThread(std::function<void()> task) {
  const clap_host_t* host = Host().host;
  if (HostThreadCheckUsable() && hostExtensions_.threadCheck->is_main_thread(host)) {
    task();
    return;
  }
  {
    std::lock_guard guard(mainThreadQueue_.lock);
    mainThreadQueue_.tasks.push_back(std::move(task));
  }
  // Outside the lock: a host may answer with on_main_thread from inside this call.
  if (host && host->request_callback) host->request_callback(host);
}

void ClapPlugin::RunMainThreadTasks() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard guard(mainThreadQueue_.lock);
      if (mainThreadQueue_.tasks.empty()) return;
      task = std::move(mainThreadQueue_.tasks.front());
      mainThreadQueue_.tasks.pop_front();
    }
    task();
  }
}

void ClapPlugin::LogToHost(clap_log_severity severity, const char* text) const {
  const clap_host_log_t* log = Host().log;
  if (log && log->log) {
    log->log(Host().host, severity, text);
    return;
  }
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
  if (severity == CLAP_LOG_ERROR || severity == CLAP_LOG_HOST_MISBEHAVING) std::fflush(stderr);
}

bool ClapPlugin::HostParamsUsable() const {
  const clap_host_params_t* params = Host().params;
  if (!params) return false;
  if (params->rescan && params->clear && params->request_flush) return true;
  LogToHost(CLAP_LOG_HOST_MISBEHAVING, "clap_host_params is partially implemented");
  return false;
}

bool ClapPlugin::HostPresetLoadUsable() const {
  const clap_host_preset_load_t* presetLoad = Host().presetLoad;
  if (!presetLoad) return false;
  if (presetLoad->on_error && presetLoad->loaded) return true;
  LogToHost(CLAP_LOG_HOST_MISBEHAVING, "clap_host_preset_load is partially implemented");
  return false;
}

bool ClapPlugin::HostTrackInfoUsable() const {
  const clap_host_track_info_t* trackInfo = Host().trackInfo;
  if (!trackInfo) return false;
  if (trackInfo->get) return true;
  LogToHost(CLAP_LOG_HOST_MISBEHAVING, "clap_host_track_info is partially implemented");
  return false;
}

bool ClapPlugin::HostLatencyUsable() const {
  const clap_host_latency_t* latency = Host().latency;
  if (!latency) return false;
  if (latency->changed) return true;
  LogToHost(CLAP_LOG_HOST_MISBEHAVING, "clap_host_latency is partially implemented");
  return false;
}

bool ClapPlugin::HostThreadCheckUsable() const {
  const clap_host_thread_check_t* threadCheck = Host().threadCheck;
  return threadCheck && threadCheck->is_main_thread && threadCheck->is_audio_thread;
}

bool ClapPlugin::SelectConfigForChannels(int32_t channels) {
  const std::vector<ChannelIOConfig>& configs = Configs();
  for (std::size_t i = 0; i < configs.size(); ++i) {
    const ChannelIOConfig& config = configs[i];
    if (config.outputs.empty() || config.outputs[0].channelCount != channels) continue;
    const bool inputMatches = !config.inputs.empty() && config.inputs[0].channelCount == channels;
    const bool instrumentWithoutInput = PluginKind() == 1 && config.inputs.empty();
    if (inputMatches || instrumentWithoutInput) {
      SelectConfig(static_cast<int32_t>(i));
      return true;
    }
  }
  return false;
}

void ClapPlugin::ChangeLatency(int32_t samples) {
  if (samples == (latencyChangePending_ ? pendingLatency_ : Latency())) return;
  pendingLatency_ = samples;
  latencyChangePending_ = true;
  if (IsActive() && !restartRequested_) {
    restartRequested_ = true;
    RunOnMainThread([this] {
      const clap_host_t* host = Host().host;
      if (!IsBeingDestroyed() && host && host->request_restart) host->request_restart(host);
    });
  }
}

void ClapPlugin::HostGestureBegin(int32_t index) {
  QueueForHost({HostParamChange::GestureBegin, index, 0.0});
}

void ClapPlugin::HostParamValue(int32_t index, double normalizedValue) {
  const Parameter* param = Param(index);
  if (!param) return;
  QueueForHost(
      {HostParamChange::Value, index,
       CrossesNormalised(*param) ? normalizedValue : param->Denormalized(normalizedValue)});
}

void ClapPlugin::HostGestureEnd(int32_t index) {
  QueueForHost({HostParamChange::GestureEnd, index, 0.0});
}

void ClapPlugin::QueueForHost(const HostParamChange& change) {
  hostParamQueue_.Push(change);
  RequestParamsFlush();
}

void ClapPlugin::RequestParamsFlush() {
  if (IsProcessing()) return;  // the next process call sends the queue
  RunOnMainThread([this] {
    if (!IsBeingDestroyed() && HostParamsUsable()) Host().params->request_flush(Host().host);
  });
}

}  // namespace fw
