#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace render {

// A file written under a temporary name beside its destination and renamed over it
// by Commit, so the destination never holds a partial file. An uncommitted file is
// removed by the destructor, and also when the process is interrupted or terminated.
class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path destination);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  int Descriptor() const { return descriptor_; }
  const std::filesystem::path& Destination() const { return destination_; }
  void Commit();

 private:
  void Discard();

  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  int descriptor_ = -1;
  int slot_ = -1;
};

// Writes `bytes` to `destination` through a PendingFile.
void WriteFileAtomically(const std::filesystem::path& destination, std::span<const uint8_t> bytes);

}  // namespace render
