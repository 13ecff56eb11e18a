// The skin's colours: dark slate chrome around light panels, with a blue-violet accent.
#pragma once

#include <QColor>

namespace palette {

inline const QColor slate950("#141b26");
inline const QColor slate900("#1b2431");
inline const QColor slate800("#243042");
inline const QColor slate700("#2f3d52");
inline const QColor slate600("#42536b");
inline const QColor slate400("#8393a8");
inline const QColor slate300("#b4c0cf");
inline const QColor slate200("#d5dde8");
inline const QColor panelTop("#f6f8fb");
inline const QColor panelBottom("#e4e9f0");
inline const QColor glyphMuted("#c9d3e0");

inline const QColor accent("#3d8bff");
inline const QColor accentLight("#6aa8ff");
inline const QColor accentDeep("#2a6be0");
inline const QColor violet("#7c5cff");
inline const QColor teal("#22b8a8");
inline const QColor amber("#ffb020");
inline const QColor orange("#ff7a1a");
inline const QColor danger("#e5484d");

} // namespace palette
