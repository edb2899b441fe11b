#include "vantor/render/run_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vantor {
namespace {

constexpr int kNameCount = 0x10000;  // four hexadecimal digits

std::string RecordName(const std::string& directory, unsigned number) {
  char name[16];
  std::snprintf(name, sizeof name, "VTW%04X.TMP", number & 0xFFFFu);
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// Tries the names in turn from a time-based start; "wx" creates a file only
// when no file of that name exists, so two runs never share a record.
std::FILE* CreateUnique(const std::string& directory, std::string& path,
                        TemporaryFiles* temporaries) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned start = static_cast<unsigned>(ticks) & 0xFFFFu;
  for (int i = 0; i < kNameCount; ++i) {
    const std::string candidate = RecordName(directory, start + static_cast<unsigned>(i));
    errno = 0;
    const int fd = temporaries != nullptr
                       ? temporaries->Create(candidate)
                       : open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      std::FILE* f = fdopen(fd, "wb");
      if (f == nullptr) {
        close(fd);
        temporaries != nullptr ? temporaries->Remove(candidate) : void(std::remove(candidate.c_str()));
        return nullptr;
      }
      path = candidate;
      return f;
    }
    if (errno != EEXIST) return nullptr;  // the directory does not take new files
  }
  return nullptr;
}

}  // namespace

void EncodeRunSample(const RunSample& sample, unsigned char (&bytes)[kSampleBytes]) {
  for (int s = 0; s < kSampleSlots; ++s) {
    const auto bits = std::bit_cast<std::uint32_t>(sample[s]);
    for (int b = 0; b < 4; ++b) bytes[4 * s + b] = static_cast<unsigned char>(bits >> (8 * b));
  }
}

RunSample DecodeRunSample(const unsigned char (&bytes)[kSampleBytes]) {
  RunSample sample;
  for (int s = 0; s < kSampleSlots; ++s) {
    std::uint32_t bits = 0;
    for (int b = 0; b < 4; ++b) bits |= static_cast<std::uint32_t>(bytes[4 * s + b]) << (8 * b);
    sample[s] = std::bit_cast<float>(bits);
  }
  return sample;
}

RunRecordWriter::~RunRecordWriter() { Close(); }

bool RunRecordWriter::Create(const std::string& directory, TemporaryFiles* temporaries) {
  Close();
  stream_ = CreateUnique(directory, path_, temporaries);
  if (stream_ == nullptr) {
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (!error) stream_ = CreateUnique(temp.string(), path_, temporaries);
  }
  owned_ = stream_ != nullptr;
  failed_ = false;
  error_ = 0;
  count_ = 0;
  memoryBound_ = 0;
  memory_.reset();
  if (!owned_) path_.clear();
  return owned_;
}

bool RunRecordWriter::Open(const std::string& path) {
  Close();
  stream_ = std::fopen(path.c_str(), "wb");
  owned_ = stream_ != nullptr;
  failed_ = false;
  error_ = 0;
  count_ = 0;
  memoryBound_ = 0;
  memory_.reset();
  path_ = owned_ ? path : std::string();
  return owned_;
}

void RunRecordWriter::Sample(const RunSample& sample) {
  if (stream_ == nullptr) {
    failed_ = true;
    return;
  }
  errno = 0;
  unsigned char bytes[kSampleBytes];
  EncodeRunSample(sample, bytes);
  ++count_;
  if (memoryBound_ > 0) {
    if (!memory_) memory_ = std::make_shared<std::string>();
    if (memory_->size() + kSampleBytes <= memoryBound_) {
      memory_->append(reinterpret_cast<const char*>(bytes), kSampleBytes);
      return;
    }
    if (!Spill()) return;
  }
  if (std::fwrite(bytes, kSampleBytes, 1, stream_) != 1) Fail();
}

void RunRecordWriter::Fail() {
  if (!failed_) error_ = errno;
  failed_ = true;
}

// The bound is passed: what memory held goes to the file, and all after it.
bool RunRecordWriter::Spill() {
  memoryBound_ = 0;
  const std::shared_ptr<std::string> held = std::move(memory_);
  if (held && !held->empty() && std::fwrite(held->data(), held->size(), 1, stream_) != 1) {
    Fail();
    return false;
  }
  return true;
}

std::shared_ptr<const std::string> RunRecordWriter::InMemory() const {
  if (memoryBound_ == 0 || stream_ != nullptr) return nullptr;
  return memory_ ? memory_ : std::make_shared<const std::string>();
}

bool RunRecordWriter::Close() {
  errno = 0;
  if (stream_ != nullptr && owned_) {
    if (std::fclose(stream_) != 0) Fail();
  } else if (stream_ != nullptr && std::fflush(stream_) != 0) {
    Fail();
  }
  stream_ = nullptr;
  owned_ = false;
  return !failed_;
}

std::optional<std::vector<RunSample>> ReadRunRecord(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  std::vector<RunSample> samples;
  unsigned char bytes[kSampleBytes];
  while (std::fread(bytes, kSampleBytes, 1, f) == 1) samples.push_back(DecodeRunSample(bytes));
  std::fclose(f);
  return samples;
}

}  // namespace vantor
