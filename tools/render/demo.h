#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "tools/render/render_job.h"
#include "tools/render/signal.h"

namespace render {

class PluginHost;
class PluginModule;

// A short mono dry signal made here: drum-like hits (a kick, a snare, hi-hats) and a
// tone burst, about 2.6 s long. The same every time.
Signal SynthesiseDemoSignal(double sampleRate);

struct DemoSetting {
  std::string name;
  std::vector<std::string> assignments;
};
std::span<const DemoSetting> DemoSettings();

// Writes the dry signal, and for every setting the rendered WAV and its
// impulse-response plot, into `folder`; prints one summary line per setting.
void RunDemo(const PluginModule& module, PluginHost& host, const std::filesystem::path& folder,
             const HostChoices& choices, std::ostream& out);

}  // namespace render
