#include "tools/artwork/scales.h"

#include "engine/param_table.h"

namespace artwork {
namespace {

struct Mark {
  double value;
  const char* label;  // null: a minor tick
};

// What the panel prints for each parameter. The values are in the parameter's own units;
// where they land follows from its range and shape.
std::vector<Mark> MarksFor(HalvernParam param) {
  static const std::vector<Mark> unit = {{0, "0"},    {0.1, nullptr}, {0.2, ".2"}, {0.3, nullptr},
                                         {0.4, ".4"}, {0.5, nullptr}, {0.6, ".6"}, {0.7, nullptr},
                                         {0.8, ".8"}, {0.9, nullptr}, {1, "1"}};
  // Dry and wet share one scale printed between their slots.
  static const std::vector<Mark> level = {
      {0, "0"},    {0.05, nullptr}, {0.1, ".1"}, {0.2, ".2"},    {0.3, ".3"},    {0.4, nullptr},
      {0.5, ".5"}, {0.6, nullptr},  {0.7, ".7"}, {0.8, nullptr}, {0.9, nullptr}, {1, "1"}};
  switch (param) {
    case kPredelay:
      return {{0, "0"},   {1, nullptr},  {2, nullptr}, {3, nullptr},  {4, nullptr},  {5, "5"},
              {10, "10"}, {15, nullptr}, {20, "20"},   {25, nullptr}, {30, "30"},    {40, nullptr},
              {50, "50"}, {60, nullptr}, {70, "70"},   {80, nullptr}, {90, nullptr}, {100, "100"}};
    case kRoomSize:
    case kDamping:
    case kErLevel:
      return unit;
    case kErDensity:
      return {{0, "0"}, {1, "1"}, {2, "2"}, {3, "3"}, {4, "4"},
              {5, "5"}, {6, "6"}, {7, "7"}, {8, "8"}};
    case kReverbHpf:
      return {{0, "0"},     {20, nullptr},   {50, nullptr}, {100, "100"},
              {200, "200"}, {300, nullptr},  {500, "500"},  {700, nullptr},
              {1000, "1k"}, {1500, nullptr}, {2000, "2k"}};
    case kShelfFreq:
      return {{1000, "1k"},    {1500, nullptr}, {2000, "2k"}, {3000, "3k"},     {4000, "4k"},
              {5000, nullptr}, {6000, "6k"},    {8000, "8k"}, {10000, nullptr}, {12000, "12k"}};
    case kHighShelf:
      return {{-20, "\u221220"}, {-15, "\u221215"}, {-10, "\u221210"}, {-5, "\u22125"},
              {0, "0"},          {5, "5"},          {10, "10"}};
    case kDryLevel:
    case kWetLevel:
      return level;
    case kInputBlend:
      return {{0, nullptr},   {0.1, nullptr}, {0.2, nullptr}, {0.3, nullptr},
              {0.4, nullptr}, {0.5, nullptr}, {0.6, nullptr}, {0.7, nullptr},
              {0.8, nullptr}, {0.9, nullptr}, {1, nullptr}};
    case kGateThreshold:
      return {{-90, "\u221290"}, {-80, nullptr},    {-70, nullptr}, {-60, nullptr},
              {-50, nullptr},    {-45, "\u221245"}, {-40, nullptr}, {-30, nullptr},
              {-20, nullptr},    {-10, nullptr},    {0, "0"}};
    case kAttack:
      return {{1, "1"},      {10, nullptr}, {20, nullptr}, {30, nullptr}, {40, nullptr}, {50, "50"},
              {60, nullptr}, {70, nullptr}, {80, nullptr}, {90, nullptr}, {100, "100"}};
    case kHold:
      return {{0, "0"},       {60, nullptr},  {120, nullptr}, {180, nullptr},
              {240, nullptr}, {300, "300"},   {360, nullptr}, {420, nullptr},
              {480, nullptr}, {540, nullptr}, {600, "600"}};
    case kRelease:
      return {{1, "1"},       {50, nullptr},  {100, nullptr}, {150, nullptr},
              {200, nullptr}, {250, "250"},   {300, nullptr}, {350, nullptr},
              {400, nullptr}, {450, nullptr}, {500, "500"}};
    default:
      return {};
  }
}

template <typename Place>
std::vector<Tick> Scale(const fw::Parameter& param, HalvernParam index, Place place) {
  std::vector<Tick> ticks;
  for (const Mark& mark : MarksFor(index)) {
    const double normalised = param.Normalized(mark.value);
    const bool end = mark.value == param.Min() || mark.value == param.Max();
    ticks.push_back({mark.value, place(normalised), mark.label != nullptr || end,
                     mark.label != nullptr ? mark.label : ""});
  }
  return ticks;
}

}  // namespace

ProductParameters::ProductParameters() {
  ConfigureHalvernParameters([this](int index) -> fw::Parameter& { return params_[index]; });
}

std::vector<Tick> FaderScale(const ProductParameters& params, const panel::Fader& fader) {
  return Scale(params[fader.param], fader.param,
               [&fader](double v) { return fader.HandleCentre(v); });
}

std::vector<Tick> KnobScale(const ProductParameters& params, const panel::Knob& knob) {
  return Scale(params[knob.param], knob.param, panel::KnobAngleDegrees);
}

}  // namespace artwork
