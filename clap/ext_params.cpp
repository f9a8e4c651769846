#include <cstring>
#include <string>

#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"
#include "clap/host_values.h"
#include "framework/text.h"

namespace fw {
namespace {

// Ids are indices; any id at or beyond the count, read unsigned, is unknown.
const Parameter* ParamForId(ClapPlugin& plugin, clap_id id) {
  return id < static_cast<uint32_t>(plugin.ParamCount()) ? plugin.Param(static_cast<int32_t>(id))
                                                         : nullptr;
}

uint32_t Count(ClapPlugin& plugin) {
  return static_cast<uint32_t>(plugin.ParamCount());
}

bool GetInfo(ClapPlugin& plugin, uint32_t index, clap_param_info_t* info) {
  const Parameter* param = info ? ParamForId(plugin, index) : nullptr;
  if (!param) return false;
  *info = clap_param_info_t{};
  info->id = index;
  info->flags = CLAP_PARAM_REQUIRES_PROCESS;
  if (!(param->Flags() & NotAutomatable)) info->flags |= CLAP_PARAM_IS_AUTOMATABLE;
  if (!CrossesNormalised(*param)) info->flags |= CLAP_PARAM_IS_STEPPED;
  info->cookie = nullptr;
  CopyText(info->name, param->Name());
  CopyText(info->module, param->Group());
  // Real parameters cross the boundary normalised; the others in their own units.
  info->min_value = CrossesNormalised(*param) ? 0.0 : param->Min();
  info->max_value = CrossesNormalised(*param) ? 1.0 : param->Max();
  info->default_value = param->DefaultValue(CrossesNormalised(*param));
  return true;
}

bool GetValue(ClapPlugin& plugin, clap_id id, double* value) {
  const Parameter* param = value ? ParamForId(plugin, id) : nullptr;
  if (!param) return false;
  *value = HostFromReal(*param, param->Value());
  return true;
}

bool ValueToText(ClapPlugin& plugin, clap_id id, double value, char* display, uint32_t size) {
  const Parameter* param = display && size > 0 ? ParamForId(plugin, id) : nullptr;
  if (!param) return false;
  std::string text;
  const double real = RealFromHost(*param, value);
  if (CrossesNormalised(*param)) {
    param->FormatValue(param->Normalized(real), true, text, true);
  } else {
    param->FormatValue(real, false, text, true);
  }
  if (const char* label = param->Label(); *label) {
    text += ' ';
    text += label;
  }
  if (text.size() >= size) return false;
  std::memcpy(display, text.c_str(), text.size() + 1);
  return true;
}

bool TextToValue(ClapPlugin& plugin, clap_id id, const char* display, double* value) {
  const Parameter* param = display && value ? ParamForId(plugin, id) : nullptr;
  if (!param) return false;
  *value = HostFromReal(*param, param->ParseText(display));
  return true;
}

void Flush(ClapPlugin& plugin, const clap_input_events_t* in, const clap_output_events_t* out) {
  plugin.ReadInputEvents(in);
  plugin.WriteParamEvents(out);
}

constexpr clap_plugin_params_t kParams{
    kEntry<Count>,       kEntry<GetInfo>,     kEntry<GetValue>,
    kEntry<ValueToText>, kEntry<TextToValue>, kEntry<Flush>,
};

}  // namespace

const clap_plugin_params_t* ParamsExtension() {
  return &kParams;
}

}  // namespace fw
