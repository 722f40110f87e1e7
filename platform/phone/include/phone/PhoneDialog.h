#pragma once

#include "phone/IncomingFile.h"
#include "phone/PhoneReceiver.h"

#include <QDialog>

class QLabel;
class QListWidget;

namespace phone {

// "Vom Handy": the address of a receiver as QR code and as text to select,
// and the files as they arrive. The receiver listens only while the dialog
// is shown; closing it ends the address.
class PhoneDialog : public QDialog {
    Q_OBJECT
public:
    // purpose: what the files are for, shown above the code ("Für Bild 1").
    explicit PhoneDialog(const QString &purpose, ReceiverOptions options = {}, QWidget *parent = nullptr);
    ~PhoneDialog() override;

    // Decides on each file (see PhoneReceiver::Delivery).
    void setDelivery(PhoneReceiver::Delivery delivery) { m_receiver->setDelivery(std::move(delivery)); }
    PhoneReceiver &receiver() { return *m_receiver; }

    // The list's line for a file and the delivery's answer.
    static QString lineOf(const IncomingFile &file, const QString &refusal);

Q_SIGNALS:
    // A file arrived and its delivery took it.
    void taken(const phone::IncomingFile &file);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void startReceiver();
    void addLine(const QString &text, bool failed, const QString &tip = {});

    PhoneReceiver *m_receiver;
    QLabel *m_code;
    QLabel *m_address;
    QLabel *m_state;
    QListWidget *m_list;
};

} // namespace phone
