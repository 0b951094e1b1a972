#include "app/window_command_line.h"

#include <cstdio>
#include <string_view>

namespace pelmora {

namespace {

constexpr std::string_view kHelp =
    "Usage: pelmora [--help | --version]\n"
    "Opens the Pelmora window (in Japanese): 画像呼び出し loads a raster map,\n"
    "分割図表示 shows the division grid, 登録開始 cuts it into JPEG tiles, an\n"
    "overview image and a .AR2 index of their corners. The window needs a display.\n"
    "\n"
    "  -h, --help     this text\n"
    "      --version  the version\n"
    "\n"
    "The same load and run without a window, for one raster or many:\n"
    "pelmora-tile (see pelmora-tile --help).\n";

}  // namespace

int answerWindowCommandLine(int argc, char** argv) {
  bool help = false, version = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-h" || argument == "--help") {
      help = true;
    } else if (argument == "--version") {
      version = true;
    } else {
      // Qt's own options (-platform, -style, ...) included: the window takes
      // none, its environment variables (QT_QPA_PLATFORM, ...) serve instead.
      if (argument.size() > 1 && argument.front() == '-')
        std::fprintf(stderr, "pelmora: unknown option '%s'\n", argv[i]);
      else
        std::fprintf(stderr,
                     "pelmora: unexpected argument '%s' (the window loads a raster with 画像呼び出し;\n"
                     "pelmora-tile takes rasters on its command line)\n",
                     argv[i]);
      std::fputs("Try 'pelmora --help' for more information.\n", stderr);
      return 2;
    }
  }
  // As pelmora-tile: --help wins over --version.
  if (help) std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
  else if (version) std::fputs("pelmora " PELMORA_VERSION "\n", stdout);
  else return -1;
  return 0;
}

}  // namespace pelmora
