#include "preview/frmDruckmenu.h"

#include "preview/PrintChoice.h"
#include "preview/UpDownButtons.h"
#include "preview/frmPrint.h"

#include "core/Twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace report {

frmDruckmenu::frmDruckmenu(frmPrint &preview, int totalPages, QWidget *parent)
    : QDialog(parent)
    , m_preview(preview)
    , m_totalPages(totalPages)
    , m_fraSeiten(new QGroupBox(QStringLiteral("Auswahl"), this))
    , m_optAktuell(new QRadioButton(QStringLiteral("Aktuelle Seite"), m_fraSeiten))
    , m_optAlle(new QRadioButton(QStringLiteral("Alle Seiten"), m_fraSeiten))
    , m_text1(new QLineEdit(QStringLiteral("1"), this))
    , m_updKopien(new UpDownButtons(this))
    , m_cmdDrucken(new QPushButton(QStringLiteral("Drucken"), this))
    , m_cmdEnde(new QPushButton(QStringLiteral("Zurück"), this))
{
    setObjectName(QStringLiteral("frmDruckmenu"));
    setWindowTitle(QStringLiteral("Druckmenü"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    m_fraSeiten->setObjectName(QStringLiteral("fraSeiten"));
    m_optAktuell->setObjectName(QStringLiteral("optAktuell"));
    m_optAlle->setObjectName(QStringLiteral("optAlle"));
    m_optAktuell->setChecked(true);
    auto *pages = new QVBoxLayout(m_fraSeiten);
    pages->addWidget(m_optAktuell);
    pages->addWidget(m_optAlle);
    // A single page has nothing but itself to offer.
    m_optAlle->setVisible(totalPages >= 2);

    auto *label = new QLabel(QStringLiteral("Anzahl Exemplare :"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(m_text1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAlignment(Qt::AlignRight);
    m_text1->setFixedWidth(core::twipsToPixels(600));
    m_updKopien->setObjectName(QStringLiteral("updKopien"));
    connect(m_updKopien, &UpDownButtons::up, this, [this] { stepCopies(1); });
    connect(m_updKopien, &UpDownButtons::down, this, [this] { stepCopies(-1); });
    auto *copies = new QHBoxLayout;
    copies->addWidget(label);
    copies->addStretch();
    copies->addWidget(m_text1);
    copies->addWidget(m_updKopien);

    m_cmdDrucken->setObjectName(QStringLiteral("cmdDrucken"));
    m_cmdDrucken->setDefault(true);
    m_cmdEnde->setObjectName(QStringLiteral("cmdEnde"));
    m_cmdEnde->setToolTip(QStringLiteral("Zurück zur Druckvorschau"));
    connect(m_cmdDrucken, &QPushButton::clicked, this, &frmDruckmenu::cmdDruckenClick);
    connect(m_cmdEnde, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdDrucken);
    buttons->addWidget(m_cmdEnde);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraSeiten);
    layout->addLayout(copies);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void frmDruckmenu::stepCopies(int by)
{
    // The arrows start from what the box holds, kept within 1 .. 10.
    const int now = std::clamp<int>(readCopies(m_text1->text()), MinCopies, MaxCopies);
    m_text1->setText(QString::number(std::clamp(now + by, MinCopies, MaxCopies)));
}

void frmDruckmenu::cmdDruckenClick()
{
    if (m_totalPages > 1)
        m_preview.setAllPages(m_optAlle->isChecked());
    m_preview.setCopies(readCopies(m_text1->text()));
    accept();
}

} // namespace report
