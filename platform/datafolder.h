#pragma once

#include <QString>

// The folder that holds Task.sts, Time.stt and Quorvalent.ini, without a
// trailing separator: beside the program, or, in a build for a system-wide
// install (QUORVALENT_USER_DATA), the user's data folder,
// ~/.local/share/Quorvalent. Needs the application object and its name.
// The folder need not exist yet: the first save makes it.
QString dataFolder();
