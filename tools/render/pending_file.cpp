#include "tools/render/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>

#include "tools/render/errors.h"

namespace render {
namespace {

// Temporary files to remove if a signal ends the process. Few are ever open at once
// (an output file, a state file); the handler may only read these atomics and unlink.
constexpr std::size_t kSlots = 8;
std::array<std::atomic<const char*>, kSlots> pendingPaths{};

void RemovePendingAndReraise(int signal) {
  for (std::atomic<const char*>& path : pendingPaths) {
    if (const char* name = path.load()) unlink(name);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void InstallCleanupHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
      std::signal(signal, RemovePendingAndReraise);
  });
}

int Register(const char* path) {
  for (std::size_t i = 0; i < kSlots; ++i) {
    const char* empty = nullptr;
    if (pendingPaths[i].compare_exchange_strong(empty, path)) return static_cast<int>(i);
  }
  return -1;
}

void Unregister(int slot) {
  if (slot >= 0) pendingPaths[static_cast<std::size_t>(slot)].store(nullptr);
}

mode_t CreationMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
  return what + " \"" + path.string() + "\": " + std::strerror(errno);
}

}  // namespace

PendingFile::PendingFile(std::filesystem::path destination) : destination_(std::move(destination)) {
  InstallCleanupHandlers();
  const std::filesystem::path folder =
      destination_.has_parent_path() ? destination_.parent_path() : std::filesystem::path(".");
  std::string name = (folder / ("." + destination_.filename().string() + ".XXXXXX")).string();
  descriptor_ = mkstemp(name.data());
  if (descriptor_ < 0) throw RenderError(SystemError("cannot create", destination_));
  temporary_ = name;
  slot_ = Register(temporary_.c_str());
  // mkstemp makes the file private; give it the permissions a new file would get.
  fchmod(descriptor_, CreationMode());
}

PendingFile::~PendingFile() {
  Discard();
}

void PendingFile::Commit() {
  const bool closed = close(descriptor_) == 0;
  descriptor_ = -1;
  if (!closed) throw RenderError(SystemError("cannot write", destination_));
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    throw RenderError(SystemError("cannot write", destination_));
  }
  Unregister(slot_);
  slot_ = -1;
  temporary_.clear();
}

void PendingFile::Discard() {
  if (descriptor_ >= 0) close(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  Unregister(slot_);
}

void WriteFileAtomically(const std::filesystem::path& destination, std::span<const uint8_t> bytes) {
  PendingFile file(destination);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(file.Descriptor(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw RenderError(SystemError("cannot write", destination));
    written += static_cast<std::size_t>(n);
  }
  file.Commit();
}

}  // namespace render
