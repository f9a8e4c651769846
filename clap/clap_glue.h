#pragma once

#include <atomic>

#include "clap/abi.h"
#include "clap/host_extensions.h"

namespace fw {

// Owns the clap_plugin record that the host holds and turns each of its C entry
// points into a virtual call. A record that is null or carries no instance is
// refused here, once, for every entry point.
class ClapGlue {
 public:
  ClapGlue(const clap_plugin_descriptor_t* descriptor, const clap_host_t* host);
  virtual ~ClapGlue();
  ClapGlue(const ClapGlue&) = delete;
  ClapGlue& operator=(const ClapGlue&) = delete;

  const clap_plugin_t* Record() const { return &record_; }
  static ClapGlue* FromRecord(const clap_plugin_t* record);

  bool IsActive() const { return active_.load(std::memory_order_acquire); }
  bool IsProcessing() const { return processing_.load(std::memory_order_acquire); }
  bool IsBeingDestroyed() const { return beingDestroyed_.load(std::memory_order_acquire); }
  const HostExtensions& Host() const { return hostExtensions_; }

 protected:
  virtual bool Init() = 0;
  virtual void Destroy() = 0;
  virtual bool Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames) = 0;
  virtual void Deactivate() = 0;
  virtual bool StartProcessing() = 0;
  virtual void StopProcessing() = 0;
  virtual void Reset() = 0;
  virtual clap_process_status Process(const clap_process_t* process) = 0;
  virtual const void* GetExtension(const char* id) = 0;
  virtual void OnMainThread() = 0;

  HostExtensions hostExtensions_;
  std::atomic<bool> active_{false};
  std::atomic<bool> processing_{false};
  std::atomic<bool> beingDestroyed_{false};

 private:
  // Extension hooks never see a null id.
  const void* FindExtension(const char* id) { return id ? GetExtension(id) : nullptr; }

  clap_plugin_t record_;
};

}  // namespace fw
