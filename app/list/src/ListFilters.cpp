#include "list/ListFilters.h"

#include "report/PrintRequest.h"

#include "core/Twips.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

namespace list {

ListFilters::ListFilters(QWidget *parent) : QObject(parent), m_row(new QHBoxLayout)
{
    m_row->setSpacing(6);
    const auto label = [&](const QString &name, const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    m_cboAuto = new QComboBox(parent);
    m_cboAuto->setObjectName(QStringLiteral("cboAuto"));
    m_cboAuto->setEditable(true);
    m_cboAuto->setInsertPolicy(QComboBox::NoInsert);
    m_cboAuto->setMinimumContentsLength(12);
    m_cboStatus = new QComboBox(parent);
    m_cboStatus->setObjectName(QStringLiteral("cboStatus"));
    m_cboStatus->addItems({QStringLiteral("Alle"), QStringLiteral("Erledigt"), QStringLiteral("Nicht erledigt")});
    m_cboSchadenart = new QComboBox(parent);
    m_cboSchadenart->setObjectName(QStringLiteral("cboSchadenart"));
    m_cboSchadenart->addItems({QStringLiteral("Alle"), QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden")});
    m_txtTage = new QLineEdit(parent);
    m_txtTage->setObjectName(QStringLiteral("txtTage"));
    m_txtTage->setFixedWidth(core::twipsToPixels(600));
    m_txtTage->setAlignment(Qt::AlignRight);

    m_row->addWidget(label(QStringLiteral("lblAuto"), QStringLiteral("Fahrzeug"), m_cboAuto));
    m_row->addWidget(m_cboAuto);
    m_row->addSpacing(12);
    m_row->addWidget(label(QStringLiteral("lblStatus"), QStringLiteral("Status"), m_cboStatus));
    m_row->addWidget(m_cboStatus);
    m_row->addSpacing(12);
    m_row->addWidget(label(QStringLiteral("lblSchadenart"), QStringLiteral("Schadenart"), m_cboSchadenart));
    m_row->addWidget(m_cboSchadenart);
    m_row->addSpacing(12);
    m_row->addWidget(label(QStringLiteral("lblTermin"), QStringLiteral("Termin nach"), m_txtTage));
    m_row->addWidget(m_txtTage);
    m_row->addWidget(label(QStringLiteral("lblTagen"), QStringLiteral("Tagen"), m_txtTage));
    m_row->addStretch(1);

    // Typing in the vehicle box re-runs the list as it goes; picking the entry
    // already shown re-runs it too, but a pick that changed the text once only.
    connect(m_cboAuto, &QComboBox::editTextChanged, this, [this] {
        if (m_quiet)
            return;
        m_vehicleTextChanged = true;
        QTimer::singleShot(0, this, [this] { m_vehicleTextChanged = false; });
        Q_EMIT changed();
    });
    connect(m_cboAuto, &QComboBox::activated, this, [this] {
        if (m_vehicleTextChanged)
            m_vehicleTextChanged = false;
        else
            picked();
    });
    connect(m_cboStatus, &QComboBox::activated, this, &ListFilters::picked);
    connect(m_cboSchadenart, &QComboBox::activated, this, &ListFilters::picked);
}

void ListFilters::picked()
{
    if (!m_quiet)
        Q_EMIT changed();
}

void ListFilters::clearVehicles()
{
    m_cboAuto->clear();
    m_cboAuto->addItem(QStringLiteral("Alle"));
    m_cboAuto->setCurrentIndex(0);
}

void ListFilters::resetChoices(bool deletionMarks)
{
    m_deletionMarks = deletionMarks;
    if (deletionMarks && m_cboStatus->count() == DeletedCasesIndex)
        m_cboStatus->addItem(QStringLiteral("Gelöschte Vorgänge"));
    m_cboStatus->setCurrentIndex(0);
    m_cboSchadenart->setCurrentIndex(0);
}

void ListFilters::addPlates(const QStringList &plates)
{
    for (const QString &plate : plates)
        m_cboAuto->addItem(plate);
}

void ListFilters::insertPlate(const QString &plate)
{
    if (plate.isEmpty() || m_cboAuto->findText(plate, Qt::MatchFixedString) > 0)
        return;
    int at = 1;
    while (at < m_cboAuto->count() && m_cboAuto->itemText(at).compare(plate, Qt::CaseInsensitive) < 0)
        ++at;
    const QScopedValueRollback quiet(m_quiet, true);
    m_cboAuto->insertItem(at, plate);
}

QString ListFilters::days() const
{
    return m_txtTage->text();
}

void ListFilters::setDays(const QString &days)
{
    m_txtTage->setText(days);
}

FilterInput ListFilters::input(bool overdue) const
{
    FilterInput filter;
    filter.overdue = overdue;
    filter.days = m_txtTage->text();
    // A typed plate counts as chosen when it is an entry of the list.
    filter.vehicleIndex = m_cboAuto->findText(m_cboAuto->currentText(), Qt::MatchFixedString);
    filter.vehicle = m_cboAuto->currentText();
    filter.statusIndex = m_cboStatus->currentIndex();
    filter.deletionMarks = m_deletionMarks;
    filter.kindIndex = m_cboSchadenart->currentIndex();
    return filter;
}

QString ListFilters::subtitle() const
{
    return report::listSubtitle(m_cboAuto->currentText(), m_cboStatus->currentText(), m_cboSchadenart->currentText());
}

} // namespace list
