// The record file of a run: no header, one 84-byte sample per recorded point,
// each the 21 slot values as little-endian IEEE single-precision floats.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vantor/engine/run_sample.h"
#include "vantor/files/output_file.h"

namespace vantor {

// The 84 bytes of one sample as they stand in a record file.
void EncodeRunSample(const RunSample& sample, unsigned char (&bytes)[kSampleBytes]);
RunSample DecodeRunSample(const unsigned char (&bytes)[kSampleBytes]);

// Appends samples to a record file. Write failures (a full disk) are
// remembered, not fatal: the run goes on and the file replays up to its end;
// Close tells, and Error gives the system's reason.
class RunRecordWriter : public RunSink {
 public:
  RunRecordWriter() = default;
  // Writes into a stream somebody else owns and closes (a replacing file).
  explicit RunRecordWriter(std::FILE* stream) : stream_(stream) {}
  ~RunRecordWriter() override;
  RunRecordWriter(const RunRecordWriter&) = delete;
  RunRecordWriter& operator=(const RunRecordWriter&) = delete;

  // Creates a new, empty "VTWxxxx.TMP" (four hex digits) that did not exist
  // before, in `directory`, or in the system's temporary directory when that
  // one does not take a new file. False when neither does. The file is made
  // through `temporaries` when one is given.
  bool Create(const std::string& directory = ".", TemporaryFiles* temporaries = nullptr);
  // Opens (and truncates) a given file for writing.
  bool Open(const std::string& path);

  // The samples stay in memory while they take at most `bound` bytes; the
  // file gets them only once they grow past it (call after Create).
  void KeepInMemory(std::size_t bound) { memoryBound_ = bound; }
  // After Close: the samples of a record that never outgrew its bound (the
  // file then holds nothing); null otherwise.
  std::shared_ptr<const std::string> InMemory() const;

  // AppendSample: one binary write of 84 bytes.
  void Sample(const RunSample& sample) override;
  // Closes a file this writer opened; false when any write or the close failed.
  bool Close();

  const std::string& Path() const { return path_; }
  long Count() const { return count_; }
  bool Failed() const { return failed_; }
  // The errno of the first failed write or close; 0 when none said.
  int Error() const { return error_; }

 private:
  void Fail();
  bool Spill();
  std::FILE* stream_ = nullptr;
  bool owned_ = false;
  bool failed_ = false;
  int error_ = 0;
  long count_ = 0;
  std::size_t memoryBound_ = 0;
  std::shared_ptr<std::string> memory_;  // while within the bound
  std::string path_;
};

// Reads every complete sample of a record file; a trailing partial sample is
// ignored. Empty when the file cannot be opened.
std::optional<std::vector<RunSample>> ReadRunRecord(const std::string& path);

}  // namespace vantor
