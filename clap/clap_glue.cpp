#include "clap/clap_glue.h"

#include "clap/entry_point.h"

namespace fw {

ClapGlue::ClapGlue(const clap_plugin_descriptor_t* descriptor, const clap_host_t* host) {
  hostExtensions_.host = host;
  record_ = clap_plugin_t{
      descriptor,
      this,
      kEntry<&ClapGlue::Init>,
      kEntry<&ClapGlue::Destroy>,
      kEntry<&ClapGlue::Activate>,
      kEntry<&ClapGlue::Deactivate>,
      kEntry<&ClapGlue::StartProcessing>,
      kEntry<&ClapGlue::StopProcessing>,
      kEntry<&ClapGlue::Reset>,
      kEntry<&ClapGlue::Process>,
      kEntry<&ClapGlue::FindExtension>,
      kEntry<&ClapGlue::OnMainThread>,
  };
}

ClapGlue::~ClapGlue() = default;

ClapGlue* ClapGlue::FromRecord(const clap_plugin_t* record) {
  return record ? static_cast<ClapGlue*>(record->plugin_data) : nullptr;
}

}  // namespace fw
