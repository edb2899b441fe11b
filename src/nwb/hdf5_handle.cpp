#include "nwb/hdf5_handle.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace vantor::nwb {
namespace {

// Datasets shorter than this are stored contiguous: compressing a handful of
// values costs more than it saves.
constexpr hsize_t kChunkFrom = 4096;
constexpr hsize_t kChunk = 65536;
// Fast, and within a few per cent of the best.
constexpr int kDeflateLevel = 1;

Handle TextType() {
  Handle type(H5Tcopy(H5T_C_S1), H5Tclose);
  if (!type.ok() || H5Tset_size(type.id(), H5T_VARIABLE) < 0 ||
      H5Tset_cset(type.id(), H5T_CSET_UTF8) < 0)
    return {};
  return type;
}

Handle Scalar() { return Handle(H5Screate(H5S_SCALAR), H5Sclose); }
Handle Simple(hsize_t n) { return Handle(H5Screate_simple(1, &n, nullptr), H5Sclose); }

bool Attribute(hid_t at, const std::string& name, hid_t type, hid_t space, const void* data) {
  Handle attribute(H5Acreate2(at, name.c_str(), type, space, H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
  return attribute.ok() && H5Awrite(attribute.id(), type, data) >= 0;
}

// A dataset creation list: chunked and compressed when long enough.
Handle CreationList(hsize_t n) {
  Handle list(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
  // Every value is written at once: no fill value first.
  if (!list.ok() || H5Pset_fill_time(list.id(), H5D_FILL_TIME_NEVER) < 0) return {};
  if (n < kChunkFrom) return list;
  const hsize_t chunk = std::min(n, kChunk);
  if (H5Pset_chunk(list.id(), 1, &chunk) < 0) return {};
  if (H5Zfilter_avail(H5Z_FILTER_SHUFFLE) > 0) H5Pset_shuffle(list.id());
  if (H5Zfilter_avail(H5Z_FILTER_DEFLATE) > 0) H5Pset_deflate(list.id(), kDeflateLevel);
  return list;
}

// A transfer list with a small conversion buffer: HDF5 clears its default
// megabyte for every write that converts, even of one value.
Handle SmallTransfer() {
  Handle list(H5Pcreate(H5P_DATASET_XFER), H5Pclose);
  if (list.ok() && H5Pset_buffer(list.id(), 1 << 16, nullptr, nullptr) < 0) return {};
  return list;
}

Handle Dataset(hid_t at, const std::string& name, hid_t fileType, hid_t memType, hsize_t n,
               const void* data) {
  Handle space = Simple(n);
  Handle list = CreationList(n);
  if (!space.ok() || !list.ok()) return {};
  Handle set(H5Dcreate2(at, name.c_str(), fileType, space.id(), H5P_DEFAULT, list.id(), H5P_DEFAULT),
             H5Dclose);
  if (!set.ok()) return {};
  if (n > 0 && H5Dwrite(set.id(), memType, H5S_ALL, H5S_ALL, SmallTransfer().id(), data) < 0) return {};
  return set;
}

std::vector<const char*> Pointers(const std::vector<std::string>& values) {
  std::vector<const char*> pointers;
  for (const std::string& v : values) pointers.push_back(v.c_str());
  return pointers;
}

Handle OpenData(hid_t at, const std::string& path) {
  if (!Exists(at, path)) return {};
  return Handle(H5Dopen2(at, path.c_str(), H5P_DEFAULT), H5Dclose);
}

// The number of elements of a one-dimensional (or scalar) dataset; -1 else.
long long Length(hid_t set) {
  Handle space(H5Dget_space(set), H5Sclose);
  if (!space.ok()) return -1;
  const int rank = H5Sget_simple_extent_ndims(space.id());
  if (rank == 0) return 1;
  if (rank != 1) return -1;
  hsize_t n = 0;
  H5Sget_simple_extent_dims(space.id(), &n, nullptr);
  return static_cast<long long>(n);
}

}  // namespace

Handle MakeGroup(hid_t at, const std::string& name) {
  return Handle(H5Gcreate2(at, name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Gclose);
}

bool TextAttribute(hid_t at, const std::string& name, const std::string& value) {
  Handle type = TextType();
  Handle space = Scalar();
  const char* text = value.c_str();
  return type.ok() && space.ok() && Attribute(at, name, type.id(), space.id(), &text);
}

bool TextArrayAttribute(hid_t at, const std::string& name, const std::vector<std::string>& values) {
  Handle type = TextType();
  Handle space = Simple(values.size());
  const std::vector<const char*> texts = Pointers(values);
  return type.ok() && space.ok() && Attribute(at, name, type.id(), space.id(), texts.data());
}

bool DoubleAttribute(hid_t at, const std::string& name, double value) {
  Handle space = Scalar();
  return space.ok() && Attribute(at, name, H5T_NATIVE_DOUBLE, space.id(), &value);
}

bool FloatAttribute(hid_t at, const std::string& name, float value) {
  Handle space = Scalar();
  return space.ok() && Attribute(at, name, H5T_NATIVE_FLOAT, space.id(), &value);
}

bool IntAttribute(hid_t at, const std::string& name, std::int32_t value) {
  Handle space = Scalar();
  return space.ok() && Attribute(at, name, H5T_NATIVE_INT32, space.id(), &value);
}

bool UIntAttribute(hid_t at, const std::string& name, std::uint32_t value) {
  Handle space = Scalar();
  return space.ok() && Attribute(at, name, H5T_NATIVE_UINT32, space.id(), &value);
}

bool ReferenceAttribute(hid_t at, const std::string& name, hid_t file, const std::string& path) {
  hobj_ref_t ref;
  if (H5Rcreate(&ref, file, path.c_str(), H5R_OBJECT, -1) < 0) return false;
  Handle space = Scalar();
  return space.ok() && Attribute(at, name, H5T_STD_REF_OBJ, space.id(), &ref);
}

// The filters' work done here and each chunk handed over whole: the same
// bytes as HDF5's own shuffle and deflate, without its chunk buffers.
bool WriteChunks(hid_t set, const std::vector<double>& values, bool single) {
  const std::size_t size = single ? 4 : 8;
  const std::size_t chunk = std::min<std::size_t>(values.size(), kChunk);
  std::vector<unsigned char> shuffled(chunk * size);
  std::vector<unsigned char> packed(compressBound(static_cast<uLong>(shuffled.size())));
  for (std::size_t from = 0; from < values.size(); from += chunk) {
    const std::size_t count = std::min(chunk, values.size() - from);
    std::fill(shuffled.begin(), shuffled.end(), 0);  // the last chunk is padded
    // Byte b of every value together, as the shuffle filter lays them.
    for (std::size_t i = 0; i < count; ++i) {
      unsigned char bytes[8];
      if (single) {
        const float f = static_cast<float>(values[from + i]);
        std::memcpy(bytes, &f, 4);
      } else {
        std::memcpy(bytes, &values[from + i], 8);
      }
      for (std::size_t b = 0; b < size; ++b) shuffled[b * chunk + i] = bytes[b];
    }
    uLongf length = static_cast<uLongf>(packed.size());
    if (compress2(packed.data(), &length, shuffled.data(), static_cast<uLong>(shuffled.size()),
                  kDeflateLevel) != Z_OK)
      return false;
    const hsize_t offset = from;
    if (H5Dwrite_chunk(set, H5P_DEFAULT, 0, &offset, length, packed.data()) < 0) return false;
  }
  return true;
}

Handle DoubleDataset(hid_t at, const std::string& name, const std::vector<double>& values,
                     bool single) {
  if (values.size() >= kChunkFrom && std::endian::native == std::endian::little &&
      H5Zfilter_avail(H5Z_FILTER_SHUFFLE) > 0 && H5Zfilter_avail(H5Z_FILTER_DEFLATE) > 0) {
    Handle space = Simple(values.size());
    Handle list = CreationList(values.size());
    if (!space.ok() || !list.ok()) return {};
    // A trace that never moves (a channel switched off) is its fill value
    // alone: no chunk is stored, and every reader sees the value.
    const bool constant = std::all_of(values.begin(), values.end(), [&](double v) {
      return std::memcmp(&v, &values[0], sizeof v) == 0;
    });
    if (constant && (H5Pset_fill_time(list.id(), H5D_FILL_TIME_IFSET) < 0 ||
                     H5Pset_fill_value(list.id(), H5T_NATIVE_DOUBLE, &values[0]) < 0))
      return {};
    Handle set(H5Dcreate2(at, name.c_str(), single ? H5T_IEEE_F32LE : H5T_IEEE_F64LE, space.id(),
                          H5P_DEFAULT, list.id(), H5P_DEFAULT),
               H5Dclose);
    if (!set.ok() || (!constant && !WriteChunks(set.id(), values, single))) return {};
    return set;
  }
  return Dataset(at, name, single ? H5T_IEEE_F32LE : H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE,
                 values.size(), values.data());
}

Handle ScalarDouble(hid_t at, const std::string& name, double value) {
  Handle space = Scalar();
  if (!space.ok()) return {};
  Handle set(H5Dcreate2(at, name.c_str(), H5T_IEEE_F64LE, space.id(), H5P_DEFAULT, H5P_DEFAULT,
                        H5P_DEFAULT),
             H5Dclose);
  if (!set.ok() || H5Dwrite(set.id(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, SmallTransfer().id(), &value) < 0)
    return {};
  return set;
}

Handle IntDataset(hid_t at, const std::string& name, const std::vector<std::int64_t>& values) {
  return Dataset(at, name, H5T_STD_I64LE, H5T_NATIVE_INT64, values.size(), values.data());
}

Handle UIntDataset(hid_t at, const std::string& name, const std::vector<std::uint64_t>& values) {
  return Dataset(at, name, H5T_STD_U64LE, H5T_NATIVE_UINT64, values.size(), values.data());
}

Handle ByteDataset(hid_t at, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  return Dataset(at, name, H5T_STD_U8LE, H5T_NATIVE_UINT8, bytes.size(), bytes.data());
}

Handle TextDataset(hid_t at, const std::string& name, const std::string& value) {
  Handle type = TextType();
  Handle space = Scalar();
  if (!type.ok() || !space.ok()) return {};
  Handle set(H5Dcreate2(at, name.c_str(), type.id(), space.id(), H5P_DEFAULT, H5P_DEFAULT,
                        H5P_DEFAULT),
             H5Dclose);
  const char* text = value.c_str();
  if (!set.ok() || H5Dwrite(set.id(), type.id(), H5S_ALL, H5S_ALL, SmallTransfer().id(), &text) < 0)
    return {};
  return set;
}

Handle TextArrayDataset(hid_t at, const std::string& name, const std::vector<std::string>& values) {
  Handle type = TextType();
  if (!type.ok()) return {};
  const std::vector<const char*> texts = Pointers(values);
  Handle space = Simple(values.size());
  if (!space.ok()) return {};
  Handle set(H5Dcreate2(at, name.c_str(), type.id(), space.id(), H5P_DEFAULT, H5P_DEFAULT,
                        H5P_DEFAULT),
             H5Dclose);
  if (!set.ok() ||
      (!values.empty() && H5Dwrite(set.id(), type.id(), H5S_ALL, H5S_ALL, SmallTransfer().id(), texts.data()) < 0))
    return {};
  return set;
}

bool SoftLink(hid_t at, const std::string& name, const std::string& target) {
  return H5Lcreate_soft(target.c_str(), at, name.c_str(), H5P_DEFAULT, H5P_DEFAULT) >= 0;
}

bool Exists(hid_t at, const std::string& path) {
  // Each step of the path must exist before the next is asked for.
  std::size_t from = path[0] == '/' ? 1 : 0;
  while (true) {
    const std::size_t slash = path.find('/', from);
    const std::string prefix = path.substr(0, slash);
    if (H5Lexists(at, prefix.c_str(), H5P_DEFAULT) <= 0) return false;
    if (slash == std::string::npos) break;
    from = slash + 1;
  }
  return H5Oexists_by_name(at, path.c_str(), H5P_DEFAULT) > 0;
}

bool ReadTextAttribute(hid_t at, const std::string& object, const std::string& name,
                       std::string& value) {
  if (!Exists(at, object) || H5Aexists_by_name(at, object.c_str(), name.c_str(), H5P_DEFAULT) <= 0)
    return false;
  Handle attribute(H5Aopen_by_name(at, object.c_str(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT),
                   H5Aclose);
  Handle type(H5Aget_type(attribute.id()), H5Tclose);
  if (!attribute.ok() || !type.ok() || H5Tget_class(type.id()) != H5T_STRING) return false;
  Handle space(H5Aget_space(attribute.id()), H5Sclose);
  if (!space.ok() || H5Sget_simple_extent_npoints(space.id()) != 1) return false;
  if (H5Tis_variable_str(type.id()) > 0) {
    Handle mem = TextType();
    char* text = nullptr;
    if (H5Aread(attribute.id(), mem.id(), &text) < 0 || text == nullptr) return false;
    value = text;
    H5free_memory(text);
    return true;
  }
  const std::size_t size = H5Tget_size(type.id());
  if (size == 0 || size > (1u << 20)) return false;
  std::string buffer(size, '\0');
  if (H5Aread(attribute.id(), type.id(), buffer.data()) < 0) return false;
  value = buffer.substr(0, buffer.find('\0'));
  return true;
}

bool ReadText(hid_t at, const std::string& path, std::string& value) {
  std::vector<std::string> values;
  if (!ReadTextArray(at, path, values) || values.size() != 1) return false;
  value = values[0];
  return true;
}

bool ReadTextArray(hid_t at, const std::string& path, std::vector<std::string>& values) {
  Handle set = OpenData(at, path);
  if (!set.ok()) return false;
  Handle type(H5Dget_type(set.id()), H5Tclose);
  if (!type.ok() || H5Tget_class(type.id()) != H5T_STRING || H5Tis_variable_str(type.id()) <= 0)
    return false;
  const long long n = Length(set.id());
  if (n < 0 || n > (1 << 20)) return false;
  std::vector<char*> texts(static_cast<std::size_t>(n), nullptr);
  Handle mem = TextType();
  if (n > 0 && H5Dread(set.id(), mem.id(), H5S_ALL, H5S_ALL, H5P_DEFAULT, texts.data()) < 0)
    return false;
  values.clear();
  for (char* text : texts) {
    values.emplace_back(text ? text : "");
    if (text) H5free_memory(text);
  }
  return true;
}

bool ReadDoubles(hid_t at, const std::string& path, std::vector<double>& values) {
  Handle set = OpenData(at, path);
  if (!set.ok()) return false;
  Handle type(H5Dget_type(set.id()), H5Tclose);
  if (!type.ok() || (H5Tget_class(type.id()) != H5T_FLOAT && H5Tget_class(type.id()) != H5T_INTEGER))
    return false;
  const long long n = Length(set.id());
  if (n < 0) return false;
  values.assign(static_cast<std::size_t>(n), 0.0);
  return n == 0 || H5Dread(set.id(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) >= 0;
}

bool ReadBytes(hid_t at, const std::string& path, std::vector<std::uint8_t>& values) {
  Handle set = OpenData(at, path);
  if (!set.ok()) return false;
  Handle type(H5Dget_type(set.id()), H5Tclose);
  if (!type.ok() || H5Tget_class(type.id()) != H5T_INTEGER || H5Tget_size(type.id()) != 1) return false;
  const long long n = Length(set.id());
  if (n < 0) return false;
  values.assign(static_cast<std::size_t>(n), 0);
  return n == 0 || H5Dread(set.id(), H5T_NATIVE_UINT8, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) >= 0;
}

bool ReadDoubleAttribute(hid_t at, const std::string& object, const std::string& name,
                         double& value) {
  if (!Exists(at, object) || H5Aexists_by_name(at, object.c_str(), name.c_str(), H5P_DEFAULT) <= 0)
    return false;
  Handle attribute(H5Aopen_by_name(at, object.c_str(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT),
                   H5Aclose);
  Handle space(H5Aget_space(attribute.id()), H5Sclose);
  if (!attribute.ok() || !space.ok() || H5Sget_simple_extent_npoints(space.id()) != 1) return false;
  return H5Aread(attribute.id(), H5T_NATIVE_DOUBLE, &value) >= 0;
}

}  // namespace vantor::nwb
