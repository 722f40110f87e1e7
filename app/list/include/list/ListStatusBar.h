#pragma once

#include "dao/Dao.h"

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;
class QTimer;
class QWidget;

namespace list {

// The list window's status bar: how many cases the list shows, today's date
// and the time (told each second), and where printed pages went.
class ListStatusBar : public QObject {
    Q_OBJECT
public:
    explicit ListStatusBar(QWidget *window);

    QStatusBar *bar() const { return m_bar; }

    // Counts the cases of the list's count statement; a count that fails
    // leaves the panel blank, as the list itself tells what failed.
    void showCount(dao::Database &db, const QString &countStatement, const dao::Params &params);
    // The clock stops before the window closes.
    void stopClock();

private:
    void tick();

    QStatusBar *m_bar;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QLabel *m_count = nullptr;
    QTimer *m_clock = nullptr;
};

} // namespace list
