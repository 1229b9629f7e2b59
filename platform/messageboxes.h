#pragma once

#include <QString>

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };
// A reply answers the user's own click; an alert comes by itself, while the
// user may be at work in another program.
enum class BoxKind { Reply, Alert };

// The one title every box of the program carries.
inline QString appTitle() { return QStringLiteral("Quorvalent"); }

// Modal message boxes without an icon; OK is the default button.
// Any answer but OK (Cancel, Esc, closing the box) is reported as Cancel.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual Answer show(const QString &text, Buttons buttons, const QString &title, BoxKind kind) = 0;
};

// Real boxes: application-modal dialogs that fit their screen, a long text
// scrolling inside. They run their own event loop, so timers keep ticking
// while one is open. An alert stays above other programs' windows and leaves
// the keyboard where it is, so that typing meant for them cannot answer it.
class QtMessageBoxes : public MessageBoxes
{
public:
    Answer show(const QString &text, Buttons buttons, const QString &title, BoxKind kind) override;
};
