#include "app/dialog_look.h"

#include <QFrame>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace talvenor::app {

void ShowAsReadOnly(QLineEdit* field) {
  field->setReadOnly(true);
  QPalette palette = field->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setBrush(group, QPalette::Base, palette.brush(group, QPalette::Window));
  }
  field->setPalette(palette);
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

QFrame* Separator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace talvenor::app
