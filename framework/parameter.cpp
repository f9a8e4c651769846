#include "framework/parameter.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/text.h"

namespace fw {
namespace {

constexpr std::size_t kMaxFormattedLength = 32;
constexpr int kMaxDisplayPrecision = 6;

void AppendFixed(std::string& out, double v, int precision, bool forceSign) {
  char buffer[400];
  char* first = buffer;
  if (forceSign && !std::signbit(v)) *first++ = '+';
  auto [end, ec] =
      std::to_chars(first, buffer + sizeof buffer, v, std::chars_format::fixed, precision);
  if (ec != std::errc()) end = first;
  out.assign(buffer, end);
}

// "-0", "-0.00": a value that rounds to zero is shown without a sign.
void DropSignOfZero(std::string& text) {
  if (text.size() < 2 || text[0] != '-') return;
  if (text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
}

}  // namespace

double ReadLeadingNumber(const char* text, const char** end) {
  // A host may have set a locale that writes a decimal comma; texts keep the point.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  char* stop = nullptr;
  const double value = strtod_l(text, &stop, cLocale);
  if (end) *end = stop;
  return value;
}

void Parameter::Shape::Prepare(const Parameter&) {}

std::unique_ptr<Parameter::Shape> Parameter::ShapeLinear::Copy() const {
  return std::make_unique<ShapeLinear>(*this);
}

double Parameter::ShapeLinear::Denormalize(double x, const Parameter& p) const {
  return p.Min() + x * (p.Max() - p.Min());
}

double Parameter::ShapeLinear::Normalize(double v, const Parameter& p) const {
  return (v - p.Min()) / (p.Max() - p.Min());
}

std::unique_ptr<Parameter::Shape> Parameter::ShapePowCurve::Copy() const {
  return std::make_unique<ShapePowCurve>(*this);
}

int Parameter::ShapePowCurve::DisplayCurve() const {
  if (exponent_ > 2.5) return 6;
  if (exponent_ > 1.5) return 4;
  if (exponent_ < 0.4) return 5;
  if (exponent_ < 0.6666666666666666) return 3;
  return 0;
}

double Parameter::ShapePowCurve::Denormalize(double x, const Parameter& p) const {
  return p.Min() + (p.Max() - p.Min()) * std::pow(x, exponent_);
}

double Parameter::ShapePowCurve::Normalize(double v, const Parameter& p) const {
  return std::pow((v - p.Min()) / (p.Max() - p.Min()), 1.0 / exponent_);
}

Parameter::Parameter() : shape_(std::make_unique<ShapeLinear>()) {}

void Parameter::Configure(const char* name, double defaultValue, double min, double max,
                          double step, const char* label, int32_t flags, const char* group,
                          const Shape& shape, int32_t unitCode, Formatter formatter,
                          Parser parser) {
  if (kind_ == ParamKind::Unset) kind_ = ParamKind::Real;
  CopyText(name_, name);
  CopyText(label_, label);
  CopyText(group_, group);
  min_ = min;
  max_ = std::max(min + step, max);  // never narrower than one step
  step_ = step;
  defaultValue_ = defaultValue;
  unitCode_ = unitCode;
  flags_ = flags;
  formatter_ = std::move(formatter);
  parser_ = std::move(parser);
  value_.exchange(Restrict(defaultValue), std::memory_order_relaxed);

  displayPrecision_ = 0;
  for (double s = step; s != std::floor(s) && displayPrecision_ < kMaxDisplayPrecision; s *= 10.0) {
    ++displayPrecision_;
  }

  shape_ = shape.Copy();
  shape_->Prepare(*this);
}

void Parameter::ConfigureInteger(const char* name, double defaultValue, double min, double max,
                                 const char* label, int32_t flags, const char* group) {
  if (kind_ == ParamKind::Unset) kind_ = ParamKind::Integer;
  Configure(name, defaultValue, min, max, 1.0, label, flags | SnapToStep, group, ShapeLinear(), 21);
}

void Parameter::ConfigureEnumeration(const char* name, double defaultValue, int count,
                                     const char* label, int32_t flags, const char* group,
                                     const char* const* texts) {
  if (kind_ == ParamKind::Unset) kind_ = ParamKind::Enumeration;
  ConfigureInteger(name, defaultValue, 0, count - 1, label, flags | SnapToStep, group);
  if (texts && texts[0]) {
    for (int i = 0; i < count; ++i)
      AddValueText(i, texts[i]);
  }
}

void Parameter::AddValueText(double value, const char* text) {
  ValueText entry{value, {}};
  CopyText(entry.text, text);
  valueTexts_.push_back(entry);
}

double Parameter::Restrict(double v) const {
  if (flags_ & SnapToStep) v = std::round(v / step_) * step_;
  // The order matters: a NaN falls to min here and never becomes the value.
  v = std::max(min_, v);
  return std::min(max_, v);
}

double Parameter::Normalized(double v) const {
  double n = shape_->Normalize(Restrict(v), *this);
  if (n > 1.0) return 1.0;
  return n >= 0.0 ? n : 0.0;
}

double Parameter::Denormalized(double x) const {
  return Restrict(shape_->Denormalize(x, *this));
}

double Parameter::DefaultValue(bool normalized) const {
  return normalized ? Normalized(defaultValue_) : defaultValue_;
}

void Parameter::FormatValue(double v, bool isNormalized, std::string& out,
                            bool useValueTexts) const {
  if (isNormalized) v = Denormalized(v);
  if (formatter_) {
    formatter_(v, out);
  } else if (const char* text = useValueTexts ? ValueTextFor(v) : ""; *text) {
    out = text;
  } else {
    if (flags_ & ShowNegated) v = -v;
    if (v == 0.0) v = 0.0;  // negative zero
    if (displayPrecision_ == 0) {
      double rounded = std::round(v);
      constexpr double kLow = std::numeric_limits<int32_t>::min();
      constexpr double kHigh = std::numeric_limits<int32_t>::max();
      auto whole =
          static_cast<int32_t>(std::isnan(rounded) ? 0.0 : std::clamp(rounded, kLow, kHigh));
      out = std::to_string(whole);
    } else {
      AppendFixed(out, v, displayPrecision_, (flags_ & ShowSign) && v != 0.0);
    }
    DropSignOfZero(out);
  }
  if (out.size() > kMaxFormattedLength) out.resize(kMaxFormattedLength);
}

double Parameter::ParseText(const char* text) const {
  if (!text) text = "";
  if (parser_) return Restrict(parser_(text));
  for (const ValueText& entry : valueTexts_) {
    if (std::strcmp(entry.text, text) == 0) return entry.value;
  }
  if (kind_ == ParamKind::Enumeration || kind_ == ParamKind::Boolean) return 0.0;
  double v = ReadLeadingNumber(text);
  if (flags_ & ShowNegated) v = -v;
  return Restrict(v);
}

const char* Parameter::ValueTextFor(double v) const {
  for (const ValueText& entry : valueTexts_) {
    if (entry.value == v) return entry.text;
  }
  return "";
}

const char* Parameter::Label() const {
  double whole = std::trunc(Value());
  for (const ValueText& entry : valueTexts_) {
    if (entry.value == whole) return entry.text[0] ? "" : label_;
  }
  return label_;
}

}  // namespace fw
