#include "app/run_progress_dialog.h"

#include <QCloseEvent>

namespace pelmora {

RunProgressDialog::RunProgressDialog(const QString& label, int total, QWidget* parent)
    : QProgressDialog(label, QStringLiteral("キャンセル"), 0, total, parent) {
  setWindowTitle(QStringLiteral("Pelmora"));
  setWindowModality(Qt::WindowModal);
  setAutoClose(false);
  setAutoReset(false);
  setMinimumDuration(0);
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
  setLabelText(labelText() + QStringLiteral("\nキャンセルしています…"));
  emit cancelRequested();
}

}  // namespace pelmora
