#include "varnholt/frmLogo.h"

#include "ProductPicture.h"
#include "varnholt/Globals.h"

#include "dao/ServerAddress.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnholt {
namespace {

QLabel *pathLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

QString programFolder()
{
    QString folder = gAppPath;
    if (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return QDir::toNativeSeparators(folder);
}

} // namespace

QString frmLogo::versionSuffix()
{
    return QStringLiteral(" (%1.%2.%3)").arg(VARNHOLT_VERSION_MAJOR).arg(VARNHOLT_VERSION_MINOR).arg(VARNHOLT_VERSION_PATCH);
}

frmLogo::frmLogo(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLogo"));
    setWindowTitle(QStringLiteral("Info über Varnholt") + versionSuffix());

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgProdukt"));
    picture->setPixmap(productPicture(150, 105));
    picture->setAlignment(Qt::AlignTop);

    auto *heading = new QLabel(QStringLiteral("Info über Varnholt:"), this);
    heading->setObjectName(QStringLiteral("lblTitel"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
    heading->setFont(headingFont);

    auto *paths = new QGridLayout;
    paths->addWidget(new QLabel(QStringLiteral("Programmpfad:"), this), 0, 0, Qt::AlignTop);
    paths->addWidget(pathLabel(QStringLiteral("lblProgrammpfad"), programFolder(), this), 0, 1);
    paths->addWidget(new QLabel(QStringLiteral("Datenbankpfad:"), this), 1, 0, Qt::AlignTop);
    paths->addWidget(pathLabel(QStringLiteral("lblDatenbankpfad"), QDir::toNativeSeparators(dao::shownDatabaseName(gDbPath)), this), 1, 1);
    paths->setColumnStretch(1, 1);

    auto *notice = new QLabel(QStringLiteral("Schadensverwaltung für den Fuhrpark der Fahrzeugvermietung."), this);
    notice->setObjectName(QStringLiteral("lblHinweis"));
    notice->setWordWrap(true);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *text = new QVBoxLayout;
    text->addWidget(heading);
    text->addSpacing(8);
    text->addLayout(paths);
    text->addStretch(1);
    text->addWidget(notice);

    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    // QDialog closes on Escape by itself.
    setFixedSize(520, 220);
}

} // namespace varnholt
