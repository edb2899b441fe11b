// Small owners of libhdf5 objects, and the few writes an NWB file needs:
// groups, text and numeric attributes, compressed numeric datasets, text
// datasets, soft links and object references. Every call reports failure
// as false; HDF5's own error printing is switched off by the file.
#pragma once

#include <hdf5.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::nwb {

class Handle {
 public:
  using Closer = herr_t (*)(hid_t);
  Handle() = default;
  Handle(hid_t id, Closer close) : id_(id), close_(close) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : id_(other.id_), close_(other.close_) { other.id_ = -1; }
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      id_ = other.id_;
      close_ = other.close_;
      other.id_ = -1;
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  hid_t id() const { return id_; }
  bool ok() const { return id_ >= 0; }
  void Reset() {
    if (id_ >= 0 && close_) close_(id_);
    id_ = -1;
  }

 private:
  hid_t id_ = -1;
  Closer close_ = nullptr;
};

// Writing into an open file or group `at`.
Handle MakeGroup(hid_t at, const std::string& name);
bool TextAttribute(hid_t at, const std::string& name, const std::string& value);
bool TextArrayAttribute(hid_t at, const std::string& name, const std::vector<std::string>& values);
bool DoubleAttribute(hid_t at, const std::string& name, double value);
bool FloatAttribute(hid_t at, const std::string& name, float value);
bool IntAttribute(hid_t at, const std::string& name, std::int32_t value);
bool UIntAttribute(hid_t at, const std::string& name, std::uint32_t value);
// An attribute holding a reference to the object at `path` in the file.
bool ReferenceAttribute(hid_t at, const std::string& name, hid_t file, const std::string& path);

// Numeric datasets, chunked and compressed (shuffle + deflate) when long.
// `single` stores the values as 32-bit floats.
Handle DoubleDataset(hid_t at, const std::string& name, const std::vector<double>& values,
                     bool single = false);
Handle ScalarDouble(hid_t at, const std::string& name, double value);
Handle IntDataset(hid_t at, const std::string& name, const std::vector<std::int64_t>& values);
Handle UIntDataset(hid_t at, const std::string& name, const std::vector<std::uint64_t>& values);
Handle ByteDataset(hid_t at, const std::string& name, const std::vector<std::uint8_t>& bytes);
Handle TextDataset(hid_t at, const std::string& name, const std::string& value);
Handle TextArrayDataset(hid_t at, const std::string& name, const std::vector<std::string>& values);
bool SoftLink(hid_t at, const std::string& name, const std::string& target);

// Reading back.
bool Exists(hid_t at, const std::string& path);
bool ReadTextAttribute(hid_t at, const std::string& object, const std::string& name,
                       std::string& value);
bool ReadText(hid_t at, const std::string& path, std::string& value);
bool ReadTextArray(hid_t at, const std::string& path, std::vector<std::string>& values);
bool ReadDoubles(hid_t at, const std::string& path, std::vector<double>& values);
bool ReadBytes(hid_t at, const std::string& path, std::vector<std::uint8_t>& values);
bool ReadDoubleAttribute(hid_t at, const std::string& object, const std::string& name,
                         double& value);

}  // namespace vantor::nwb
