// The two layouts of the main window and the check box that chooses between them.
#include "shell/form1.h"

void Form1::Check2_Click()
{
    if (Check2->value() == 1) {
        ApplyCompactLayout();
        return;
    }
    for (QWidget *w : Controls{Command10, Command11, List1, List2, Label12, Shape1})
        w->setVisible(true);
    ApplyFullLayout();
}

void Form1::ApplyFullLayout()
{
    setOuterHeight(8970);
    setTwipsTop(Label15, 7200);
    for (QWidget *w : {Command5, Command6, Command7, Command8})
        setTwipsTop(w, 7560);
    setTwipsTop(Label9, 8040);
    setTwipsTop(Check2, 8040);
    Shape2->setVisible(true);
}

void Form1::ApplyCompactLayout()
{
    setTwipsTop(Label15, 4920);
    for (QWidget *w : {Command5, Command6, Command7, Command8})
        setTwipsTop(w, 5400);
    setTwipsTop(Label9, 6000);
    setTwipsTop(Check2, 6000);
    setOuterHeight(6810);
    for (QWidget *w : Controls{Command10, Command11, List1, List2})
        w->setVisible(false);
    Label12->setVisible(false);
    // Leaves multi-task mode through Check1's handler when it was on.
    Check1->setValue(0);
    Shape1->setVisible(false);
    Shape2->setVisible(false);
}
