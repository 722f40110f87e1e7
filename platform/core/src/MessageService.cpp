#include "core/MessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextStream>

#include <algorithm>

namespace core {
namespace {

std::unique_ptr<MessageService> &current()
{
    static std::unique_ptr<MessageService> service = std::make_unique<DialogMessageService>();
    return service;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MsgAnswer answer;
};

QList<ButtonSpec> buttonsOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return {{QMessageBox::Ok, MsgAnswer::Ok}};
    case MsgButtons::OkCancel: return {{QMessageBox::Ok, MsgAnswer::Ok}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, MsgAnswer::Abort}, {QMessageBox::Retry, MsgAnswer::Retry}, {QMessageBox::Ignore, MsgAnswer::Ignore}};
    case MsgButtons::YesNoCancel:
        return {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesNo: return {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}};
    case MsgButtons::RetryCancel: return {{QMessageBox::Retry, MsgAnswer::Retry}, {QMessageBox::Cancel, MsgAnswer::Cancel}};
    case MsgButtons::YesNoReload:
        return {{QMessageBox::Yes, MsgAnswer::Yes}, {QMessageBox::No, MsgAnswer::No}, {QMessageBox::Reset, MsgAnswer::Reload}};
    }
    return {{QMessageBox::Ok, MsgAnswer::Ok}};
}

QString germanText(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return QStringLiteral("OK");
    case QMessageBox::Cancel: return QStringLiteral("Abbrechen");
    case QMessageBox::Yes: return QStringLiteral("&Ja");
    case QMessageBox::No: return QStringLiteral("&Nein");
    case QMessageBox::Abort: return QStringLiteral("&Abbrechen");
    case QMessageBox::Retry: return QStringLiteral("&Wiederholen");
    case QMessageBox::Ignore: return QStringLiteral("&Ignorieren");
    case QMessageBox::Reset: return QStringLiteral("Neu &laden");
    default: return {};
    }
}

} // namespace

MessageService &MessageService::instance() { return *current(); }

std::unique_ptr<MessageService> MessageService::install(std::unique_ptr<MessageService> service)
{
    std::unique_ptr<MessageService> previous = std::move(current());
    current() = std::move(service);
    return previous;
}

MsgAnswer showMessage(const QString &text, MsgIcon icon, MsgButtons buttons, const QString &title, QWidget *parent)
{
    return MessageService::instance().show(Message{text, icon, buttons, title, parent});
}

MsgButtons buttonsFromStyle(long style)
{
    switch (style & 0x0F) {
    case 1: return MsgButtons::OkCancel;
    case 2: return MsgButtons::AbortRetryIgnore;
    case 3: return MsgButtons::YesNoCancel;
    case 4: return MsgButtons::YesNo;
    case 5: return MsgButtons::RetryCancel;
    default: return MsgButtons::Ok;
    }
}

MsgIcon iconFromStyle(long style)
{
    switch (style & 0xF0) {
    case 16: return MsgIcon::Critical;
    case 32: return MsgIcon::Question;
    case 48: return MsgIcon::Exclamation;
    case 64: return MsgIcon::Information;
    default: return MsgIcon::None;
    }
}

MsgAnswer DialogMessageService::show(const Message &message)
{
    QMessageBox box(message.parent ? message.parent : QApplication::activeWindow());
    box.setText(message.text);
    box.setWindowTitle(message.title.isEmpty() ? QStringLiteral("Varnholt") : message.title);
    switch (message.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    const QList<ButtonSpec> specs = buttonsOf(message.buttons);
    QList<QAbstractButton *> made;
    for (const ButtonSpec &spec : specs) {
        QAbstractButton *b = box.addButton(spec.button);
        b->setText(germanText(spec.button));
        made.append(b);
    }
    box.setDefaultButton(static_cast<QPushButton *>(made.first()));
    // Escape answers Cancel where there is one, as the classic boxes do, else No.
    const bool cancellable = std::any_of(specs.begin(), specs.end(),
                                         [](const ButtonSpec &spec) { return spec.answer == MsgAnswer::Cancel; });
    for (int i = 0; i < specs.size(); ++i)
        if (specs[i].answer == MsgAnswer::Cancel || specs.size() == 1
            || (!cancellable && specs[i].answer == MsgAnswer::No))
            box.setEscapeButton(made[i]);
    box.exec();
    for (int i = 0; i < specs.size(); ++i)
        if (box.clickedButton() == made[i])
            return specs[i].answer;
    return specs.size() == 1 ? specs.first().answer : MsgAnswer::Cancel;
}

class RecordingMessageService::Holder : public MessageService {
public:
    explicit Holder(RecordingMessageService *target) : m_target(target) {}
    MsgAnswer show(const Message &message) override { return m_target->show(message); }

private:
    RecordingMessageService *m_target;
};

class StreamMessages::Service : public MessageService {
public:
    explicit Service(QTextStream &stream) : m_stream(stream) {}
    MsgAnswer show(const Message &message) override
    {
        if (!message.title.isEmpty())
            m_stream << message.title << ": ";
        m_stream << message.text.trimmed() << '\n';
        return MsgAnswer::Ok;
    }

private:
    QTextStream &m_stream;
};

StreamMessages::StreamMessages(QTextStream &stream)
    : m_previous(MessageService::install(std::make_unique<Service>(stream)))
{
}

StreamMessages::~StreamMessages() { MessageService::install(std::move(m_previous)); }

RecordingMessageService::RecordingMessageService()
    : m_previous(MessageService::install(std::make_unique<Holder>(this)))
{
}

RecordingMessageService::~RecordingMessageService() { MessageService::install(std::move(m_previous)); }

MsgAnswer RecordingMessageService::show(const Message &message)
{
    shown.append(message);
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (answerer)
        return answerer(message);
    switch (message.buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNoReload: return MsgAnswer::Yes;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    case MsgButtons::RetryCancel: return MsgAnswer::Cancel;
    default: return MsgAnswer::Ok;
    }
}

} // namespace core
