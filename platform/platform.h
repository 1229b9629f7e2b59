#pragma once

#include <QString>

class Clock;
class Files;
class MessageBoxes;
class TimerFactory;
class Tray;

// What the windows get from the operating system, handed over at construction.
struct Platform
{
    MessageBoxes &boxes;
    Clock &clock;
    TimerFactory &timers;
    Files &files;
    Tray &tray;
    QString folder; // the folder that holds the program's files (see dataFolder()), without a trailing separator
};
