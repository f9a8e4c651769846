#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/render/parameter_events.h"

namespace render {

class PluginInstance;

// What one parameter accepts, learnt from the plug-in itself.
struct KnownParameter {
  clap_id id = CLAP_INVALID_ID;
  std::string name;
  double defaultValue = 0.0;  // in the plug-in's boundary units
  // Stepped parameters: the text of each value from the minimum up.
  bool stepped = false;
  double minValue = 0.0;
  std::vector<std::string> choices;
  // Continuous parameters: the range as the plug-in writes it ("0.00 ms"), as numbers,
  // and the unit that follows the number.
  std::string lowestText;
  std::string highestText;
  double lowest = 0.0;
  double highest = 0.0;
  std::string unit;
};

// The plug-in's parameters by name, with values given as text the way a user types
// them. Text is checked here because the plug-in's own parser accepts anything
// (an unreadable text becomes the minimum); what passes is converted by the
// plug-in's text_to_value.
class ParameterTable {
 public:
  explicit ParameterTable(const PluginInstance& instance);

  // By exact name, else by a name that differs only in case.
  const KnownParameter& Find(std::string_view name) const;
  // The parameter whose name begins `text` and is followed by white space; the longest
  // such name wins, so names that contain spaces need no quoting.
  const KnownParameter* FindAtStart(std::string_view text) const;
  // "Predelay, Room Size, … and HShelf Freq".
  std::string NameList() const;

  ParameterValue Parse(const KnownParameter& known, std::string_view text) const;
  // "Name=Text".
  ParameterValue ParseAssignment(std::string_view assignment) const;
  std::vector<ParameterValue> ParseAssignments(std::span<const std::string> assignments) const;

  // A value in the plug-in's boundary units, and the current value, as the plug-in
  // writes them.
  std::string Text(const KnownParameter& known, double value) const;
  std::string CurrentText(const KnownParameter& known) const;

  // Every parameter with its range, default and current value.
  void WriteListing(std::ostream& out) const;

 private:
  ParameterValue ParseChoice(const KnownParameter& known, std::string_view text) const;
  ParameterValue ParseNumber(const KnownParameter& known, std::string_view text) const;
  std::string RangeText(const KnownParameter& known) const;

  const PluginInstance& instance_;
  std::vector<KnownParameter> known_;
};

std::string_view Trimmed(std::string_view text);

}  // namespace render
