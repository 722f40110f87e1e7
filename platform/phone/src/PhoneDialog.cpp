#include "phone/PhoneDialog.h"

#include "phone/QrCode.h"

#include "core/UserSettings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace phone {
namespace {
const QString kSection = QStringLiteral("Handy");
} // namespace

PhoneDialog::PhoneDialog(const QString &purpose, ReceiverOptions options, QWidget *parent)
    : QDialog(parent), m_receiver(new PhoneReceiver(std::move(options), this)), m_code(new QLabel(this)),
      m_address(new QLabel(this)), m_state(new QLabel(this)), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmHandy"));
    setWindowTitle(QStringLiteral("Vom Handy"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(purpose + QStringLiteral(": Den Code mit der Kamera des Handys scannen oder die Adresse "
                                                      "im Browser des Handys öffnen. Handy und Arbeitsplatz müssen "
                                                      "im selben Netz sein."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_code->setObjectName(QStringLiteral("imgQrCode"));
    m_code->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_code);
    m_address->setObjectName(QStringLiteral("txtAdresse"));
    m_address->setAlignment(Qt::AlignCenter);
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_address);
    m_state->setObjectName(QStringLiteral("lblStand"));
    m_state->setWordWrap(true);
    layout->addWidget(m_state);
    m_list->setObjectName(QStringLiteral("lstEingang"));
    // Each arrival's whole line, wrapped: the reason of a refusal can be long.
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QStringLiteral("Schließen"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("cmdSchliessen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    connect(m_receiver, &PhoneReceiver::arrived, this, [this](const IncomingFile &file, const QString &refusal) {
        QString tip = QStringLiteral("SHA-256: ") + file.sha256;
        addLine(lineOf(file, refusal), !refusal.isEmpty(), tip);
        if (refusal.isEmpty())
            Q_EMIT taken(file);
    });
    connect(m_receiver, &PhoneReceiver::rejected, this,
            [this](const QString &name, const QString &reason) { addLine(name + QStringLiteral(": ") + reason, true); });
    connect(m_receiver, &PhoneReceiver::expired, this, [this] {
        m_code->setPixmap(QPixmap());
        m_code->setText(QStringLiteral("Die Adresse ist abgelaufen."));
        m_state->setText(QStringLiteral("Nach 15 Minuten nimmt die Adresse nichts mehr an. Für weitere Fotos das "
                                        "Fenster schließen und neu öffnen."));
    });
}

PhoneDialog::~PhoneDialog() = default;

QString PhoneDialog::lineOf(const IncomingFile &file, const QString &refusal)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    QString line = file.originalName + QStringLiteral(" – ") + file.kind + QStringLiteral(", ")
                   + german.formattedDataSize(file.size, 1, QLocale::DataSizeTraditionalFormat);
    if (file.exifTime)
        line += QStringLiteral(", aufgenommen ") + german.toString(*file.exifTime, QStringLiteral("dd.MM.yyyy HH:mm"));
    line += QStringLiteral(", SHA-256 ") + file.sha256.left(12) + QChar(0x2026);
    return line + (refusal.isEmpty() ? QStringLiteral(" – übernommen") : QStringLiteral(" – nicht übernommen: ") + refusal);
}

void PhoneDialog::addLine(const QString &text, bool failed, const QString &tip)
{
    auto *item = new QListWidgetItem(text, m_list);
    item->setToolTip(tip);
    if (failed)
        item->setForeground(QColor(0xb0, 0x28, 0x28));
    m_list->scrollToItem(item);
}

void PhoneDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_receiver->listening() && m_address->text().isEmpty())
        startReceiver();
}

void PhoneDialog::startReceiver()
{
    core::UserSettings::restoreDialogPlacement(this, kSection, QSize(460, 640));
    if (!m_receiver->start()) {
        m_code->setText(QStringLiteral("Der Empfang vom Handy kann nicht beginnen."));
        m_state->setText(m_receiver->errorString());
        return;
    }
    const QString url = m_receiver->address().toString();
    m_code->setPixmap(QPixmap::fromImage(qrCode(url, 6)));
    m_address->setText(url);
    if (m_receiver->address().host() == QLatin1String("127.0.0.1") && !m_receiver->options().loopbackOnly)
        m_state->setText(QStringLiteral("Der Arbeitsplatz hat keine Netzwerkadresse; ein Handy erreicht ihn so nicht."));
    else
        m_state->setText(QStringLiteral("Die Adresse gilt, solange dieses Fenster offen ist, höchstens 15 Minuten."));
}

void PhoneDialog::done(int result)
{
    m_receiver->stop();
    core::UserSettings::savePlacement(this, kSection);
    QDialog::done(result);
}

} // namespace phone
