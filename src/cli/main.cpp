// vantor-cli: the headless front end.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QGuiApplication>

#include "cli/commands.h"

namespace {

const char kUsage[] =
    "usage: vantor-cli run [PARAMFILE] [options]\n"
    "       vantor-cli defaults OUT\n"
    "       vantor-cli convert IN OUT\n"
    "       vantor-cli measure [PARAMFILE] [--set KEY=VALUE ...] [--json]\n"
    "       vantor-cli sweep [PARAMFILE] --vary KEY=FROM:TO:COUNT|KEY=V1,V2,... ... --out FILE\n"
    "                  [--samples N --seed S] [--jobs N] [--shard K/N] [--resume] [--force]\n"
    "                  [--png/--svg FILE] [--plot MEASURE] [--size WxH] [--mpi]\n"
    "       vantor-cli fi [PARAMFILE] [--max NA] [--points N] [--out FILE] [--png/--svg FILE]\n"
    "       vantor-cli merge SHARD... --out FILE\n"
    "run options:\n"
    "  --set KEY=VALUE   change a parameter (index 0..53, short name like gNa, or the prompt)\n"
    "  --gates FILE      gate table (default: vmodels.val beside the program)\n"
    "  --limits FILE     limits file (default: VANTOR.mnx beside the program)\n"
    "  --method 1|2|3    integration method\n"
    "  --csv FILE        the samples as CSV\n"
    "  --record FILE     the binary record file (84-byte samples)\n"
    "  --png/--svg/--pdf FILE   the picture;  --size WxH (default 1200x800)\n"
    "  --cgm FILE  --plt FILE   the metafile and the HP-GL output of the picture\n"
    "  --overlay PARAMFILE      a further run drawn over the first (may repeat)\n";

}  // namespace

int main(int argc, char** argv) {
  // Pictures need fonts, and fonts need a GUI application object; the
  // command line never needs a display.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt wants a runtime directory and complains on the terminal without one;
  // give it the private one it would fall back to anyway.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  QGuiApplication app(argc, argv);
  // The application object adopts the user's locale; files and labels are
  // always written with a decimal point.
  std::setlocale(LC_NUMERIC, "C");

  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == "--version") {
    std::printf("vantor-cli %s\n", VANTOR_VERSION);
    return 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "run") return vantor::cli::RunCommand(args);
  if (command == "defaults") return vantor::cli::DefaultsCommand(args);
  if (command == "convert") return vantor::cli::ConvertCommand(args);
  if (command == "measure") return vantor::cli::MeasureCommand(args);
  if (command == "sweep") return vantor::cli::SweepCommand(args);
  if (command == "fi") return vantor::cli::FiCommand(args);
  if (command == "merge") return vantor::cli::MergeCommand(args);
  std::fprintf(stderr, "vantor-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
  return 2;
}
