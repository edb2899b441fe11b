#include "app/nwb_export.h"

#include "app/data_paths.h"

#include <QFile>

#include "vantor/analysis/measures.h"
#include "vantor/engine/protocol.h"
#include "vantor/engine/sample_columns.h"
#include "vantor/files/csv_sink.h"
#include "vantor/files/output_file.h"
#include "vantor/nwb/nwb_columns.h"
#include "vantor/nwb/nwb_file.h"
#include "vantor/nwb/run_inputs.h"
#include "vantor/nwb/run_provenance.h"
#include "vantor/render/run_legend.h"
#include "vantor/render/run_record.h"

namespace vantor::app {

bool ExportNwb(const Picture& picture, const ParameterSet& params, const GateTable& gates,
               const QString& path, QString& error) {
  if (!nwb::Available()) {
    error = QStringLiteral("this build has no HDF5 library, so it cannot write NWB files");
    return false;
  }
  const std::vector<const RecordedRun*> runs = PictureRuns(picture.replay);
  if (runs.empty()) {
    error = QStringLiteral("there is no run to export");
    return false;
  }
  nwb::Recording recording;
  recording.identifier = nwb::NewIdentifier();
  recording.startTime = nwb::StartTimeNow();
  ParameterSet first = params;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const RecordedRun& run = *runs[i];
    ParameterSet runParams = params;
    if (run.parameters.size() == static_cast<std::size_t>(kParameterCount))
      for (int k = 0; k < kParameterCount; ++k) runParams.SetValue(k, run.parameters[static_cast<std::size_t>(k)]);
    const std::optional<std::vector<RunSample>> samples = ReadRunRecord(run.recordName);
    if (!samples || samples->size() < 2) {
      error = QStringLiteral("the record of run %1 cannot be read").arg(i + 1);
      return false;
    }
    SampleColumns columns(runParams);
    for (const RunSample& sample : *samples) columns.Sample(sample);
    std::vector<std::vector<double>> data = columns.Take();
    VmTrace trace;
    trace.t = data[0];
    trace.v = data[1];
    const std::vector<double> spikes = SpikeTimes(FindSpikes(trace, MeasureSettings{}.rule));
    nwb::Sweep sweep =
        nwb::CurrentClampSweep(static_cast<std::uint32_t>(i + 1), CsvColumnNames(runParams), std::move(data));
    sweep.spikeTimesMs = spikes;
    if (i == 0) {
      first = runParams;
      recording.sessionDescription =
          runParams.Comment().empty() ? std::string("A simulated cell") : runParams.Comment();
      recording.provenance = nwb::RunProvenance(runParams, gates, 0, VANTOR_VERSION);
      std::optional<std::vector<std::uint8_t>> file = nwb::ParameterFileBytes(runParams);
      if (!file) {
        error = QStringLiteral("the parameter set could not be written to a temporary folder");
        return false;
      }
      recording.provenance.parameterFile = std::move(*file);
      recording.provenance.gateTable = nwb::GateTableBytes(gates);
    }
    sweep.description = nwb::SweepDescription(first, runParams, i);
    recording.sweeps.push_back(std::move(sweep));
  }
  OutputFile out;
  if (!out.Open(QFile::encodeName(path).toStdString())) {
    error = WriteFailureReason(path);
    return false;
  }
  const std::string failure = nwb::WriteRecording(out.HandOver(), recording);
  if (!failure.empty()) {
    error = QString::fromStdString(failure);
    return false;  // the temporary file goes with `out`; the target stays as it was
  }
  if (!out.Commit()) {
    error = QStringLiteral("the finished file could not be put in place");
    return false;
  }
  return true;
}

}  // namespace vantor::app
