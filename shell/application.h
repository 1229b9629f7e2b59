#pragma once

#include <QString>

#include <functional>

class Form1;

// The whole program: the real platform, the main window, and every way the
// program ends. afterStart, when given, runs once the main window is up.
int runApplication(
    int argc, char *argv[], const QString &folder = QString(), const std::function<void(Form1 &)> &afterStart = {});
