#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The window shown while the program starts. Its one timer tick, 2500 ms after it appears,
// closes it and hands over to the main window through finished().
class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 2500;

    explicit frmSplash(QWidget* parent = nullptr);
    // Shows the window at once and fills in the product name, letting pending events run
    // around it so the window is painted before start-up goes on.
    void load();
    QTimer* Timer1() const { return m_timer1; }

Q_SIGNALS:
    void finished();

private:
    void onTimer1();

    QLabel* m_productName;
    QTimer* m_timer1;
};
