// pelmora-screenshot: the window driven through a scripted use, for
// scripts/screenshot. Built beside pelmora, never installed.
//   pelmora-screenshot [--load RASTER] [--grid ROWSxCOLUMNS] [--drag] [--run] OUT.png
#include "app/form1.h"
#include "app/screenshot/screenshot_script.h"
#include "app/window_application.h"

#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv) {
  pelmora::WindowApplication app(argc, argv);
  QCommandLineParser parser;
  const QCommandLineOption load(QStringLiteral("load"), QStringLiteral("raster loaded through Command1"),
                                QStringLiteral("RASTER"));
  const QCommandLineOption grid(QStringLiteral("grid"), QStringLiteral("counts typed, then Command3"),
                                QStringLiteral("ROWSxCOLUMNS"));
  const QCommandLineOption drag(QStringLiteral("drag"), QStringLiteral("the frame's top-left corner dragged"));
  const QCommandLineOption run(QStringLiteral("run"), QStringLiteral("then Command2"));
  parser.addOptions({load, grid, drag, run});
  parser.addPositionalArgument(QStringLiteral("OUT.png"), QStringLiteral("the picture"));
  parser.process(app);
  if (parser.positionalArguments().size() != 1 ||
      (parser.isSet(grid) && parser.value(grid).split(u'x').size() != 2)) {
    std::fputs(qPrintable(parser.helpText()), stderr);
    return 2;
  }

  pelmora::Form1 window;
  window.show();
  pelmora::startScreenshotScript(
      window, {parser.value(load), parser.value(grid), parser.isSet(drag), parser.isSet(run),
                parser.positionalArguments()[0]});
  return pelmora::WindowApplication::exec();
}
