#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/render/parameter_events.h"

namespace render {

class ParameterTable;

// A parameter value that takes effect at a frame of the render.
struct ParameterChange {
  uint64_t frame = 0;
  ParameterValue value;
};

// Automation text: one change a line, "seconds name value" ("1.5 Room Size 0.8");
// blank lines and lines starting with # are skipped. The changes come back in time
// order (lines with the same time keep their order). `source` names the text in messages.
std::vector<ParameterChange> ParseAutomation(std::string_view text, const std::string& source,
                                             const ParameterTable& parameters, double sampleRate);
std::vector<ParameterChange> ReadAutomationFile(const std::filesystem::path& path,
                                                const ParameterTable& parameters,
                                                double sampleRate);

}  // namespace render
