#pragma once

#include "platform/controls.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/journal.h"
#include "platform/tray.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QWidget>

#include <initializer_list>
#include <memory>

class Form2;
class Form3;
class Form4;
class TextIndex;
class Timer;

// A list of controls to walk in a given order.
using Controls = std::initializer_list<QWidget *>;

// The main window. Its controls hold the reminder state; the handlers that
// work on them are defined in the folder of the subsystem that owns them.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(const Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    // Outer height in twips, title bar and frame included.
    float outerHeight() const;
    void setOuterHeight(float twips);

    // Every task text begins with it.
    static inline const QString TaskPrefix = QStringLiteral("时提醒您：");

    // Window state
    bool TaskArmed = false;
    // Label9 while a single task runs; the exit paths look for exactly this.
    static inline const QString RunningStatus = QStringLiteral(" 提醒任务已经开始。");
    bool HiddenToTray = false;
    NotifyIconData TrayIconRecord;

    // Header and clock
    PictureBox *Picture1;
    PictureBox *Picture3;
    Label *Label1;
    Label *Label10;
    Label *Label2;
    Label *Label11;
    Label *Label3;
    CommandButton *Command1;
    CommandButton *Command2;

    // Single-task entry
    Label *Label14;
    Label *Label4;
    TextBox *Text1;
    Label *Label5;
    TextBox *Text2;
    Label *Label6;
    TextBox *Text3;
    Label *Label13;
    CommandButton *Command3;
    Label *Label7;
    TextBox *Text4;
    CommandButton *Command4;
    Label *Label8;

    // Multi-task tools
    CommandButton *Command9;
    CheckBox *Check1;
    Shape *Shape1;
    CommandButton *Command10;
    CommandButton *Command11;
    Label *Label12;
    ListBox *List1;
    ListBox *List2;
    Shape *Shape2;
    CommandButton *Command18;

    // Bottom rows
    Label *Label15;
    CommandButton *Command5;
    CommandButton *Command6;
    CommandButton *Command8;
    CommandButton *Command7;
    Shape *Shape3;
    Label *Label9;
    Label *Label16;
    CheckBox *Check2;

    Timer *Timer1;
    Timer *Timer2;

    // Start-up
    void Form_Load();

    // Layouts
    void Check2_Click();
    void ApplyFullLayout();
    void ApplyCompactLayout();

    // Hover frame
    void B_move(float left, float top, float height, float width);
    void B_out();
    void Check1_MouseMove();
    void Check2_MouseMove();
    void Command1_MouseMove();
    void Command2_MouseMove();
    void Command3_MouseMove();
    void Command4_MouseMove();
    void Command5_MouseMove();
    void Command6_MouseMove();
    void Command7_MouseMove();
    void Command8_MouseMove();
    void Command9_MouseMove();
    void Form_MouseMove();

    // Single-task entry
    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text3_GotFocus();
    void Text4_GotFocus();
    void Text1_LostFocus();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Text4_Change();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Start();
    void Finish();

    // Clock and single-task watch
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();

    // Schedule editing and mode switch
    void Check1_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void List1_Click();
    void List2_Click();

    // Schedule runner
    void Command18_Click();
    void Timer2_Timer();

    // Task list files. Both are saved as one record; a failure says which file and why.
    void InitTask();
    void InitTime();
    textfile::SaveOutcome SaveTask();
    textfile::FileUpdate SaveTime();

    // Notification-area icon
    void Form_Resize();
    void Picture3_MouseMove(int Button, int Shift, float X, float Y);
    // A second start for the same files: as a restore through the icon, and
    // the about window, when open, stays in front of the main window it disables.
    void bringForward();
    // The five-size icon Picture3 holds; the notification area shows it.
    QIcon Picture3Icon;

    // Window position
    void InitPro();
    void WritePro();

    // Leaving the program
    void Command7_Click();
    void Form_Unload(int &Cancel);
    // The session ends (log-out, shutdown, a termination signal): save and end.
    void endSession();
    bool hasEnded() const { return m_ended; }

    // The clock bar
    void Command8_Click();
    // The clock bar, created on first use.
    Form2 &form2();
    bool form2Created() const { return m_form2 != nullptr; }

    // The about window and the holiday greeting
    void Form_DblClick();
    Form3 *form3() const { return m_form3.get(); }
    // Created only at a start-up on a holiday, in place of the main window.
    Form4 *form4() const { return m_form4.get(); }

signals:
    // The program is over; nothing of it runs any more.
    void ended();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void connectHandlers();
    void setTabOrderFromIndexes();
    // A box of the program. When the program ends while it is open, the
    // handler that asked for it goes no further: box() throws Ended, which
    // handle() catches.
    Answer box(const QString &text, Buttons buttons = Buttons::Ok, BoxKind kind = BoxKind::Reply);
    struct Ended
    { };
    // Every handler runs through here: none once the program has ended, and
    // one whose box outlived the program stops at that box.
    template <typename F> void handle(F &&handler)
    {
        if (m_ended) return;
        try {
            handler();
        } catch (const Ended &) {
        }
    }
    template <typename Sender, typename Signal> void on(Sender *sender, Signal signal, void (Form1::*handler)());
    void hoverOver(const QWidget *control);
    void resetEntry();
    bool isHolidayToday() const;
    bool exitRefusedWhileRunning();
    bool exitAnywayAfter(const textfile::SaveOutcome &saved);
    void endApplication();
    void addTrayIcon();
    void removeTrayIcon();
    QString settingsFile() const;
    void loadList(ListBox *list, const QString &name);
    void pairLoadedLists();
    void showGreeting();
    void removeTask(int row1, int row2);
    void syncSelection(ListBox *from, ListBox *to);

    using Handler = void (Form1::*)();
    QHash<QObject *, Handler> m_onMouseMove;
    QHash<QObject *, Handler> m_onFocusIn;
    QHash<QObject *, Handler> m_onFocusOut;
    Platform m_platform;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
    bool m_singleAlertOpen = false;
    bool m_ended = false;
    bool m_syncingSelection = false;
    std::unique_ptr<TextIndex> m_timeIndex; // destroyed before the controls
    QList<QPersistentModelIndex> m_openRunnerAlerts;
    float m_outerHeight = 0;
    int m_frameExtra = 0; // title bar and frame, in pixels, when the height was last set
};
