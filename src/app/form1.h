// Form1, the one window: three command buttons, the entry and display fields
// with their captions, and the view Picture1, at fixed places (nothing moves
// when the window is resized). It owns the form the commands work on.
#pragma once

#include "app/qt_desktop.h"
#include "app/qt_fields.h"
#include "window/front_end.h"
#include "desktop/image_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QWidget>
#include <memory>
#include <optional>

namespace pelmora {

class Form1 : public QWidget {
  Q_OBJECT
 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  Form& form() { return *form_; }
  ImageView& view() { return *view_; }
  QtDesktop& desktop() { return *desktop_; }

 private:
  // A slot per button: the command, then its outcome in a message box.
  void onLoad();
  void onRun();
  void onGrid();
  // Runs `command` unless another one is still running (from a nested event
  // loop), then shows `completedMessage` when it completed and its own
  // message otherwise; an empty message shows nothing.
  void runCommand(CommandOutcome (*command)(Form&), const QString& completedMessage = {});
  // The world files' and the frame's check boxes, under the view, and the
  // line on the corners' source and the frame, below the fields; all follow
  // the window's size.
  void placeCornerStrip();
  // A frame corner taken by the mouse on the view, moved, let go.
  void onViewPress(QPointF point);
  void onViewMove(QPointF point);
  void onViewRelease();
  void resizeEvent(QResizeEvent* event) override;

  std::unique_ptr<ImageView> view_;
  std::unique_ptr<QtFields> fields_;
  std::unique_ptr<QtDesktop> desktop_;
  std::unique_ptr<Form> form_;
  QWidget* picture1_ = nullptr;
  QCheckBox* worldFilesBox_ = nullptr;
  QCheckBox* cutAtFrameBox_ = nullptr;
  QWidget* pictureView_ = nullptr;
  std::optional<int> draggedCorner_;
  QLabel* cornerSourceLine_ = nullptr;
  bool commandRunning_ = false;
};

}  // namespace pelmora
