#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/audio_file.h"
#include "tools/render/render_job.h"

namespace render {

enum class Mode {
  Render,           // IN -o OUT
  Batch,            // IN... -O DIR
  ImpulseResponse,  // --ir
  ListParameters,   // --list-params
  SaveState,        // --state-out without anything to render
  Demo,             // --demo DIR
  EditorSnapshot,   // --editor-snapshot FILE.png
  Help,
};

struct Options {
  Mode mode = Mode::Render;
  std::vector<std::filesystem::path> inputs;  // more than one only with -O
  std::optional<std::filesystem::path> output;
  std::optional<std::filesystem::path> outputFolder;  // -O: one output per input
  std::optional<std::filesystem::path> sidechain;
  std::optional<std::filesystem::path> stateIn;
  std::optional<std::filesystem::path> stateOut;
  std::optional<std::filesystem::path> automation;
  std::optional<std::filesystem::path> plot;
  std::optional<std::filesystem::path> plugin;
  std::filesystem::path demoFolder;
  std::optional<std::filesystem::path> editorSnapshot;
  double editorScale = 1.0;
  std::vector<std::string> assignments;
  FormatRequest format;
  HostChoices host;
  double impulseSampleRate = 48000.0;
  bool force = false;  // replace write-protected outputs
};

// Throws UsageError for a command line that does not make sense.
Options ParseOptions(int argc, char** argv);
std::string HelpText();

}  // namespace render
