// The gallery as shipped: every example file reads, says what it shows in a
// comment the reader keeps whole, and is pictured by the script and described
// on the page; the paired files differ only where their experiment says.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "gallery_run.h"

namespace vantor::gallery {
namespace {

// The files of the gallery, in the page's order.
const char* const kGalleryFiles[] = {
    "default.vt4",        "rebound-burst.vt4",  "a-current-delay.vt4",   "h-sag.vt4",
    "ahp-adaptation.vt4", "m-adaptation.vt4",   "nap-plateau.vt4",       "epsp-train.vt4",
    "nmda-magnesium.vt4", "nmda-no-magnesium.vt4", "ipsp-train.vt4",     "temperature-22.vt4",
    "temperature-35.vt4", "stimuli/ramp-rheobase.vt4", "stimuli/noise-firing.vt4",
    "stimuli/train-following.vt4", "stimuli/waveform-playback.vt4",
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(GalleryFiles, EachReadsWithACommentThatFitsAndIsNamedByScriptAndPage) {
  const std::string script = ReadText(VANTOR_SOURCE_DIR "/scripts/gallery.sh");
  const std::string page = ReadText(VANTOR_SOURCE_DIR "/docs/gallery.md");
  ASSERT_FALSE(script.empty());
  ASSERT_FALSE(page.empty());
  for (const char* name : kGalleryFiles) {
    SCOPED_TRACE(name);
    const ParameterSet p = LoadExample(name);
    // The reader keeps 68 characters of the first line; the whole comment
    // must survive it, and it must not be the built-in one but for the
    // built-in set.
    const std::string text = ReadText(ExamplePath(name));
    const std::string firstLine = text.substr(0, text.find('\n'));
    EXPECT_LE(firstLine.size(), 68u);
    EXPECT_EQ(p.Comment(), firstLine);
    if (std::string(name) != "default.vt4") {
      EXPECT_NE(p.Comment(), ParameterSet().Comment());
    }
    EXPECT_NE(script.find(name), std::string::npos);
    EXPECT_NE(page.find(name), std::string::npos);
  }
}

TEST(GalleryFiles, TheDefaultFileIsTheBuiltInSet) {
  const ParameterSet builtIn;
  const ParameterSet file = LoadExample("default.vt4");
  for (int k = 0; k < kParameterCount; ++k) EXPECT_EQ(file.Value(k), builtIn.Value(k)) << k;
  EXPECT_EQ(file.Comment(), builtIn.Comment());
}

TEST(GalleryFiles, TheTwoTemperatureFilesGiveTheSameStep) {
  const ParameterSet cool = LoadExample("temperature-22.vt4");
  const ParameterSet warm = LoadExample("temperature-35.vt4");
  EXPECT_EQ(cool.Value(param::Temperature), 22.0f);
  EXPECT_EQ(warm.Value(param::Temperature), 35.0f);
  // Only the temperature differs, and the starting potential, which is set
  // to each temperature's own resting potential.
  for (int k = 0; k < kParameterCount; ++k) {
    if (k != param::Temperature && k != param::StartingVm) {
      EXPECT_EQ(cool.Value(k), warm.Value(k)) << k;
    }
  }
}

}  // namespace
}  // namespace vantor::gallery
