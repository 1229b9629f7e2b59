#pragma once

#include <QPixmap>
#include <QString>

// One of the embedded pictures by its file name ("banner.jpg"). On a screen
// scaled by more than 1 its double-size drawing (banner@2x.jpg) stands in;
// it reports a pixel ratio of 2, so it is drawn at the same logical size.
QPixmap artwork(const QString &file);
