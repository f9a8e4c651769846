#include <mutex>

#include "clap/product.h"

namespace fw {

ClapPlugin* CreatePluginInstance(const InstanceInfo& info) {
  static std::mutex creationLock;  // made on first use, thread-safely
  std::lock_guard guard(creationLock);
  try {
    return NewProductInstance(info);
  } catch (...) {
    // Construction must never throw across the C boundary.
    return nullptr;
  }
}

}  // namespace fw
