#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

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
  // Closes the temporary file, reporting a failed write; Commit then renames it.
  void Finish();
  void Commit();

 private:
  void Discard();

  std::filesystem::path destination_;
  std::filesystem::path temporary_;
  int descriptor_ = -1;
  int slot_ = -1;
};

// The files of one run. Each is created under its temporary name when it is added,
// before anything is rendered, so a location that cannot take a file stops the run
// before it starts; all are renamed into place only once every one is complete.
class PendingFiles {
 public:
  PendingFile& Add(const std::filesystem::path& destination);
  void CommitAll();

 private:
  std::vector<std::unique_ptr<PendingFile>> files_;
};

// The whole of a regular file; `name` describes it in messages ("the state file \"s\"").
std::string ReadTextFile(const std::filesystem::path& path, const std::string& name);

void WriteBytes(PendingFile& file, std::span<const uint8_t> bytes);
// Writes `bytes` to `destination` through a PendingFile.
void WriteFileAtomically(const std::filesystem::path& destination, std::span<const uint8_t> bytes);

}  // namespace render
