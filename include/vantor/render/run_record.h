// The record file of a run: no header, one 84-byte sample per recorded point,
// each the 21 slot values as little-endian IEEE single-precision floats.
#pragma once

#include <cstdio>
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
// remembered, not fatal: the run goes on and the file replays up to its end.
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

  // AppendSample: one binary write of 84 bytes.
  void Sample(const RunSample& sample) override;
  // Closes a file this writer opened; false when any write or the close failed.
  bool Close();

  const std::string& Path() const { return path_; }
  long Count() const { return count_; }
  bool Failed() const { return failed_; }

 private:
  std::FILE* stream_ = nullptr;
  bool owned_ = false;
  bool failed_ = false;
  long count_ = 0;
  std::string path_;
};

// Reads every complete sample of a record file; a trailing partial sample is
// ignored. Empty when the file cannot be opened.
std::optional<std::vector<RunSample>> ReadRunRecord(const std::string& path);

}  // namespace vantor
