// An output file that replaces its target only when it is complete: the
// bytes go to a new file beside the target, which is renamed over the target
// on Commit. A user's previous file is never left half-overwritten, and a
// failed write leaves it untouched. Character devices, FIFOs and the
// process's own descriptors (/dev/stdout, /dev/fd/N) cannot be replaced and
// are written directly.
#pragma once

#include <cstdio>
#include <string>

namespace vantor {

// How OutputFile makes, puts in place and removes its temporary files.
// Without one it does so itself; a program that a signal may end at any
// moment gives one that also keeps the names where its handler can remove
// them (the command line's, in cli/interrupts.h).
class TemporaryFiles {
 public:
  // Creates `name`, which must not exist yet, for writing: its descriptor,
  // or -1 with errno set.
  virtual int Create(const std::string& name) = 0;
  // True while `name` is one of the files made here.
  virtual bool Holds(const std::string& name) const = 0;
  // Renames `name` over `target`. False (errno set) when it was not; `name`
  // is then still there to Remove.
  virtual bool Rename(const std::string& name, const std::string& target) = 0;
  virtual void Remove(const std::string& name) = 0;

 protected:
  ~TemporaryFiles() = default;
};

class OutputFile {
 public:
  // The temporary file goes through `temporaries` when one is given.
  explicit OutputFile(TemporaryFiles* temporaries = nullptr) : temporaries_(temporaries) {}
  ~OutputFile();  // an uncommitted file is abandoned
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file beside `target`. False (and nothing created)
  // when the name is empty or unusable, the target is a directory, the
  // directory does not take a new file, or the target exists but may not be
  // written. A target that is a link is followed: the file it names is the
  // one replaced, and the link stays. A character device or a FIFO is opened
  // for writing as it is (a FIFO waits for its reader); a block device or a
  // socket is refused. A target that is itself one of the temporary files
  // of `temporaries` (a name from HandOver) is written as it is: it has no
  // earlier contents to keep.
  bool Open(const std::string& target);
  // Writes into a copy of standard output.
  bool OpenStandardOutput();
  // Opens a device for writing as it is, without a temporary file.
  bool OpenDevice(const std::string& device);

  bool IsOpen() const { return stream_ != nullptr; }
  // The open stream (binary), null when closed.
  std::FILE* Stream() const { return stream_; }
  // The file that Commit replaces (a link already followed) or the device.
  const std::string& Target() const { return target_; }

  // True when the bytes go straight to the target (a device, standard
  // output): nothing is held back until Commit.
  bool IsDirect() const { return stream_ != nullptr && temp_.empty(); }
  // For writers that open a file by name themselves: closes the stream and
  // returns the name to write to (the temporary file, or the device). Commit
  // then puts that file in place.
  std::string HandOver();

  // Writes text as it is; a short write makes the later Commit fail.
  void Write(const std::string& text);

  // Flushes and closes the stream: a device or standard output has then had
  // every byte, and a temporary file waits for Commit. False when a write or
  // the close failed (Commit then fails too); errno is then the reason of
  // the first failure.
  bool Close();
  // Closes (if still open) and renames over the target, which keeps the
  // access rights the old file had. False when any write, the close or the
  // rename failed; the temporary file is then removed and the target keeps
  // its old contents.
  bool Commit();
  // Closes and removes the temporary file; the target is untouched.
  void Abandon();

 private:
  void RemoveTemp();
  void Fail();

  TemporaryFiles* temporaries_ = nullptr;
  std::FILE* stream_ = nullptr;
  std::string target_;
  std::string temp_;  // empty for a device
  bool failed_ = false;
  int error_ = 0;  // errno of the first failed write
  bool handedOver_ = false;
  bool closed_ = false;  // by Close, for Commit
};

}  // namespace vantor
