#pragma once

#include <QString>

#include <functional>

class Form1;

// Makes every text Qt supplies (dialog buttons, the text fields' menu)
// Simplified Chinese. Needs the application object; call before any window.
void installQtTranslations();

// The whole program: the real platform, the main window, and every way the
// program ends. afterStart, when given, runs once the main window is up.
int runApplication(
    int argc, char *argv[], const QString &folder = QString(), const std::function<void(Form1 &)> &afterStart = {});
