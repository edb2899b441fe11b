#include "nwb/child_read.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vantor::nwb {
namespace {

// A reader that has not finished in this long is looping on a damaged file.
constexpr unsigned kSecondsAllowed = 300;

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadInChild(const std::function<std::string()>& read,
                                       std::string& error) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    error = std::string("no pipe to a reader process: ") + std::strerror(errno);
    return std::nullopt;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    error = std::string("no reader process: ") + std::strerror(errno);
    return std::nullopt;
  }
  if (child == 0) {
    close(pipeFds[0]);
    signal(SIGPIPE, SIG_DFL);
    alarm(kSecondsAllowed);
    const std::string bytes = read();
    _exit(WriteAll(pipeFds[1], bytes) ? 0 : 1);
  }
  close(pipeFds[1]);
  std::string bytes;
  char block[1 << 16];
  for (;;) {
    const ssize_t n = ::read(pipeFds[0], block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(block, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return bytes;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    error = "the file is damaged: reading it did not end";
  else
    error = "the file is damaged: the HDF5 library failed reading it";
  return std::nullopt;
}

void Packer::Number(double v) { bytes.append(reinterpret_cast<const char*>(&v), sizeof v); }

void Packer::Text(const std::string& text) {
  const std::uint64_t n = text.size();
  bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
  bytes += text;
}

void Packer::Numbers(const std::vector<double>& values) {
  const std::uint64_t n = values.size();
  bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
  bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double));
}

void Packer::Texts(const std::vector<std::string>& texts) {
  const std::uint64_t n = texts.size();
  bytes.append(reinterpret_cast<const char*>(&n), sizeof n);
  for (const std::string& text : texts) Text(text);
}

bool Unpacker::Take(void* out, std::size_t n) {
  if (n > bytes_.size() - at_) return false;
  std::memcpy(out, bytes_.data() + at_, n);
  at_ += n;
  return true;
}

bool Unpacker::Count(std::size_t& n) {
  std::uint64_t count = 0;
  if (!Take(&count, sizeof count) || count > bytes_.size() - at_) return false;
  n = static_cast<std::size_t>(count);
  return true;
}

bool Unpacker::Number(double& v) { return Take(&v, sizeof v); }

bool Unpacker::Text(std::string& text) {
  std::size_t n = 0;
  if (!Count(n)) return false;
  text.assign(bytes_, at_, n);
  at_ += n;
  return true;
}

bool Unpacker::Numbers(std::vector<double>& values) {
  std::size_t n = 0;
  if (!Count(n) || n > (bytes_.size() - at_) / sizeof(double)) return false;
  values.resize(n);
  return Take(values.data(), n * sizeof(double));
}

bool Unpacker::Texts(std::vector<std::string>& texts) {
  std::size_t n = 0;
  if (!Count(n)) return false;
  texts.resize(n);
  for (std::string& text : texts)
    if (!Text(text)) return false;
  return true;
}

}  // namespace vantor::nwb
