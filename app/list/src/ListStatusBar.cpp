#include "list/ListStatusBar.h"

#include "list/CaseStore.h"
#include "list/ListStatement.h"

#include "core/Clock.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace list {

ListStatusBar::ListStatusBar(QWidget *window) : QObject(window), m_bar(new QStatusBar(window))
{
    m_bar->setObjectName(QStringLiteral("barStatus"));
    m_bar->setSizeGripEnabled(true);
    m_date = new QLabel(m_bar);
    m_date->setObjectName(QStringLiteral("panDatum"));
    m_date->setToolTip(QStringLiteral("Aktuelles Datum"));
    m_time = new QLabel(m_bar);
    m_time->setObjectName(QStringLiteral("panZeit"));
    m_time->setToolTip(QStringLiteral("Aktuelle Zeit"));
    m_count = new QLabel(m_bar);
    m_count->setObjectName(QStringLiteral("panAnzahl"));
    m_count->setToolTip(QStringLiteral("Anzahl der aufgelisteten Schadensfälle"));
    m_bar->addPermanentWidget(m_count);
    m_bar->addPermanentWidget(m_date);
    m_bar->addPermanentWidget(m_time);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &ListStatusBar::tick);
    m_clock->start();
    tick();
}

void ListStatusBar::tick()
{
    const QDateTime now = core::Clock::now();
    m_date->setText(QStringLiteral(" ") + now.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" "));
    m_time->setText(QStringLiteral(" ") + now.toString(QStringLiteral("HH:mm")) + QStringLiteral(" "));
}

void ListStatusBar::showCount(dao::Database &db, const QString &countStatement, const dao::Params &params)
{
    if (countStatement.isEmpty())
        return;
    try {
        m_count->setText(QStringLiteral(" ") + listedCasesText(countCases(db, countStatement, params)) + QStringLiteral(" "));
    } catch (const dao::DaoError &) {
        m_count->clear();
    }
}

void ListStatusBar::stopClock()
{
    m_clock->stop();
}

} // namespace list
