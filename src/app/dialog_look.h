// The look the program's dialogs share: read-only result fields drawn on
// the window's background, the tab order given as a list, and the sunken
// line between a dialog's parts.
#ifndef TALVENOR_APP_DIALOG_LOOK_H_
#define TALVENOR_APP_DIALOG_LOOK_H_

#include <QFrame>  // callers add the line to layouts as a QWidget
#include <initializer_list>

class QLineEdit;
class QWidget;

namespace talvenor::app {

// Makes `field` read-only and draws it on the window's background instead
// of the base colour of edit fields, as read-only edits look on Windows, so
// it is not taken for an input. Its text can still be selected and copied.
void ShowAsReadOnly(QLineEdit* field);

// Tab moves through `widgets` in this order.
void ChainTabOrder(std::initializer_list<QWidget*> widgets);

// A horizontal sunken line.
QFrame* Separator(QWidget* parent);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_DIALOG_LOOK_H_
