// The picture of "vantor-cli run" in a command line built without Qt: asking
// for one is refused before anything runs, with the reason.
#include "cli/picture_output.h"

namespace vantor::cli {

struct PictureJob::State {};

PictureJob::PictureJob(const RunOptions& options, Messages& messages)
    : options_(options), messages_(messages) {}

PictureJob::~PictureJob() = default;

bool PictureJob::Wanted() const {
  const RunOptions& o = options_;
  return !o.pngFile.empty() || !o.svgFile.empty() || !o.pdfFile.empty() || !o.cgmFile.empty() ||
         !o.pltFile.empty() || !o.overlayFiles.empty();
}

bool PictureJob::Check(std::string& error) {
  if (!Wanted()) return true;
  error = "this vantor-cli was built without Qt (VANTOR_WITH_QT=OFF): "
          "--png, --svg, --pdf, --cgm, --plt and --overlay are not available";
  return false;
}

RunResult PictureJob::RunFirst(ParameterSet& params, const GateTable& gates, RunSink& extra,
                               RunFlags& flags, const std::function<void()>& pump,
                               const RunTuning& tuning) {
  return RunTrial(params, gates, extra, flags, pump, tuning);
}

RunResult PictureJob::RunOver(ParameterSet& params, const GateTable& gates, RunSink* extra,
                              RunFlags& flags, const std::function<void()>& pump,
                              const RunTuning& tuning) {
  struct Nothing : RunSink {
    void Sample(const RunSample&) override {}
    bool NeedsCurrents() const override { return false; }
  } nothing;
  return RunTrial(params, gates, extra ? *extra : nothing, flags, pump, tuning);
}

RunResult PictureJob::RunOverlays(ParameterSet&, const std::vector<ParameterSet>&,
                                  const GateTable&, RunFlags&, const std::function<void()>&,
                                  const RunTuning&) {
  return {};
}

int PictureJob::WriteFiles(const ParameterSet&, OutputSet&, const std::string&) { return 0; }

}  // namespace vantor::cli
