#include "tools/render/audio_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <span>
#include <sstream>

#include "tools/render/errors.h"

namespace render {
namespace {

struct Container {
  const char* name;
  int code;
  int usualEncoding;
  std::array<const char*, 2> extensions;
};

constexpr Container kContainers[] = {
    {"wav", SF_FORMAT_WAV, SF_FORMAT_PCM_24, {".wav", ".wave"}},
    {"flac", SF_FORMAT_FLAC, SF_FORMAT_PCM_24, {".flac", nullptr}},
    {"aiff", SF_FORMAT_AIFF, SF_FORMAT_PCM_24, {".aiff", ".aif"}},
    {"ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS, {".ogg", ".oga"}},
};

// What --bits offers.
struct Encoding {
  const char* bits;
  int code;
};

constexpr Encoding kEncodings[] = {
    {"16", SF_FORMAT_PCM_16},
    {"24", SF_FORMAT_PCM_24},
    {"32f", SF_FORMAT_FLOAT},
};

struct FormatName {
  int code;
  const char* name;
};

// Names for what a summary line may show; anything rarer takes libsndfile's own name.
constexpr FormatName kContainerNames[] = {
    {SF_FORMAT_WAV, "WAV"},   {SF_FORMAT_WAVEX, "WAVEX"}, {SF_FORMAT_W64, "W64"},
    {SF_FORMAT_RF64, "RF64"}, {SF_FORMAT_AIFF, "AIFF"},   {SF_FORMAT_CAF, "CAF"},
    {SF_FORMAT_AU, "AU"},     {SF_FORMAT_FLAC, "FLAC"},   {SF_FORMAT_OGG, "OGG"},
};

constexpr FormatName kEncodingNames[] = {
    {SF_FORMAT_PCM_S8, "8-bit"},        {SF_FORMAT_PCM_U8, "8-bit"},
    {SF_FORMAT_PCM_16, "16-bit"},       {SF_FORMAT_PCM_24, "24-bit"},
    {SF_FORMAT_PCM_32, "32-bit"},       {SF_FORMAT_FLOAT, "32-bit float"},
    {SF_FORMAT_DOUBLE, "64-bit float"}, {SF_FORMAT_ULAW, "u-law"},
    {SF_FORMAT_ALAW, "A-law"},          {SF_FORMAT_VORBIS, "Vorbis"},
    {SF_FORMAT_OPUS, "Opus"},
};

// Integer encodings and the magnitude that stands for full scale, 2^(bits-1), used both
// ways so that a sample read and written back is the same integer. u-law and A-law
// pass through 16-bit integers.
struct IntegerEncoding {
  int code;
  double fullScale;
};

constexpr IntegerEncoding kIntegerEncodings[] = {
    {SF_FORMAT_PCM_S8, 0x1p7},  {SF_FORMAT_PCM_U8, 0x1p7},  {SF_FORMAT_PCM_16, 0x1p15},
    {SF_FORMAT_PCM_24, 0x1p23}, {SF_FORMAT_PCM_32, 0x1p31}, {SF_FORMAT_ULAW, 0x1p15},
    {SF_FORMAT_ALAW, 0x1p15},
};

const char* NameOf(std::span<const FormatName> names, int code) {
  for (const FormatName& entry : names) {
    if (entry.code == code) return entry.name;
  }
  return nullptr;
}

const Container* ContainerByCode(int code) {
  for (const Container& container : kContainers) {
    if (container.code == code) return &container;
  }
  return nullptr;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Storable(AudioFormat format) {
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 2;
  info.format = format.Code();
  return sf_format_check(&info) != 0;
}

std::string LibraryName(int code) {
  SF_FORMAT_INFO info{};
  info.format = code;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name) {
    return "format " + std::to_string(code);
  }
  return info.name;
}

// libsndfile quietly shortens a file whose header promises more audio than it holds; its
// log keeps both sizes, as in "data : 384000 (should be 192000)". Gives the share of the
// promised audio that is there.
std::optional<double> ShareHeld(SNDFILE* file) {
  std::array<char, 8192> log{};
  sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
  std::istringstream lines(log.data());
  for (std::string line; std::getline(lines, line);) {
    unsigned long long declared = 0;
    unsigned long long held = 0;
    char chunk[8] = {};
    if (std::sscanf(line.c_str(), "%7s : %llu (should be %llu)", chunk, &declared, &held) == 3 &&
        (std::strcmp(chunk, "data") == 0 || std::strcmp(chunk, "SSND") == 0) && declared > held) {
      return static_cast<double>(held) / static_cast<double>(declared);
    }
  }
  return std::nullopt;
}

}  // namespace

AudioFormat ResolveOutputFormat(const FormatRequest& request, const std::filesystem::path& output,
                                AudioFormat fallback) {
  AudioFormat format = fallback;
  if (request.container) {
    const Container* found = nullptr;
    for (const Container& container : kContainers) {
      if (Lower(*request.container) == container.name) found = &container;
    }
    if (!found) {
      throw UsageError("--format " + *request.container + ": choose wav, flac, aiff or ogg");
    }
    format.container = found->code;
  } else {
    const std::string extension = Lower(output.extension().string());
    bool known = extension.empty();
    for (const Container& container : kContainers) {
      for (const char* name : container.extensions) {
        if (name && extension == name) {
          format.container = container.code;
          known = true;
        }
      }
    }
    // Writing the input's container under a name that promises another misleads
    // whatever opens the file next.
    if (!known) {
      throw UsageError(Quoted(output) + ": " + output.extension().string() +
                       " names no container this tool writes; use .wav, .flac, .aiff or .ogg, "
                       "or say which with --format");
    }
  }
  if (request.bits) {
    const Encoding* found = nullptr;
    for (const Encoding& encoding : kEncodings) {
      if (*request.bits == encoding.bits) found = &encoding;
    }
    if (!found) throw UsageError("--bits " + *request.bits + ": choose 16, 24 or 32f");
    format.encoding = found->code;
    if (!Storable(format)) {
      throw UsageError("--bits " + *request.bits + ": " + DescribeFormat({format.container, 0}) +
                       " files cannot hold that encoding");
    }
  } else if (!Storable(format)) {
    const Container* container = ContainerByCode(format.container);
    format.encoding = container ? container->usualEncoding : SF_FORMAT_PCM_24;
  }
  if (!Storable(format)) {
    throw UsageError("cannot write " + DescribeFormat(format) + " to " + Quoted(output));
  }
  return format;
}

std::string DescribeFormat(AudioFormat format) {
  const char* container = NameOf(kContainerNames, format.container);
  const std::string text = container ? container : LibraryName(format.container);
  if (format.encoding == 0) return text;
  const char* encoding = NameOf(kEncodingNames, format.encoding);
  return text + ", " + (encoding ? encoding : LibraryName(format.encoding));
}

std::optional<double> IntegerFullScale(AudioFormat format) {
  for (const IntegerEncoding& entry : kIntegerEncodings) {
    if (entry.code == format.encoding) return entry.fullScale;
  }
  return std::nullopt;
}

double QuietestStoredMagnitude(AudioFormat format, double floor) {
  // Half a step rounds to zero.
  const std::optional<double> fullScale = IntegerFullScale(format);
  return fullScale ? 0.5 / *fullScale : floor;
}

bool ClipsAtFullScale(AudioFormat format) {
  return QuietestStoredMagnitude(format, 0.0) > 0.0;
}

AudioFileReader::AudioFileReader(const std::filesystem::path& path, const std::string& role)
    : path_(path) {
  const std::string name = "the " + role + " file " + Quoted(path_);
  std::error_code error;
  const auto status = std::filesystem::status(path_, error);
  if (!std::filesystem::exists(status)) throw RenderError(name + " does not exist");
  if (std::filesystem::is_directory(status)) throw RenderError(name + " is a folder");
  file_ = sf_open(path_.c_str(), SFM_READ, &info_);
  if (!file_) {
    const int code = sf_error(nullptr);
    // libsndfile reports a header cut short as an unknown or unimplemented format.
    const bool damaged = code == SF_ERR_UNRECOGNISED_FORMAT || code == SF_ERR_MALFORMED_FILE ||
                         code == SF_ERR_UNSUPPORTED_ENCODING;
    throw RenderError("cannot read " + name + ": " +
                      (damaged ? "it is not a WAV, FLAC, AIFF or OGG file, or its header is "
                                 "damaged or cut short"
                               : sf_strerror(nullptr)));
  }
  fullScale_ = IntegerFullScale(Format());
  if (fullScale_) sf_command(file_, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
  if (const std::optional<double> share = ShareHeld(file_)) {
    const std::string held =
        *share > 0.0 ? " declares " +
                           DurationText(static_cast<uint64_t>(std::llround(Frames() / *share)),
                                        SampleRate()) +
                           " of audio but holds only " + DurationText(Frames(), SampleRate())
                     : " declares audio but holds none";
    Warn(name + held + "; it is damaged or cut short");
  }
}

AudioFileReader::~AudioFileReader() {
  sf_close(file_);
}

AudioFormat AudioFileReader::Format() const {
  return {info_.format & SF_FORMAT_TYPEMASK, info_.format & SF_FORMAT_SUBMASK};
}

std::size_t AudioFileReader::Read(std::span<double* const> channels, std::size_t frames) {
  const std::size_t width = channels.size();
  interleaved_.resize(std::max(interleaved_.size(), frames * width));
  const sf_count_t n = sf_readf_double(file_, interleaved_.data(), static_cast<sf_count_t>(frames));
  if (n < static_cast<sf_count_t>(frames) && sf_error(file_) != SF_ERR_NO_ERROR) {
    throw RenderError("cannot read " + Quoted(path_) + ": " + sf_strerror(file_));
  }
  const std::size_t got = n > 0 ? static_cast<std::size_t>(n) : 0;
  const double scale = fullScale_ ? 1.0 / *fullScale_ : 1.0;
  for (std::size_t i = 0; i < got; ++i) {
    for (std::size_t c = 0; c < width; ++c)
      channels[c][i] = interleaved_[i * width + c] * scale;
  }
  return got;
}

AudioFileWriter::AudioFileWriter(PendingFile& file, AudioFormat format, uint32_t channels,
                                 double sampleRate)
    : pending_(file), channels_(channels), fullScale_(IntegerFullScale(format)) {
  const std::filesystem::path& path = pending_.Destination();
  SF_INFO info{};
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.channels = static_cast<int>(channels);
  info.format = format.Code();
  if (!sf_format_check(&info)) {
    throw RenderError("cannot write " + DescribeFormat(format) + " with " +
                      std::to_string(channels) + " channels at " + std::to_string(info.samplerate) +
                      " Hz to " + Quoted(path));
  }
  file_ = sf_open_fd(pending_.Descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (!file_) throw RenderError("cannot write " + Quoted(path) + ": " + sf_strerror(nullptr));
  // The peak chunk carries a time stamp; without it the same render gives the same file.
  sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  if (fullScale_) sf_command(file_, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter() {
  if (file_) sf_close(file_);
}

void AudioFileWriter::Write(std::span<const double* const> channels, std::size_t frames) {
  interleaved_.resize(std::max(interleaved_.size(), frames * channels_));
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < channels_; ++c) {
      const double sample = channels[c][i];
      interleaved_[i * channels_ + c] =
          fullScale_ ? std::clamp(sample * *fullScale_, -*fullScale_, *fullScale_ - 1.0) : sample;
    }
  }
  if (sf_writef_double(file_, interleaved_.data(), static_cast<sf_count_t>(frames)) !=
      static_cast<sf_count_t>(frames)) {
    throw RenderError("cannot write " + Quoted(pending_.Destination()) + ": " + sf_strerror(file_));
  }
}

void AudioFileWriter::Finish() {
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != 0) {
    throw RenderError("cannot write " + Quoted(pending_.Destination()) + ": " +
                      sf_error_number(status));
  }
  pending_.Finish();
}

void WriteAudioFile(const std::filesystem::path& path, AudioFormat format, const Signal& signal) {
  PendingFile file(path);
  AudioFileWriter writer(file, format, static_cast<uint32_t>(signal.channels.size()),
                         signal.sampleRate);
  std::vector<const double*> channels;
  for (const std::vector<double>& samples : signal.channels)
    channels.push_back(samples.data());
  writer.Write(channels, signal.Frames());
  writer.Finish();
  file.Commit();
}

}  // namespace render
