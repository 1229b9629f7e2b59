#pragma once

#include <QFont>

// SimSun at the given size, falling back to an installed Song-style CJK face
// so that Chinese captions never show as boxes.
QFont songFont(double pointSize, bool bold = false);
