#include "tools/render/parameters.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <optional>
#include <ostream>

#include "framework/parameter.h"
#include "tools/render/errors.h"
#include "tools/render/plugin_instance.h"

namespace render {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A number at the start of `text` and what follows it.
struct LeadingNumber {
  double value = 0.0;
  std::string_view number;
  std::string_view rest;
};

// The plug-in's own reader, so the tool accepts exactly what the plug-in reads; a number
// that is not finite is no value.
std::optional<LeadingNumber> ReadLeadingNumber(std::string_view text) {
  const std::string copy(text);
  const char* end = nullptr;
  const double value = fw::ReadLeadingNumber(copy.c_str(), &end);
  const auto used = static_cast<std::size_t>(end - copy.c_str());
  if (used == 0 || !std::isfinite(value)) return std::nullopt;
  return LeadingNumber{value, text.substr(0, used), Trimmed(text.substr(used))};
}

// "6k" and "6 kHz" for a parameter in Hz: the number in thousands.
std::optional<double> ScaledByUnit(const KnownParameter& known, const LeadingNumber& number) {
  if (number.rest.empty() || SameIgnoringCase(number.rest, known.unit)) return number.value;
  const bool hertz = SameIgnoringCase(known.unit, "Hz");
  if (hertz && (SameIgnoringCase(number.rest, "k") || SameIgnoringCase(number.rest, "kHz"))) {
    return number.value * 1000.0;
  }
  return std::nullopt;
}

std::string ExactText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string Joined(const std::vector<std::string>& words, std::string_view separator) {
  std::string text;
  for (const std::string& word : words)
    text += (text.empty() ? "" : std::string(separator)) + word;
  return text;
}

// "a, b or c".
std::string ListOf(const std::vector<std::string>& words, const char* last) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? std::string(" ") + last + " " : ", ";
    text += words[i];
  }
  return text;
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

ParameterTable::ParameterTable(const PluginInstance& instance) : instance_(instance) {
  for (uint32_t i = 0; i < instance.ParameterCount(); ++i) {
    const clap_param_info_t info = instance.ParameterInfo(i);
    KnownParameter known;
    known.id = info.id;
    known.name = info.name;
    known.defaultValue = info.default_value;
    known.stepped = (info.flags & CLAP_PARAM_IS_STEPPED) != 0;
    if (known.stepped) {
      known.minValue = info.min_value;
      for (double v = info.min_value; v <= info.max_value; v += 1.0) {
        known.choices.push_back(instance.ValueToText(info.id, v));
      }
    } else {
      known.lowestText = instance.ValueToText(info.id, info.min_value);
      known.highestText = instance.ValueToText(info.id, info.max_value);
      const auto low = ReadLeadingNumber(known.lowestText);
      const auto high = ReadLeadingNumber(known.highestText);
      if (!low || !high) {
        throw RenderError("the plug-in writes the range of " + known.name +
                          " in a form this tool cannot read: " + known.lowestText + " to " +
                          known.highestText);
      }
      known.lowest = std::min(low->value, high->value);
      known.highest = std::max(low->value, high->value);
      known.unit = std::string(low->rest);
    }
    known_.push_back(std::move(known));
  }
}

const KnownParameter& ParameterTable::Find(std::string_view name) const {
  const std::string_view wanted = Trimmed(name);
  for (const KnownParameter& known : known_) {
    if (known.name == wanted) return known;
  }
  for (const KnownParameter& known : known_) {
    if (SameIgnoringCase(known.name, wanted)) return known;
  }
  throw RenderError("unknown parameter " + Quoted(wanted) + "; the parameters are " + NameList());
}

std::string ParameterTable::NameList() const {
  std::vector<std::string> names;
  for (const KnownParameter& known : known_)
    names.push_back(known.name);
  return ListOf(names, "and");
}

const KnownParameter* ParameterTable::FindAtStart(std::string_view text) const {
  const KnownParameter* found = nullptr;
  for (const KnownParameter& known : known_) {
    const std::size_t n = known.name.size();
    if (text.size() > n && SameIgnoringCase(text.substr(0, n), known.name) && IsSpace(text[n]) &&
        (!found || n > found->name.size())) {
      found = &known;
    }
  }
  return found;
}

