#include "framework/plugin_api_base.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "framework/trace.h"

namespace fw {
namespace {

constexpr std::size_t kMaxNameLength = 128;
constexpr std::size_t kMaxHostNameLength = 255;

std::string KeepName(const char* text) {
  return std::string(text ? text : "").substr(0, kMaxNameLength);
}

struct KnownHost {
  const char* text;
  int32_t code;
};

// Searched in order: "wavelab elements" before "wavelab", the generic words last.
constexpr KnownHost kKnownHosts[] = {
    {"reaper", 1},        {"protools", 2},
    {"cubase", 3},        {"nuendo", 4},
    {"cakewalk", 5},      {"vegas", 6},
    {"fruity", 7},        {"samplitude", 8},
    {"live", 9},          {"tracktion", 10},
    {"ntracks", 11},      {"melodyne", 12},
    {"vstmanlib", 13},    {"aulab", 14},
    {"forte", 15},        {"chainer", 16},
    {"audition", 17},     {"orion", 18},
    {"bias", 19},         {"sawstudio", 20},
    {"logic", 21},        {"garageband", 22},
    {"digital", 23},      {"audiomulch", 25},
    {"presonus", 26},     {"vst3plugintesthost", 27},
    {"ardour", 28},       {"renoise", 29},
    {"openmpt", 30},      {"wavelab elements", 32},
    {"wavelab", 31},      {"twistedwave", 33},
    {"bitwig studio", 34}, {"reason", 36},
    {"gwvst", 37},        {"waveform", 38},
    {"audacity", 39},     {"acoustica", 40},
    {"plugindoctor", 41}, {"izotope rx", 42},
    {"savihost", 43},     {"blue cat's vst host", 44},
    {"mixbus", 45},       {"standalone", 24},
    {"www", 35},
};

}  // namespace

PluginApiBase::PluginApiBase(const PlugConfig& config, int32_t apiKind)
    : PluginBase(config.paramCount, config.presetCount),
      pluginName_(KeepName(config.pluginName)),
      productName_(KeepName(config.productName)),
      vendorName_(KeepName(config.vendorName)),
      uniqueId_(config.uniqueId),
      vendorId_(config.vendorId),
      vendorVersion_(config.vendorVersion),
      apiKind_(apiKind),
      hasEditor_(config.hasEditor),
      hostCanResize_(config.hostCanResize) {
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetSizeLimits(config.minWidth, config.maxWidth, config.minHeight, config.maxHeight);
  Trace(__func__, __LINE__, "%s", pluginName_.c_str());
}

PluginApiBase::~PluginApiBase() = default;

int32_t PluginApiBase::IdentifyHost(const char* name) {
  std::string lower(name ? name : "");
  if (lower.size() > kMaxHostNameLength) lower.resize(kMaxHostNameLength);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const KnownHost& host : kKnownHosts) {
    if (lower.find(host.text) != std::string::npos) return host.code;
  }
  return 0;
}

void PluginApiBase::SetHost(const char* name, int32_t version) {
  hostName_ = name ? name : "";
  hostKind_ = IdentifyHost(name);
  hostVersion_ = version;
  char versionText[40];
  std::snprintf(versionText, sizeof versionText, "v%d.%d.%d", version >> 16,
                (version >> 8) & 255, version & 255);
  Trace(__func__, __LINE__, "host_%sknown:%s:%s", hostKind_ ? "" : "un", hostName_.c_str(),
        versionText);
}

void PluginApiBase::QueueParamForEditor(int32_t index, double value, bool isNormalized) {
  const Parameter* param = Param(index);
  if (!param) return;
  paramsToEditor.Push({index, isNormalized ? param->Denormalized(value) : value});
}

void PluginApiBase::OnIdleTick() {
  if (HasEditor()) {
    ParamUpdate update;
    while (paramsToEditor.Pop(update)) DeliverParamToEditor(update.index, update.value, false);
    MidiMessage midi;
    while (midiToEditor.Pop(midi)) DeliverMidiToEditor(midi);
    SysExRecord sysex;
    while (sysexToEditor.Pop(sysex)) DeliverSysExToEditor(sysex.AsMessage());
  }
  OnIdle();
}

void PluginApiBase::BeginParamGesture(int32_t index) { HostGestureBegin(index); }

void PluginApiBase::SendParamFromUI(int32_t index, double normalizedValue) {
  Parameter* param = Param(index);
  if (!param) return;
  param->SetFromNormalized(normalizedValue);
  HostParamValue(index, normalizedValue);
  OnParamChange(index, ParamSource::UI, -1);
  OnParamChangedInEditor(index, ParamSource::UI);
}

void PluginApiBase::EndParamGesture(int32_t index) { HostGestureEnd(index); }

void PluginApiBase::QueueMidiFromEditor(const MidiMessage& message) {
  midiFromEditor.Push(message);
}

void PluginApiBase::QueueSysExFromEditor(const SysExMessage& message) {
  if (SysExRecord::Fits(message)) sysexFromEditor.Push(SysExRecord::From(message));
}

void PluginApiBase::StartIdleTimer(TimerClock& clock) {
  idleTimer_.reset();
  idleTimer_ = StartTimer(clock, [this](Timer&) { OnIdleTick(); }, kIdleIntervalMs);
}

}  // namespace fw
