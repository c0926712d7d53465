#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so the shell needs no image files at run time.
QIcon HushwireIcon();           // tray and window icon: a handset with a stop bar
QPixmap HushwireLogo(int size); // the same picture, larger, for the splash and about windows
