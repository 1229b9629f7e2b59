// The about window and the holiday greeting, as seen from the main window.
#include "shell/form1.h"

#include "platform/clock.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QMouseEvent>

void Form1::Form_DblClick()
{
    if (!m_form3) m_form3 = std::make_unique<Form3>(this);
    m_form3->show();
    setEnabled(false);
}

void Form1::mouseDoubleClickEvent(QMouseEvent *event)
{
    handle([this] { Form_DblClick(); });
    event->accept();
}

bool Form1::isHolidayToday() const
{
    const QString today = m_platform.clock.dateText();
    return today == QLatin1String("2004-12-25") || today == QLatin1String("2005-12-25");
}

void Form1::showGreeting()
{
    hide();
    setEnabled(true);
    m_form4 = std::make_unique<Form4>(m_platform, this);
    m_form4->show();
}
