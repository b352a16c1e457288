// The picture of the message area, also the window's icon.
#pragma once

#include <QPixmap>

namespace orvane::window {

// A 32 x 32 picture in the sixteen standard colours: a gold coin under a white quill on a teal
// tile. Drawn at run time, so no image file ships with the program. Needs a QGuiApplication.
QPixmap DrawOrvaneIcon();

}  // namespace orvane::window
