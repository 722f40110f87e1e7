#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QTextStream;
class QWidget;

namespace core {

enum class MsgIcon { None, Information, Question, Exclamation, Critical };
// YesNoReload: "Ja", "Nein" and "Neu laden" (the stored state instead of one's own).
enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel, YesNoReload };
enum class MsgAnswer { Ok, Cancel, Abort, Retry, Ignore, Yes, No, Reload };

struct Message {
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    QString title;          // empty: the program's title
    QWidget *parent = nullptr;
};

// Every message box of the program and the control library goes through
// here, so a test can read what was shown and give the answer.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const Message &message) = 0;

    static MessageService &instance();
    // Replaces the service; the previous one is handed back to the caller.
    static std::unique_ptr<MessageService> install(std::unique_ptr<MessageService> service);
};

MsgAnswer showMessage(const QString &text, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok, const QString &title = {},
                      QWidget *parent = nullptr);

// The button set and icon of a classic message-box style number
// (buttons in the low nibble, icon 16/32/48/64).
MsgButtons buttonsFromStyle(long style);
MsgIcon iconFromStyle(long style);

// Shows real QMessageBox dialogs.
class DialogMessageService : public MessageService {
public:
    MsgAnswer show(const Message &message) override;
};

// Where no window can show a box (the script options): while it exists every
// message goes to the stream as a line ("title: text" when it has a title)
// and is answered Ok; the previous service is put back after.
class StreamMessages {
public:
    explicit StreamMessages(QTextStream &stream);
    ~StreamMessages();
    StreamMessages(const StreamMessages &) = delete;
    StreamMessages &operator=(const StreamMessages &) = delete;

private:
    class Service;
    std::unique_ptr<MessageService> m_previous;
};

// Records every message and answers from a queue (or with a default), for tests.
// Installs itself on construction and puts the previous service back on destruction.
class RecordingMessageService : public MessageService {
public:
    RecordingMessageService();
    ~RecordingMessageService() override;

    MsgAnswer show(const Message &message) override;

    QList<Message> shown;
    QList<MsgAnswer> answers;                  // taken from the front, one per message
    std::function<MsgAnswer(const Message &)> answerer; // used when answers is empty

    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); }

private:
    class Holder;
    std::unique_ptr<MessageService> m_previous;
};

} // namespace core
