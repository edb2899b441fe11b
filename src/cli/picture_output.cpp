#include "cli/picture_output.h"

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "device/painter_device.h"
#include "device/picture_file.h"
#include "vantor/render/cgm_writer.h"
#include "vantor/params/list_files.h"
#include "vantor/params/parameter_file.h"
#include "vantor/render/hpgl_plotter.h"
#include "vantor/render/layout.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_picture.h"
#include "cli/commands.h"
#include "cli/diagnostics.h"
#include "cli/interrupts.h"

namespace vantor::cli {
namespace {

int CannotWrite(const std::string& path, const std::string& why) {
  PrintError("Could not write file " + path + (why.empty() ? "" : " (" + why + ")"));
  return kExitRefused;
}

// The picture files never drive a plotter from the parameters: HP-GL comes
// only from --plt, and nothing is written to "vt.plt" or a printer port
// behind the user's back.
ParameterSet WithPlotChoice(const ParameterSet& params, float choice) {
  ParameterSet copy = params;
  copy.SetValue(param::PlotChoice, choice);
  return copy;
}

// Passes messages on and counts them: a plotter file that cannot be opened
// is told about there and must also fail the command.
class CountingMessages : public Messages {
 public:
  explicit CountingMessages(Messages& inner) : inner_(inner) {}
  void Warn(std::string_view caption, std::string_view text) override {
    ++count;
    inner_.Warn(caption, text);
  }
  int count = 0;

 private:
  Messages& inner_;
};

// The tests lower the bound to reach the record file with a short run.
std::size_t SamplesInMemory() {
  const char* bound = std::getenv("VANTOR_CLI_SAMPLES_IN_MEMORY");
  if (bound == nullptr || *bound == '\0') return kSamplesInMemory;
  return static_cast<std::size_t>(std::strtoull(bound, nullptr, 10));
}

}  // namespace

// The window the runs draw on while they go; the files are redrawn anew.
struct PictureJob::State {
  Picture picture;
  QImage window;
  QPainter painter;
  std::unique_ptr<PainterDevice> device;
};

PictureJob::PictureJob(const RunOptions& options, Messages& messages)
    : options_(options), messages_(messages), state_(std::make_unique<State>()) {}

PictureJob::~PictureJob() {
  state_->picture.target.SetDevice(nullptr);
  state_->device.reset();
  if (state_->painter.isActive()) state_->painter.end();
  DeleteRunRecords(state_->picture.replay, &CommandTemporaries());
  if (!recordDirectory_.empty()) RemoveTemporaryFolder(recordDirectory_);
}

bool PictureJob::Wanted() const {
  return !options_.pngFile.empty() || !options_.svgFile.empty() || !options_.pdfFile.empty() ||
         !options_.cgmFile.empty() || !options_.pltFile.empty() || !options_.overlayFiles.empty();
}

bool PictureJob::Check(std::string& error) {
  if (!options_.pictureSize.empty() && !ParsePictureSize(options_.pictureSize, width_, height_)) {
    error = "--size needs WxH, each side " + std::to_string(kMinSide) + " to " +
            std::to_string(kMaxSide) + " pixels: " + options_.pictureSize;
    return false;
  }
  return true;
}

RunResult PictureJob::RunFirst(ParameterSet& params, const GateTable& gates, RunSink& extra,
                               RunFlags& flags, const std::function<void()>& pump,
                               const RunTuning& tuning, const std::string& drive) {
  State& s = *state_;
  // The runs' record files go to a folder of their own, removed with
  // everything in it however the command ends.
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "vantor-cli-XXXXXX").string();
  if (error || !MakeTemporaryFolder(pattern)) {
    RunResult refused;
    refused.outcome = RunOutcome::Refused;
    refused.message = "No folder for the run's record file could be made in " +
                      std::filesystem::temp_directory_path(error).string() + ".";
    return refused;
  }
  recordDirectory_ = pattern;
  // The colours the program would use here, if its preference file is there.
  SilentMessages quiet;
  ReadCountList(ProgramDirectory() + "VANTORW.INI", s.picture.preferences.values.data(),
                kPreferenceCount, quiet);
  params.SetValue(param::PlotChoice, 0);

  // The runs draw as they go, as on the program's window, but every file is
  // redrawn anew afterwards: what they draw here is thrown away, so one pixel
  // holds it (the picture's size would take 1.6 GB at 20000 x 20000). The
  // device keeps the picture's size, and the image's resolution, which text
  // is measured in, does not depend on its size.
  s.window = QImage(1, 1, QImage::Format_RGB32);
  s.window.fill(Qt::white);
  s.painter.begin(&s.window);
  s.device = std::make_unique<PainterDevice>(s.painter, width_, height_);
  s.picture.target.SetDevice(s.device.get());

