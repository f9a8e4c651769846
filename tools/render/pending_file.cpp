#include "tools/render/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "tools/render/errors.h"

namespace render {
namespace {

// Temporary files to remove if a signal ends the process: up to three per render, and a
// batch runs a render per core. The handler may only read these atomics and unlink.
constexpr std::size_t kSlots = 512;
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
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
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
  std::string hidden(1, '.');
  hidden.append(destination_.filename().native()).append(".XXXXXX");
  std::string name = (folder / hidden).string();
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

void PendingFile::Finish() {
  if (descriptor_ < 0) return;
  const bool closed = close(descriptor_) == 0;
  descriptor_ = -1;
  if (!closed) throw RenderError(SystemError("cannot write", destination_));
}

void PendingFile::Commit() {
  Finish();
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

std::string ReadTextFile(const std::filesystem::path& path, const std::string& name) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) throw RenderError(name + " does not exist");
  if (!std::filesystem::is_regular_file(status)) throw RenderError(name + " is not a file");
  std::ifstream file(path, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file.is_open() || file.bad()) throw RenderError("cannot read " + name);
  return text;
}

PendingFile& PendingFiles::Add(const std::filesystem::path& destination) {
  return *files_.emplace_back(std::make_unique<PendingFile>(destination));
}

void PendingFiles::CommitAll() {
  for (const auto& file : files_)
    file->Finish();
  for (const auto& file : files_)
    file->Commit();
}

void WriteBytes(PendingFile& file, std::span<const uint8_t> bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(file.Descriptor(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw RenderError(SystemError("cannot write", file.Destination()));
    written += static_cast<std::size_t>(n);
  }
}

void WriteFileAtomically(const std::filesystem::path& destination, std::span<const uint8_t> bytes) {
  PendingFile file(destination);
  WriteBytes(file, bytes);
  file.Commit();
}

}  // namespace render
