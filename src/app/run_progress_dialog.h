// The window-modal progress dialog of long work: images done of the total and
// a cancel button. Cancelling only asks the work to stop; the dialog stays up,
// blocking the window, until the work has ended.
#pragma once

#include <QProgressDialog>

namespace pelmora {

class RunProgressDialog : public QProgressDialog {
  Q_OBJECT
 public:
  // `inPercent`: the value counts hundredths of the work, not images.
  RunProgressDialog(const QString& label, int total, bool inPercent, QWidget* parent);

 signals:
  void cancelRequested();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void requestCancel();
  bool cancelling_ = false;
};

}  // namespace pelmora
