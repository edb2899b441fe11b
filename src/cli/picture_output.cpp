#include "cli/picture_output.h"

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "device/painter_device.h"
#include "device/picture_file.h"
#include "encode/cgm_writer.h"
#include "params/list_files.h"
#include "params/parameter_file.h"
#include "plot/hpgl_plotter.h"
#include "plot/layout.h"
#include "plot/replay.h"
#include "plot/run_picture.h"
#include "cli/commands.h"

namespace vantor::cli {
namespace {

constexpr int kMaxSide = 8000;

bool ParseSide(const std::string& text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::atoi(text.c_str());
  return value >= 1 && value <= kMaxSide;
}

int CannotWrite(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "vantor-cli run: cannot write %s%s%s\n", path.c_str(),
               why.empty() ? "" : ": ", why.c_str());
  return 1;
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

}  // namespace

bool ParsePictureSize(const std::string& text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  return ParseSide(text.substr(0, x), width) && ParseSide(text.substr(x + 1), height);
}

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
  DeleteRunRecords(state_->picture.replay);
}

bool PictureJob::Wanted() const {
  return !options_.pngFile.empty() || !options_.svgFile.empty() || !options_.pdfFile.empty() ||
         !options_.cgmFile.empty() || !options_.pltFile.empty() || !options_.overlayFiles.empty();
}

bool PictureJob::Check(std::string& error) {
  if (!options_.pictureSize.empty() && !ParsePictureSize(options_.pictureSize, width_, height_)) {
    error = "--size needs WxH, each 1 to 8000: " + options_.pictureSize;
    return false;
  }
  return true;
}

RunResult PictureJob::RunFirst(ParameterSet& params, const GateTable& gates, RunSink& extra) {
  State& s = *state_;
  // The colours the program would use here, if its preference file is there.
  SilentMessages quiet;
  ReadCountList(ProgramDirectory() + "VANTORW.INI", s.picture.preferences.values.data(),
                kPreferenceCount, quiet);
  params.SetValue(param::PlotChoice, 0);

  s.window = QImage(width_, height_, QImage::Format_RGB32);
  s.window.fill(Qt::white);
  s.painter.begin(&s.window);
  s.device = std::make_unique<PainterDevice>(s.painter, width_, height_);
  s.picture.target.SetDevice(s.device.get());

  RunFlags flags;
  RunPictureOptions runOptions;
  runOptions.extraSink = &extra;
  return BeginRun(s.picture, params, gates, flags, messages_, runOptions);
}

RunResult PictureJob::RunOverlays(ParameterSet& params, const GateTable& gates) {
  RunResult result;
  for (const std::string& file : options_.overlayFiles) {
    ParameterSet read = params;
    if (!ReadParameterFile(file, read, messages_)) {
      result.outcome = RunOutcome::Refused;
      result.message = "The overlay file " + file + " could not be read.";
      return result;
    }
    for (int k = 0; k < kParameterCount; ++k) params.SetValue(k, read.Value(k));
    params.SetValue(param::PlotChoice, 0);
    RunFlags flags;
    result = OverlayRun(state_->picture, params, gates, flags, messages_);
    if (result.outcome != RunOutcome::Completed) return result;
  }
  return result;
}

int PictureJob::WriteFiles(const ParameterSet& params) {
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

  const std::pair<const std::string*, PictureFormat> files[] = {
      {&options_.pngFile, PictureFormat::Png},
      {&options_.svgFile, PictureFormat::Svg},
      {&options_.pdfFile, PictureFormat::Pdf},
  };
  for (const auto& [path, format] : files) {
    if (path->empty()) continue;
    std::string error;
    if (!SavePicture(format, *path, width_, height_, background, redraw(plain, "vt.plt", messages_), error))
      return CannotWrite(*path, error);
  }

  if (!options_.cgmFile.empty()) {
    CgmWriter cgm(target.surface);
    if (!cgm.CgmOpen(options_.cgmFile)) return CannotWrite(options_.cgmFile, "");
    target.AttachCgm(&cgm);
    DrawScratch(width_, height_, redraw(plain, "vt.plt", messages_));
    target.AttachCgm(nullptr);
    if (!cgm.CgmClose()) return CannotWrite(options_.cgmFile, "");
  }

  if (!options_.pltFile.empty()) {
    // Plotter choice 3: a plotter file, here under the name given.
    const ParameterSet toFile = WithPlotChoice(params, 3);
    HpglPlotter plotter;
    target.AttachPlotter(&plotter);
    s.picture.plotterOutputFailed = false;
    CountingMessages told(messages_);
    DrawScratch(width_, height_, redraw(toFile, options_.pltFile, told));
    const bool closedCleanly = !plotter.Active() || plotter.ClosePlotter();
    target.AttachPlotter(nullptr);
    if (told.count > 0 || !closedCleanly || s.picture.plotterOutputFailed)
      return CannotWrite(options_.pltFile, "");
  }
  return 0;
}

}  // namespace vantor::cli
