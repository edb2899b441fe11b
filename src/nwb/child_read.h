// Reading a file in a child process: the HDF5 library can crash, or take all
// the memory, on a damaged or hostile file, and a reader must not take the
// program down with it. The child hands its result back as bytes.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vantor::nwb {

// The bytes `read` returns, run in a child process; none, with `error` set,
// when the child could not be started or did not end normally.
std::optional<std::string> ReadInChild(const std::function<std::string()>& read,
                                       std::string& error);

// Plain bytes for what the child hands back: lengths, then contents.
class Packer {
 public:
  void Number(double v);
  void Text(const std::string& text);
  void Numbers(const std::vector<double>& values);
  void Texts(const std::vector<std::string>& texts);
  std::string bytes;
};

class Unpacker {
 public:
  explicit Unpacker(const std::string& bytes) : bytes_(bytes) {}
  bool Number(double& v);
  bool Text(std::string& text);
  bool Numbers(std::vector<double>& values);
  bool Texts(std::vector<std::string>& texts);

 private:
  bool Take(void* out, std::size_t n);
  bool Count(std::size_t& n);
  const std::string& bytes_;
  std::size_t at_ = 0;
};

}  // namespace vantor::nwb
