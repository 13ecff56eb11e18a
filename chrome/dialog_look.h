// The common dress of murano's small dialogs: the skin's background picture stretched over the
// window, the program icon and a white caption in the dark title strip, and one style sheet for
// labels, fields and boxes, so that every dialog reads as part of the same program.
#pragma once

#include <QString>

class QLabel;
class QWidget;

// Puts the skin picture `background` into backgroundLabel and "icon.png" into iconLabel (null
// when the dialog shows another picture there), and styles the window, its caption and its
// fields. The window's own colours stand in for a missing picture.
void dressDialog(QWidget* window, QLabel* backgroundLabel, QLabel* iconLabel, QLabel* caption,
                 const QString& background);

// The style sheet of dressDialog for a window and its caption label.
QString dialogStyle(const QString& windowName, const QString& captionName);
