#include "cli/sweep_output.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cli/interrupts.h"
#include "vantor/files/output_file.h"

namespace vantor::cli {
namespace fs = std::filesystem;

namespace {

// The rows of `file` must be the first rows of `order`.
bool RowsFollowOrder(const SweepFile& file, const std::vector<long>& order) {
  if (file.rows.size() > order.size()) return false;
  for (std::size_t i = 0; i < file.rows.size(); ++i)
    if (file.rows[i].run != order[i]) return false;
  return true;
}

std::string OtherSweep(const std::string& path) {
  return path + " holds the rows of another sweep (its plan, parameters, gate table, shard or "
                "spike rule or window differ); give another --out";
}

}  // namespace

SweepOutput::SweepOutput() : file_(&CommandTemporaries()) {}

SweepOutput::~SweepOutput() {
  if (stream_ != nullptr) std::fclose(stream_);
}

bool SweepOutput::Open(const std::string& out, const std::string& signature,
                       const std::string& header, const std::vector<long>& order, bool resume,
                       std::string& error) {
  out_ = out;
  part_ = out + ".part";
  if (out == "-") return OpenStandardOutput(signature, header, resume, error);
  std::error_code ec;
  // The rows go through a part file that is renamed into place at the end:
  // only a regular file can be replaced that way, and a device or a FIFO
  // must never be (stat does not wait on a FIFO, as opening it would).
  struct stat info {};
  if (stat(out.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error = out + " is not a regular file; a sweep writes its rows into a file";
    return false;
  }
  // The output must be replaceable before any run starts.
  {
    OutputFile probe(&CommandTemporaries());
    if (!probe.Open(out)) {
      error = "cannot write " + out;
      return false;
    }
  }
  const bool partExists = fs::exists(part_, ec) || fs::is_symlink(part_, ec);
  if (!resume) {
    if (partExists) {
      error = part_ + " holds an interrupted sweep: carry on with --resume, or remove it";
      return false;
    }
    stream_ = std::fopen(part_.c_str(), "w+bx");
    if (stream_ == nullptr) {
      error = "cannot write " + part_;
      return false;
    }
    madePart_ = true;
  } else if (partExists) {
    if (!fs::is_regular_file(part_, ec)) {
      error = part_ + " is not a file";
      return false;
    }
    SweepFile file;
    if (!ReadSweepFile(part_, file, error)) return false;
    if (file.signature != signature || file.header != header) {
      error = OtherSweep(part_);
      return false;
    }
    if (!RowsFollowOrder(file, order)) {
      error = part_ + ": its rows are not those of this sweep, in order";
      return false;
    }
    stream_ = std::fopen(part_.c_str(), "r+b");
    if (stream_ == nullptr) {
      error = "cannot write " + part_;
      return false;
    }
    // A row cut short by the interruption is dropped.
    if (ftruncate(fileno(stream_), static_cast<off_t>(file.completeBytes)) != 0 ||
        std::fseek(stream_, 0, SEEK_END) != 0) {
      error = "cannot write " + part_;
      return false;
    }
    present_ = std::move(file.rows);
  } else {
    // Nothing interrupted: the output may already be the finished sweep.
    if (fs::exists(out, ec)) {
      SweepFile file;
      if (ReadSweepFile(out, file, error)) {
        if (file.signature != signature || file.header != header) {
          error = OtherSweep(out);
          return false;
        }
        if (file.rows.size() == order.size() && RowsFollowOrder(file, order)) {
          present_ = std::move(file.rows);
          complete_ = true;
          return true;
        }
      }
      error = out + " is not the finished sweep, and there is no " + part_ + " to resume";
      return false;
    }
    stream_ = std::fopen(part_.c_str(), "w+bx");
    if (stream_ == nullptr) {
      error = "cannot write " + part_;
      return false;
    }
    madePart_ = true;
  }
  // Two sweeps writing one part file would interleave their rows.
  if (flock(fileno(stream_), LOCK_EX | LOCK_NB) != 0) {
    std::fclose(stream_);
    stream_ = nullptr;
    error = "another sweep is writing " + part_;
    return false;
  }
  if (present_.empty() && std::ftell(stream_) == 0) {
    const std::string start = signature + "\n" + header;
    if (std::fputs(start.c_str(), stream_) < 0 || std::fflush(stream_) != 0) {
      error = "cannot write " + part_;
      return false;
    }
  }
  return true;
}

// Standard output takes the rows as they come; nothing is kept to resume from.
bool SweepOutput::OpenStandardOutput(const std::string& signature, const std::string& header,
                                     bool resume, std::string& error) {
  part_ = "standard output";
  if (resume) {
    error = "--resume needs a file to carry on (--out - keeps no rows)";
    return false;
  }
  if (!file_.OpenStandardOutput()) {
    error = "cannot write standard output";
    return false;
  }
  direct_ = true;
  file_.Write(signature + "\n" + header);
  return true;
}

void SweepOutput::Abandon() {
  if (!madePart_ || stream_ == nullptr) return;
  std::fclose(stream_);
  stream_ = nullptr;
  std::remove(part_.c_str());
  madePart_ = false;
}

bool SweepOutput::Append(const std::string& row) {
  if (direct_) {
    file_.Write(row);
    return std::fflush(file_.Stream()) == 0 && std::ferror(file_.Stream()) == 0;
  }
  return stream_ != nullptr && std::fputs(row.c_str(), stream_) >= 0 && std::fflush(stream_) == 0;
}

bool SweepOutput::Prepare(std::string& error) {
  if (complete_) return true;
  if (direct_) {
    if (file_.Close()) return true;
    error = "cannot write standard output";
    return false;
  }
  if (stream_ == nullptr || std::fflush(stream_) != 0) {
    error = "cannot write " + part_;
    return false;
  }
  if (!file_.Open(out_)) {
    error = "cannot write " + out_;
    return false;
  }
  std::rewind(stream_);
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream_)) > 0;)
    file_.Write(std::string(buffer, n));
  if (std::ferror(stream_) || !file_.Close()) {
    file_.Abandon();
    error = "cannot write " + out_;
    return false;
  }
  return true;
}

bool SweepOutput::Place(std::string& error) {
  if (complete_ || direct_) return true;
  if (!file_.Commit()) {
    error = "cannot write " + out_;
    return false;
  }
  std::fclose(stream_);
  stream_ = nullptr;
  std::remove(part_.c_str());
  return true;
}

}  // namespace vantor::cli
