#include "app/run_progress_dialog.h"

#include "window/front_end.h"

#include <QCloseEvent>
#include <QProgressBar>

namespace pelmora {

RunProgressDialog::RunProgressDialog(const QString& label, int total, bool inPercent,
                                     QWidget* parent)
    : QProgressDialog(parent) {
  setLabelText(label);
  setCancelButtonText(messages::cancel());
  setWindowTitle(QStringLiteral("Pelmora"));
  setWindowModality(Qt::WindowModal);
  setAutoClose(false);
  setAutoReset(false);
  setMinimumDuration(0);
  auto* bar = new QProgressBar(this);
  bar->setFormat(inPercent ? QStringLiteral("%p%") : QStringLiteral("%v / %m"));
  bar->setAlignment(Qt::AlignCenter);
  setBar(bar);
  setRange(0, total);
  // The stock dialog hides itself on cancel, which would free the window
  // while the work is still running.
  // (QProgressDialog makes that connection by signature, so it is undone so.)
  disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
  connect(this, &QProgressDialog::canceled, this, &RunProgressDialog::requestCancel);
}

void RunProgressDialog::reject() { requestCancel(); }

void RunProgressDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  requestCancel();
}

void RunProgressDialog::requestCancel() {
  if (cancelling_) return;
  cancelling_ = true;
  setLabelText(labelText() + u'\n' + messages::cancelling());
  emit cancelRequested();
}

}  // namespace pelmora
