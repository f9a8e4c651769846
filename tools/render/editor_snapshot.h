#pragma once

#include <filesystem>
#include <string>

namespace render {

class PluginInstance;

// Draws the instance's editor at the zoom into a PNG through the module's snapshot
// extension, with the parameter values the instance holds. Returns the summary line.
std::string WriteEditorSnapshot(const PluginInstance& instance, double scale,
                                const std::filesystem::path& file);

}  // namespace render
