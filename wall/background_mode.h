// The background of a wall: an image, a pure colour or a gradient, numbered as the settings panel
// and the settings file number them.
#pragma once

enum class BackgroundMode : int { Image = 0, PureColor = 1, Gradient = 2 };