ParameterValue ParameterTable::Parse(const KnownParameter& known, std::string_view text) const {
  const std::string_view value = Trimmed(text);
  return known.stepped ? ParseChoice(known, value) : ParseNumber(known, value);
}

ParameterValue ParameterTable::ParseChoice(const KnownParameter& known,
                                           std::string_view text) const {
  for (const std::string& choice : known.choices) {
    if (!SameIgnoringCase(choice, text)) continue;
    if (const auto value = instance_.TextToValue(known.id, choice)) return {known.id, *value};
  }
  int index = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (error == std::errc() && end == text.data() + text.size() && index >= known.minValue &&
      index < known.minValue + static_cast<double>(known.choices.size())) {
    return {known.id, static_cast<double>(index)};
  }
  throw RenderError(known.name + ": " + Quoted(text) + " is not one of its values; give " +
                    RangeText(known));
}

ParameterValue ParameterTable::ParseNumber(const KnownParameter& known,
                                           std::string_view text) const {
  const auto number = ReadLeadingNumber(text);
  const std::optional<double> value = number ? ScaledByUnit(known, *number) : std::nullopt;
  if (!value) {
    throw RenderError(known.name + ": " + Quoted(text) + " is not a value; give " +
                      RangeText(known));
  }
  if (*value < known.lowest || *value > known.highest) {
    throw RenderError(known.name + ": " + Quoted(text) + " is out of range; give " +
                      RangeText(known));
  }
  const auto converted = instance_.TextToValue(known.id, ExactText(*value));
  if (!converted) throw RenderError(known.name + ": the plug-in does not accept " + Quoted(text));
  return {known.id, *converted};
}

std::string ParameterTable::RangeText(const KnownParameter& known) const {
  if (known.stepped) {
    const int first = static_cast<int>(known.minValue);
    return ListOf(known.choices, "or") + " (or their number, " + std::to_string(first) + " to " +
           std::to_string(first + static_cast<int>(known.choices.size()) - 1) + ")";
  }
  return "a number from " + known.lowestText + " to " + known.highestText;
}

ParameterValue ParameterTable::ParseAssignment(std::string_view assignment) const {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos) {
    throw RenderError("--set " + Quoted(assignment) + ": write it as \"Name=Value\"");
  }
  return Parse(Find(assignment.substr(0, equals)), assignment.substr(equals + 1));
}

std::vector<ParameterValue> ParameterTable::ParseAssignments(
    std::span<const std::string> assignments) const {
  std::vector<ParameterValue> values;
  for (const std::string& assignment : assignments)
    values.push_back(ParseAssignment(assignment));
  return values;
}

std::string ParameterTable::Text(const KnownParameter& known, double value) const {
  return instance_.ValueToText(known.id, value);
}

std::string ParameterTable::CurrentText(const KnownParameter& known) const {
  return Text(known, instance_.CurrentValue(known.id));
}

void ParameterTable::WriteListing(std::ostream& out) const {
  struct Row {
    std::string id, name, range, defaultText, current;
  };
  std::vector<Row> rows{{"#", "Name", "Range", "Default", "Current"}};
  for (const KnownParameter& known : known_) {
    rows.push_back({std::to_string(known.id), known.name,
                    known.stepped ? Joined(known.choices, " | ")
                                  : known.lowestText + " to " + known.highestText,
                    instance_.ValueToText(known.id, known.defaultValue),
                    instance_.ValueToText(known.id, instance_.CurrentValue(known.id))});
  }
  std::size_t widths[4] = {};
  for (const Row& row : rows) {
    const std::string* cells[] = {&row.id, &row.name, &row.range, &row.defaultText};
    for (std::size_t c = 0; c < 4; ++c)
      widths[c] = std::max(widths[c], cells[c]->size());
  }
  for (const Row& row : rows) {
    out << std::right << std::setw(static_cast<int>(widths[0])) << row.id << "  " << std::left
        << std::setw(static_cast<int>(widths[1])) << row.name << "  "
        << std::setw(static_cast<int>(widths[2])) << row.range << "  "
        << std::setw(static_cast<int>(widths[3])) << row.defaultText << "  " << row.current << "\n";
  }
}

}  // namespace render