  RunPictureOptions runOptions;
  runOptions.recordDirectory = recordDirectory_;
  runOptions.temporaries = &CommandTemporaries();
  runOptions.samplesInMemory = SamplesInMemory();
  runOptions.extraSink = &extra;
  runOptions.pump = pump;
  runOptions.tuning = tuning;
  runOptions.drive = drive;
  return BeginRun(s.picture, params, gates, flags, messages_, runOptions);
}

RunResult PictureJob::RunOver(ParameterSet& params, const GateTable& gates, RunSink* extra,
                              RunFlags& flags, const std::function<void()>& pump,
                              const RunTuning& tuning, const std::string& drive) {
  RunPictureOptions runOptions;
  runOptions.recordDirectory = recordDirectory_;
  runOptions.temporaries = &CommandTemporaries();
  runOptions.samplesInMemory = SamplesInMemory();
  runOptions.extraSink = extra;
  runOptions.pump = pump;
  runOptions.tuning = tuning;
  runOptions.drive = drive;
  params.SetValue(param::PlotChoice, 0);
  return OverlayRun(state_->picture, params, gates, flags, messages_, runOptions);
}

RunResult PictureJob::RunOverlays(ParameterSet& params, const std::vector<ParameterSet>& overlays,
                                  const GateTable& gates, RunFlags& flags,
                                  const std::function<void()>& pump, const RunTuning& tuning) {
  RunResult result;
  RunPictureOptions runOptions;
  runOptions.tuning = tuning;
  runOptions.recordDirectory = recordDirectory_;
  runOptions.temporaries = &CommandTemporaries();
  runOptions.samplesInMemory = SamplesInMemory();
  runOptions.pump = pump;
  for (const ParameterSet& overlay : overlays) {
    for (int k = 0; k < kParameterCount; ++k) params.SetValue(k, overlay.Value(k));
    params.SetValue(param::PlotChoice, 0);
    result = OverlayRun(state_->picture, params, gates, flags, messages_, runOptions);
    if (result.outcome != RunOutcome::Completed) return result;
  }
  return result;
}

int PictureJob::WriteFiles(const ParameterSet& params, OutputSet& outputs,
                           const std::string& description) {
  ReachedPhase("draw");
  State& s = *state_;
  OutputTarget& target = s.picture.target;
  target.SetDevice(nullptr);
  s.device.reset();
  if (s.painter.isActive()) s.painter.end();

  const ParameterSet plain = WithPlotChoice(params, 0);
  auto redraw = [&](const ParameterSet& with, const std::string& plotterFile, Messages& told) {
    return [&s, &target, &with, &told, plotterFile](Device& device) {
      target.SetDevice(&device);
      RedrawPlot(s.picture, with, told, plotterFile);
      target.SetDevice(nullptr);
    };
  };
  const uint32_t background = s.picture.preferences.Colour(Preferences::BackgroundColour);

  const std::pair<const char*, PictureFormat> files[] = {
      {"--png", PictureFormat::Png},
      {"--svg", PictureFormat::Svg},
      {"--pdf", PictureFormat::Pdf},
  };
  // An interrupted command draws no further picture.
  for (const auto& [option, format] : files) {
    OutputFile* out = outputs.File(option);
    if (out == nullptr) continue;
    if (Interrupted()) return kExitRefused;
    const QByteArray bytes =
        RenderPicture(format, width_, height_, background, redraw(plain, "vt.plt", messages_),
                      description);
    if (bytes.isEmpty()) return CannotWrite(outputs.Path(option), "the picture could not be encoded");
    out->Write(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    ReachedPhase(option + 2);  // "png" for --png
  }

  if (OutputFile* out = outputs.File("--cgm")) {
    if (Interrupted()) return kExitRefused;
    CgmWriter cgm(target.surface, &CommandTemporaries());
    if (!cgm.CgmOpen(out->HandOver(), out->Target())) return CannotWrite(options_.cgmFile, "");
    target.AttachCgm(&cgm);
    DrawScratch(width_, height_, redraw(plain, "vt.plt", messages_));
    target.AttachCgm(nullptr);
    ReachedPhase("cgm");
    if (!cgm.CgmClose()) return CannotWrite(options_.cgmFile, "");
  }

  if (OutputFile* out = outputs.File("--plt")) {
    if (Interrupted()) return kExitRefused;
    const std::string pltPath = out->HandOver();
    // Plotter choice 3: a plotter file, here under the name given.
    const ParameterSet toFile = WithPlotChoice(params, 3);
    HpglPlotter plotter(&CommandTemporaries());
    target.AttachPlotter(&plotter);
    s.picture.plotterOutputFailed = false;
    CountingMessages told(messages_);
    DrawScratch(width_, height_, redraw(toFile, pltPath, told));
    ReachedPhase("plt");
    const bool closedCleanly = !plotter.Active() || plotter.ClosePlotter();
    target.AttachPlotter(nullptr);
    if (told.count > 0 || !closedCleanly || s.picture.plotterOutputFailed)
      return CannotWrite(options_.pltFile, "");
  }
  return 0;
}

}  // namespace vantor::cli
