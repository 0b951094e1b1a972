#include "app/window_application.h"

#include "window/front_end.h"

#include <cstdio>
#include <unistd.h>

namespace pelmora {

PlatformStartGuard::PlatformStartGuard() {
  held_ = &messages_;
  previous_ = qInstallMessageHandler(&PlatformStartGuard::hold);
}

PlatformStartGuard::~PlatformStartGuard() { started(); }

void PlatformStartGuard::started() {
  if (!holding_) return;
  holding_ = false;
  qInstallMessageHandler(previous_);
  held_ = nullptr;
  for (const HeldMessage& m : messages_) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
    qt_message_output(m.type, context, m.text);
  }
  messages_.clear();
}

void PlatformStartGuard::hold(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
  if (type != QtFatalMsg) {
    if (held_) held_->append({type, QByteArray(context.category), message});
    return;
  }
  // Qt aborts when this handler returns: the failed start ends here instead.
  // Its first message names the cause ("could not connect to display");
  // the fatal text itself only lists plugins.
  QString cause = held_ && !held_->isEmpty() ? held_->first().text : message.section(u'\n', 0, 0);
  const QByteArray text = messages::noDisplay(cause.trimmed()).toUtf8();
  std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
  std::fflush(stderr);
  _exit(1);
}

WindowApplication::WindowApplication(int& argc, char** argv) : QApplication(argc, argv) {
  started();
  setApplicationName(QStringLiteral("Pelmora"));
  setApplicationVersion(QStringLiteral(PELMORA_VERSION));
  // The window speaks Japanese whatever the locale.
  installJapaneseTranslations();
}

}  // namespace pelmora
