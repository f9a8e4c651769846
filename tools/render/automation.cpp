#include "tools/render/automation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "framework/parameter.h"
#include "tools/render/errors.h"
#include "tools/render/parameters.h"
#include "tools/render/pending_file.h"

namespace render {
namespace {

// About 31 years: any time beyond it is a typing error, and the frame must fit 64 bits.
constexpr double kLatestSeconds = 1e9;

}  // namespace

std::vector<ParameterChange> ParseAutomation(std::string_view text, const std::string& source,
                                             const ParameterTable& parameters, double sampleRate) {
  std::vector<ParameterChange> changes;
  std::istringstream lines{std::string(text)};
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::string where = source + ":" + std::to_string(number) + ": ";
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '#') continue;
    const std::string copy(content);
    const char* end = nullptr;
    const double seconds = fw::ReadLeadingNumber(copy.c_str(), &end);
    const std::size_t used = static_cast<std::size_t>(end - copy.c_str());
    if (used == 0 || !(seconds >= 0.0 && seconds < kLatestSeconds) ||
        (used < copy.size() && !std::isspace(static_cast<unsigned char>(copy[used])))) {
      throw RenderError(where + "a line starts with the time in seconds (0 or more), then the " +
                        "parameter name and its value, as in \"1.5 Room Size 0.8\"");
    }
    const std::string_view rest = Trimmed(content.substr(used));
    const KnownParameter* known = parameters.FindAtStart(rest);
    if (!known) {
      throw RenderError(where + "no parameter name and value after the time in \"" +
                        std::string(rest) + "\"; the parameters are " + parameters.NameList());
    }
    try {
      const ParameterValue value = parameters.Parse(*known, rest.substr(known->name.size()));
      changes.push_back({static_cast<uint64_t>(std::llround(seconds * sampleRate)), value});
    } catch (const RenderError& error) {
      throw RenderError(where + error.what());
    }
  }
  std::stable_sort(
      changes.begin(), changes.end(),
      [](const ParameterChange& a, const ParameterChange& b) { return a.frame < b.frame; });
  return changes;
}

std::vector<ParameterChange> ReadAutomationFile(const std::filesystem::path& path,
                                                const ParameterTable& parameters,
                                                double sampleRate) {
  const std::string name = "the automation file " + Quoted(path);
  const std::string text = ReadTextFile(path, name);
  if (text.starts_with("\xEF\xBB\xBF")) {
    throw RenderError(name +
                      " starts with a UTF-8 byte-order mark; save it as plain text "
                      "without one");
  }
  return ParseAutomation(text, path.string(), parameters, sampleRate);
}

}  // namespace render
