#pragma once
// The small images of the user interface, drawn rather than shipped as files.
#include <QIcon>
#include <QPixmap>

namespace pm {

// Status images of the monitor list, 16x16: 0 a green dot (alive), 1 the not-alive mark (a
// red square with a white diagonal cross). Any other index gives a null pixmap.
QPixmap StatusImage(int index);
// The picture between the two lists: an arrow pointing down to the monitor list.
QPixmap DownArrowImage();
// The window and about-box icon: a small switch with its ports.
QIcon AppIcon();

}  // namespace pm
