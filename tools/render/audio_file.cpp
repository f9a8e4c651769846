#include "tools/render/audio_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

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

struct Encoding {
  const char* bits;
  int code;
  const char* description;
};

constexpr Encoding kEncodings[] = {
    {"16", SF_FORMAT_PCM_16, "16-bit"},
    {"24", SF_FORMAT_PCM_24, "24-bit"},
    {"32f", SF_FORMAT_FLOAT, "32-bit float"},
};

const Container* ContainerByCode(int code) {
  for (const Container& container : kContainers) {
    if (container.code == code) return &container;
  }
  return nullptr;
}

std::string WithCase(std::string text, bool upper) {
  std::transform(text.begin(), text.end(), text.begin(), [upper](unsigned char c) {
    return static_cast<char>(upper ? std::toupper(c) : std::tolower(c));
  });
  return text;
}

std::string Lower(std::string text) {
  return WithCase(std::move(text), false);
}

bool Storable(AudioFormat format) {
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 2;
  info.format = format.Code();
  return sf_format_check(&info) != 0;
}

std::string LibraryName(int code, int command) {
  SF_FORMAT_INFO info{};
  info.format = code;
  if (sf_command(nullptr, command, &info, sizeof info) != 0 || !info.name) {
    return "format " + std::to_string(code);
  }
  return info.name;
}

std::string Quoted(const std::filesystem::path& path) {
  return "\"" + path.string() + "\"";
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
    for (const Container& container : kContainers) {
      for (const char* known : container.extensions) {
        if (known && extension == known) format.container = container.code;
      }
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
  const Container* container = ContainerByCode(format.container);
  const std::string text = container ? WithCase(container->name, true)
                                     : LibraryName(format.container, SFC_GET_FORMAT_MAJOR);
  if (format.encoding == 0) return text;
  for (const Encoding& encoding : kEncodings) {
    if (encoding.code == format.encoding) return text + ", " + encoding.description;
  }
  return text + ", " + LibraryName(format.encoding, SFC_GET_FORMAT_SUBTYPE);
}

double QuietestStoredMagnitude(AudioFormat format, double floor) {
  // libsndfile scales doubles by 2^(bits-1) - 1 and rounds; half of 2^-(bits-1) is
  // a little below half a step.
  switch (format.encoding) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      return 0.5 / 128.0;
    case SF_FORMAT_PCM_16:
      return 0.5 / 32768.0;
    case SF_FORMAT_PCM_24:
      return 0.5 / 8388608.0;
    case SF_FORMAT_PCM_32:
      return 0.5 / 2147483648.0;
    default:
      return floor;
  }
}

bool ClipsAtFullScale(AudioFormat format) {
  return QuietestStoredMagnitude(format, 0.0) > 0.0;
}

AudioFileReader::AudioFileReader(const std::filesystem::path& path, const std::string& role)
    : path_(path) {
  if (!std::filesystem::exists(path_)) {
    throw RenderError("the " + role + " file " + Quoted(path_) + " does not exist");
  }
  file_ = sf_open(path_.c_str(), SFM_READ, &info_);
  if (!file_) {
    throw RenderError("cannot read the " + role + " file " + Quoted(path_) + ": " +
                      sf_strerror(nullptr));
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
  for (std::size_t i = 0; i < got; ++i) {
    for (std::size_t c = 0; c < width; ++c)
      channels[c][i] = interleaved_[i * width + c];
  }
  return got;
}

AudioFileWriter::AudioFileWriter(const std::filesystem::path& path, AudioFormat format,
                                 uint32_t channels, double sampleRate)
    : pending_(path), channels_(channels), clamp_(ClipsAtFullScale(format)) {
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
}

AudioFileWriter::~AudioFileWriter() {
  if (file_) sf_close(file_);
}

void AudioFileWriter::Write(std::span<const double* const> channels, std::size_t frames) {
  interleaved_.resize(std::max(interleaved_.size(), frames * channels_));
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < channels_; ++c) {
      const double sample = channels[c][i];
      interleaved_[i * channels_ + c] = clamp_ ? std::clamp(sample, -1.0, 1.0) : sample;
    }
  }
  if (sf_writef_double(file_, interleaved_.data(), static_cast<sf_count_t>(frames)) !=
      static_cast<sf_count_t>(frames)) {
    throw RenderError("cannot write " + Quoted(pending_.Destination()) + ": " + sf_strerror(file_));
  }
}

void AudioFileWriter::Commit() {
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != 0) {
    throw RenderError("cannot write " + Quoted(pending_.Destination()) + ": " +
                      sf_error_number(status));
  }
  pending_.Commit();
}

void WriteAudioFile(const std::filesystem::path& path, AudioFormat format, const Signal& signal) {
  AudioFileWriter writer(path, format, static_cast<uint32_t>(signal.channels.size()),
                         signal.sampleRate);
  std::vector<const double*> channels;
  for (const std::vector<double>& samples : signal.channels)
    channels.push_back(samples.data());
  writer.Write(channels, signal.Frames());
  writer.Commit();
}

}  // namespace render
