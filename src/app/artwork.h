#pragma once
// The program's own pictures, drawn at start-up: the banner across the top of the window and the check
// mark the channel grid shows in its "Lock" and "Fav" columns.

#include <QPixmap>

namespace tcn {

// 700 x 50: the program's name on a night-sky gradient with a receiving dish.
QPixmap BannerPixmap();
// 20 x 19, transparent background: a green tick.
QPixmap CheckMarkPixmap();

} // namespace tcn
