// Where the rows of a sweep go while it runs: "OUT.part" beside the output,
// appended and flushed as each row is ready, so that an interrupted sweep
// keeps every finished row and --resume can carry on from them. The output
// itself is replaced only when the sweep is complete.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "vantor/files/output_file.h"
#include "vantor/sweep/sweep_rows.h"

namespace vantor::cli {

class SweepOutput {
 public:
  SweepOutput();
  ~SweepOutput();
  SweepOutput(const SweepOutput&) = delete;
  SweepOutput& operator=(const SweepOutput&) = delete;

  // Prepares the output for a sweep whose first line is `signature`, whose
  // header is `header` and whose rows are the runs `order`, in that order.
  // Without `resume` a left-over part file is refused; with it, the rows
  // present (in the part file, or a finished output) are kept when the
  // signature agrees. Nothing is written or removed on refusal: false with
  // a message in `error`. "-" writes the rows to standard output as they
  // come, without a part file (and cannot be resumed).
  bool Open(const std::string& out, const std::string& signature, const std::string& header,
            const std::vector<long>& order, bool resume, std::string& error);

  // Rows already present (a resumed sweep), as SweepFile rows.
  const std::vector<SweepFile::Row>& Present() const { return present_; }
  // True when the output is already complete: nothing to run.
  bool AlreadyComplete() const { return complete_; }

  // Appends one row and flushes it. False when the write failed.
  bool Append(const std::string& row);
  // Copies the rows of the part file into a temporary file beside the
  // output: false with a message in `error` when they could not be.
  bool Prepare(std::string& error);
  // Puts that file in place of the output and removes the part file.
  bool Place(std::string& error);

  const std::string& PartPath() const { return part_; }

  // Removes the part file if Open made it (a sweep refused once opened).
  void Abandon();

 private:
  bool OpenStandardOutput(const std::string& signature, const std::string& header, bool resume,
                          std::string& error);
  std::string out_;
  std::string part_;
  std::FILE* stream_ = nullptr;
  OutputFile file_;  // the finished output, until it is put in place
  std::vector<SweepFile::Row> present_;
  bool complete_ = false;
  bool direct_ = false;  // standard output
  bool madePart_ = false;  // Open made the part file
};

}  // namespace vantor::cli
