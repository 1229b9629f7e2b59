// The hover frame that marks the control under the pointer.
#include "shell/form1.h"

#include "platform/clock.h"
#include "platform/twips.h"

void Form1::B_move(float left, float top, float height, float width)
{
    Shape3->setVisible(true);
    QRect r = Shape3->bounds();
    r.moveLeft(toPixels(left));
    r.moveTop(toPixels(top));
    r.setHeight(toPixels(height));
    r.setWidth(toPixels(width));
    Shape3->setBounds(r);
}

void Form1::B_out() { Shape3->setVisible(false); }

// The frame takes the bounds the control has now, wherever a layout put it.
void Form1::hoverOver(const QWidget *control)
{
    B_move(twipsLeft(control), twipsTop(control), twipsHeight(control), twipsWidth(control));
}

void Form1::Check1_MouseMove() { hoverOver(Check1); }
void Form1::Check2_MouseMove() { hoverOver(Check2); }
void Form1::Command1_MouseMove() { hoverOver(Command1); }
void Form1::Command2_MouseMove() { hoverOver(Command2); }
void Form1::Command3_MouseMove() { hoverOver(Command3); }
void Form1::Command4_MouseMove() { hoverOver(Command4); }
void Form1::Command5_MouseMove() { hoverOver(Command5); }
void Form1::Command6_MouseMove() { hoverOver(Command6); }
void Form1::Command7_MouseMove() { hoverOver(Command7); }
void Form1::Command8_MouseMove() { hoverOver(Command8); }
void Form1::Command9_MouseMove() { hoverOver(Command9); }

void Form1::Form_MouseMove()
{
    B_out();
    Label3->setToolTip(m_platform.clock.dateText());
}
