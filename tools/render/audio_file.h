#pragma once

#include <sndfile.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/pending_file.h"
#include "tools/render/signal.h"

namespace render {

// A libsndfile format: a container (SF_FORMAT_WAV …) and a sample encoding (SF_FORMAT_PCM_24 …).
struct AudioFormat {
  int container = SF_FORMAT_WAV;
  int encoding = SF_FORMAT_FLOAT;

  int Code() const { return container | encoding; }
  bool operator==(const AudioFormat&) const = default;
};

// What the command line asks for: --format wav|flac|aiff|ogg and --bits 16|24|32f.
struct FormatRequest {
  std::optional<std::string> container;
  std::optional<std::string> bits;
};

// The output format: the container asked for, else the one the output file's extension
// names, else the fallback's; the encoding asked for, else the fallback's if the
// container takes it, else the container's usual one.
AudioFormat ResolveOutputFormat(const FormatRequest& request, const std::filesystem::path& output,
                                AudioFormat fallback);
// "WAV, 24-bit", "WAVEX, u-law" and the like.
std::string DescribeFormat(AudioFormat format);
// Integer encodings: the magnitude 2^(bits-1) that full scale stands for. Samples are
// scaled by it both ways, so an integer read and written back is unchanged, and are
// clipped at the largest integer.
std::optional<double> IntegerFullScale(AudioFormat format);
// The largest magnitude that the encoding stores as zero (half a step of an integer
// encoding), or `floor` for encodings that keep arbitrarily small values.
double QuietestStoredMagnitude(AudioFormat format, double floor);
// Integer encodings: samples beyond full scale are clipped.
bool ClipsAtFullScale(AudioFormat format);

class AudioFileReader : public SignalSource {
 public:
  // `role` names the file in messages ("input", "side-chain").
  AudioFileReader(const std::filesystem::path& path, const std::string& role);
  ~AudioFileReader() override;
  AudioFileReader(const AudioFileReader&) = delete;
  AudioFileReader& operator=(const AudioFileReader&) = delete;

  uint32_t Channels() const override { return static_cast<uint32_t>(info_.channels); }
  uint64_t Frames() const override { return static_cast<uint64_t>(info_.frames); }
  std::size_t Read(std::span<double* const> channels, std::size_t frames) override;
  double SampleRate() const { return info_.samplerate; }
  AudioFormat Format() const;

 private:
  std::filesystem::path path_;
  SF_INFO info_{};
  SNDFILE* file_ = nullptr;
  std::optional<double> fullScale_;
  std::vector<double> interleaved_;
};

// Writes an audio file into a pending file; Finish completes it, and the pending file's
// commit puts it in place.
class AudioFileWriter : public OutputSink {
 public:
  AudioFileWriter(PendingFile& file, AudioFormat format, uint32_t channels, double sampleRate);
  ~AudioFileWriter() override;
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  void Write(std::span<const double* const> channels, std::size_t frames) override;
  void Finish();

 private:
  PendingFile& pending_;
  SNDFILE* file_ = nullptr;
  uint32_t channels_;
  // Integer encodings are scaled and clipped here: libsndfile's own normalisation reads
  // by 2^(bits-1) but writes by 2^(bits-1) - 1, and wraps samples beyond full scale.
  std::optional<double> fullScale_;
  std::vector<double> interleaved_;
};

// Writes a whole signal in one go.
void WriteAudioFile(const std::filesystem::path& path, AudioFormat format, const Signal& signal);

}  // namespace render
