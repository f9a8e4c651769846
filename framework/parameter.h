#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

enum class ParamKind : int32_t { Unset = 0, Boolean = 1, Integer = 2, Enumeration = 3, Real = 4 };

enum ParamFlags : int32_t {
  NoParamFlags = 0,
  NotAutomatable = 0x1,
  SnapToStep = 0x2,
  ShowNegated = 0x4,
  ShowSign = 0x8,
};

inline constexpr int kParamTextSize = 32;  // 31 characters and the terminator

// One automatable setting: its value in real units, range, step and default, the
// mapping to the normalised range 0…1 and its display texts. Only the value is
// written after configuration; it is atomic so any thread may read or store it.
class Parameter {
 public:
  // A normalisation curve between 0…1 and [min, max]. Shapes do not clamp.
  class Shape {
   public:
    virtual ~Shape() = default;
    virtual std::unique_ptr<Shape> Copy() const = 0;
    virtual void Prepare(const Parameter& param);
    virtual int DisplayCurve() const = 0;
    virtual double Denormalize(double x, const Parameter& param) const = 0;
    virtual double Normalize(double v, const Parameter& param) const = 0;
  };

  class ShapeLinear final : public Shape {
   public:
    std::unique_ptr<Shape> Copy() const override;
    int DisplayCurve() const override { return 0; }
    double Denormalize(double x, const Parameter& param) const override;
    double Normalize(double v, const Parameter& param) const override;
  };

  class ShapePowCurve final : public Shape {
   public:
    explicit ShapePowCurve(double exponent) : exponent_(exponent) {}
    std::unique_ptr<Shape> Copy() const override;
    int DisplayCurve() const override;
    double Denormalize(double x, const Parameter& param) const override;
    double Normalize(double v, const Parameter& param) const override;

   private:
    double exponent_;
  };

  struct ValueText {
    double value;
    char text[kParamTextSize];
  };

  using Formatter = std::function<void(double value, std::string& out)>;
  using Parser = std::function<double(const char* text)>;

  Parameter();
  Parameter(const Parameter&) = delete;
  Parameter& operator=(const Parameter&) = delete;

  void Configure(const char* name, double defaultValue, double min, double max, double step,
                 const char* label, int32_t flags, const char* group, const Shape& shape,
                 int32_t unitCode, Formatter formatter = {}, Parser parser = {});
  void ConfigureInteger(const char* name, double defaultValue, double min, double max,
                        const char* label, int32_t flags, const char* group);
  // With texts null the caller names the choices with AddValueText.
  void ConfigureEnumeration(const char* name, double defaultValue, int count, const char* label,
                            int32_t flags, const char* group, const char* const* texts);
  void AddValueText(double value, const char* text);

  double Value() const { return value_.load(std::memory_order_relaxed); }
  void SetValue(double v) { value_.exchange(Restrict(v), std::memory_order_relaxed); }
  void SetFromNormalized(double x) { value_.exchange(Denormalized(x), std::memory_order_relaxed); }

  double Restrict(double v) const;
  double Normalized(double v) const;
  double NormalizedValue() const { return Normalized(Value()); }
  double Denormalized(double x) const;
  double DefaultValue(bool normalized) const;

  void FormatValue(double v, bool isNormalized, std::string& out, bool useValueTexts) const;
  double ParseText(const char* text) const;
  const char* ValueTextFor(double v) const;
  int ValueTextCount() const { return static_cast<int>(valueTexts_.size()); }
  const char* Label() const;

  const char* Name() const { return name_; }
  const char* Group() const { return group_; }
  ParamKind Kind() const { return kind_; }
  int32_t Flags() const { return flags_; }
  int32_t UnitCode() const { return unitCode_; }
  int32_t DisplayPrecision() const { return displayPrecision_; }
  double Min() const { return min_; }
  double Max() const { return max_; }
  double Step() const { return step_; }
  const Shape& GetShape() const { return *shape_; }

 private:
  ParamKind kind_ = ParamKind::Unset;
  int32_t unitCode_ = 21;
  std::atomic<double> value_{0.0};
  double min_ = 0.0;
  double max_ = 1.0;
  double step_ = 1.0;
  double defaultValue_ = 0.0;
  int32_t displayPrecision_ = 0;
  int32_t flags_ = 0;
  char name_[kParamTextSize] = {};
  char label_[kParamTextSize] = {};
  char group_[kParamTextSize] = {};
  std::unique_ptr<Shape> shape_;
  Formatter formatter_;
  Parser parser_;
  std::vector<ValueText> valueTexts_;
};

static_assert(std::atomic<double>::is_always_lock_free);

// Reads a leading number exactly as C atof does (leading white space skipped; decimal,
// hexadecimal and hex-float forms, inf and nan; trailing text ignored; no number gives 0;
// an exponent beyond the range gives infinity, one below it 0), in the C locale whatever
// the process's locale is. `end`, if given, receives where the number stopped (`text`
// itself when there is none).
double ReadLeadingNumber(const char* text, const char** end = nullptr);

}  // namespace fw
