// Swapping the main window for the clock bar.
#include "shell/form1.h"

#include "windows/form2.h"

Form2 &Form1::form2()
{
    // Created on the first request that concerns it, then kept until the end.
    if (!m_form2) m_form2 = std::make_unique<Form2>(m_platform, this);
    return *m_form2;
}

void Form1::Command8_Click()
{
    hide();
    form2().show();
}
