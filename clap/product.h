#pragma once

#include "clap/clap_plugin.h"

namespace fw {

// What the module tells hosts about the one plug-in it offers; the product defines it.
struct ProductInfo {
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const char* description;
  const char* const* features;  // null-terminated
  const char* presetProviderName;
};

const ProductInfo& Product();

// Allocates and constructs the product object (one allocation holds all of it);
// null when memory runs out. The product defines it.
ClapPlugin* NewProductInstance(const InstanceInfo& info);

// Builds an instance under the process-wide instance-creation lock.
ClapPlugin* CreatePluginInstance(const InstanceInfo& info);

}  // namespace fw
