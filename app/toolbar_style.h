// The style sheets of the main window's toolbar buttons: selected (the open page or dialog),
// normal, and the normal one in the colour with which the Apply button blinks.
#pragma once

#include <QString>

class QToolButton;

namespace toolbar {

QString selectedStyle();
QString normalStyle();
QString blinkStyle();

// Selects a button, or gives it back its normal style and enables it.
void select(QToolButton* button, bool selected);

} // namespace toolbar
