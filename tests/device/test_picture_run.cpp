#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_paths.h"
#include "device/gui_app.h"
#include "device/painter_device.h"
#include "device/picture_file.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/palette.h"
#include "vantor/render/replay.h"
#include "vantor/render/run_picture.h"

namespace vantor {
namespace {

constexpr int W = 1200, H = 800;

bool Ink(QRgb pixel) { return pixel != qRgb(255, 255, 255); }

int InkIn(const QImage& image, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += Ink(image.pixel(x, y));
  return n;
}

int ColourIn(const QImage& image, const QRect& area, QRgb colour) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
  return n;
}

QRgb Rgb(uint32_t ref) { return qRgb(RedOf(ref), GreenOf(ref), BlueOf(ref)); }

// Default runs, drawn as the program draws them, then redrawn into files.
class PictureOfARun : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureGuiApp();
    CollectedMessages gateMessages;
    ASSERT_TRUE(LoadGateTable(std::string(VANTOR_BIN_DIR) + "/vmodels.val", gates, gateMessages));
    options.recordDirectory = ::testing::TempDir();
    window = QImage(W, H, QImage::Format_RGB32);
    window.fill(Qt::white);
  }
  void TearDown() override { DeleteRunRecords(picture.replay); }

  // Runs on the window image as Begin (or Overlay) does.
  void Run(bool overlay) {
    QPainter painter(&window);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    PainterDevice device(painter, W, H);
    picture.target.SetDevice(&device);
    RunFlags flags;
    const RunResult result = overlay ? OverlayRun(picture, params, gates, flags, messages, options)
                                     : BeginRun(picture, params, gates, flags, messages, options);
    picture.target.SetDevice(nullptr);
    ASSERT_EQ(result.outcome, RunOutcome::Completed) << result.message;
  }
  QImage Redrawn() {
    const QByteArray png = RenderPicture(PictureFormat::Png, W, H, 0xFFFFFF, [&](Device& device) {
      picture.target.SetDevice(&device);
      RedrawPlot(picture, params, messages);
      picture.target.SetDevice(nullptr);
    });
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
  }

  GateTable gates;
  ParameterSet params;
  Picture picture;
  CollectedMessages messages;
  RunPictureOptions options;
  QImage window;
};

TEST_F(PictureOfARun, DefaultRunFillsItsBands) {
  Run(false);
  const QImage image = Redrawn();
  ASSERT_EQ(image.size(), QSize(W, H));
  const QRgb run = Rgb(RunColour(0));
  const QRgb voltage = qRgb(255, 0, 0);
  // V-m band (page fractions 0.972 .. about 0.32 from the bottom), left of the axis.
  const QRect vmBand(12, static_cast<int>(0.03 * H), static_cast<int>(0.74 * W), 0.6 * H);
  EXPECT_GT(ColourIn(image, vmBand, run), 2000);
  // Spikes reach above 0 mV, a tenth of the band from its top.
  EXPECT_GT(ColourIn(image, QRect(12, 22, 880, 70), run), 50);
  // The title, centred over the traces at the top.
  EXPECT_GT(ColourIn(image, QRect(300, 0, 300, 35), run), 100);
  // The V-m axis line just right of the traces, in the voltage colour.
  EXPECT_GT(ColourIn(image, QRect(912, 100, 8, 400), voltage), 300);
  // The time bar at 3 per cent of the page height, right of the axis labels.
  EXPECT_GT(ColourIn(image, QRect(1000, 20, 100, 8), voltage), 100);
  // I-Inj band: the step figure and the scale arrow with its label.
  EXPECT_GT(ColourIn(image, QRect(12, static_cast<int>(0.68 * H), 880, 0.24 * H), run), 800);
  EXPECT_GT(InkIn(image, QRect(940, static_cast<int>(0.7 * H), 200, 80)), 300);
  // Nothing in the bottom strip: no listing on screen.
  EXPECT_EQ(InkIn(image, QRect(0, static_cast<int>(0.92 * H), W, 0.08 * H - 1)), 0);
}

TEST_F(PictureOfARun, RedrawMatchesWhatTheRunDrew) {
  Run(false);
  const QImage image = Redrawn();
  // The live trace and the replayed one are the same polyline.
  const QRect vmBand(12, 22, 880, 500);
  int differing = 0;
  for (int y = vmBand.top(); y <= vmBand.bottom(); ++y)
    for (int x = vmBand.left(); x <= vmBand.right(); ++x)
      differing += Ink(window.pixel(x, y)) != Ink(image.pixel(x, y));
  EXPECT_LT(differing, 0.02 * InkIn(image, vmBand));
}

TEST_F(PictureOfARun, VectorFormatsAndSafeWriting) {
  Run(false);
  auto draw = [&](Device& device) {
    picture.target.SetDevice(&device);
    RedrawPlot(picture, params, messages);
    picture.target.SetDevice(nullptr);
  };
  const QByteArray svg = RenderPicture(PictureFormat::Svg, W, H, 0xFFFFFF, draw);
  QSvgRenderer renderer(svg);
  EXPECT_TRUE(renderer.isValid());
  EXPECT_TRUE(svg.contains("Train of action potentials"));
  EXPECT_TRUE(svg.contains("Potential (mV)"));
  const QByteArray pdf = RenderPicture(PictureFormat::Pdf, W, H, 0xFFFFFF, draw);
  EXPECT_TRUE(pdf.startsWith("%PDF"));

  const std::string dir = vantor::testing::TestScratchDir().string();
  const std::string path = dir + "/picture.png";
  {
    std::ofstream old(path);
    old << "previous";
  }
  std::string error;
  ASSERT_TRUE(SavePicture(PictureFormat::Png, path, W, H, 0xFFFFFF, draw, error)) << error;
  QImage saved(QString::fromStdString(path));
  EXPECT_EQ(saved.size(), QSize(W, H));
  // Nothing is left beside the target.
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    leftovers += entry.path().filename().string().rfind("picture.png", 0) == 0 &&
                 entry.path().filename() != "picture.png";
  EXPECT_EQ(leftovers, 0);
  EXPECT_FALSE(SavePicture(PictureFormat::Png, dir + "/no/such/dir/p.png", W, H, 0xFFFFFF, draw,
                           error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(PictureFormatForPath("a/b.SVG"), PictureFormat::Svg);
  EXPECT_FALSE(PictureFormatForPath("a.b/c").has_value());
}

TEST_F(PictureOfARun, NowhereToRecordRefusesBeforeDrawing) {
  // Neither the chosen directory nor the system's temporary one takes the file.
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string saved = tmpdir != nullptr ? tmpdir : "";
  setenv("TMPDIR", "/proc/no-such-place", 1);
  options.recordDirectory = "/proc/no-such-place";
  QPainter painter(&window);
  PainterDevice device(painter, W, H);
  picture.target.SetDevice(&device);
  RunFlags flags;
  const RunResult result = BeginRun(picture, params, gates, flags, messages, options);
  picture.target.SetDevice(nullptr);
  painter.end();
  if (tmpdir != nullptr) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
  EXPECT_EQ(result.outcome, RunOutcome::Refused);
  EXPECT_FALSE(result.message.empty());
  EXPECT_EQ(result.samples, 0);
  EXPECT_EQ(InkIn(window, window.rect()), 0);
  EXPECT_TRUE(picture.replay.current.recordName.empty());
}

}  // namespace
}  // namespace vantor
