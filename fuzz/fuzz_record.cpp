// A record file replayed: read whole, and every trace drawn from it through
// the drawing layer onto a surface that keeps nothing, mirrored into the
// metafile as a picture with a metafile does.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz_input.h"
#include "null_device.h"
#include "vantor/engine/run_sample.h"
#include "vantor/render/cgm_writer.h"
#include "vantor/render/output_target.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string path = vantor::fuzz::WriteInput("VTW0000.TMP", vantor::fuzz::Bytes(data, size));
  const std::string metafile = vantor::fuzz::ScratchPath("picture.cgm");
  (void)vantor::ReadRunRecord(path);

  vantor::fuzz::NullDevice device;
  vantor::OutputTarget target;
  target.SetDevice(&device);
  // 0 .. 1000 ms across the surface, -100 .. 50 mV up its height.
  target.surface = {1200, 800, 1.2, 0, -800.0 / 150, 800 * 50.0 / 150};
  vantor::CgmWriter cgm(target.surface);
  target.AttachCgm(&cgm);
  if (!cgm.CgmOpen(metafile, "fuzz")) return 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  for (int trace = 1; trace <= vantor::kSampleSlots; ++trace) {
    std::rewind(file);
    // Every other trace kept to its band, as the picture's bands are.
    if (trace % 2 == 0) {
      target.SetTraceClip({0, 1000, -100, 50});
    } else {
      target.ClearTraceClip();
    }
    vantor::DrawTraceFromRecord(target, trace, file);
  }
  std::fclose(file);
  cgm.CgmClose();
  return 0;
}
