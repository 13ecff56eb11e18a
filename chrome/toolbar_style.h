// The style sheets of the main window: its toolbar buttons, selected (the open page or dialog),
// normal, and the normal one in the colour with which the Apply button blinks; and the look of
// its pages, fields and tabs.
#pragma once

#include <QString>

class QToolButton;

namespace toolbar {

QString selectedStyle();
QString normalStyle();
QString blinkStyle();
// The window-wide look of the panels, fields and tabs; the toolbar buttons carry their own.
QString panelStyle();

// Selects a button, or gives it back its normal style and enables it.
void select(QToolButton* button, bool selected);

} // namespace toolbar
