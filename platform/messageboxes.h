#pragma once

#include <QString>

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

// The one title every box of the program carries.
inline QString appTitle() { return QStringLiteral("Quorvalent"); }

// Modal message boxes without an icon; OK is the default button.
// Any answer but OK (Cancel, Esc, closing the box) is reported as Cancel.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual Answer show(const QString &text, Buttons buttons, const QString &title) = 0;
};

// Real boxes: application-modal QMessageBoxes. They run their own event loop,
// so timers keep ticking while one is open.
class QtMessageBoxes : public MessageBoxes
{
public:
    Answer show(const QString &text, Buttons buttons, const QString &title) override;
};
