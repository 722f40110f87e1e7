// The program side of the browser test: phone_browser_host FOLDER.
// Makes a database with one stored case picture in FOLDER, two photos and a
// PDF to send, and an attachment control on that picture; opens the
// control's "Vom Handy ..." and prints, one JSON object a line on standard
// output, the loopback address and the files to send, then each file as it
// arrives. A line on standard input closes the dialog: the dialog's list is
// printed, the control saved, and the stored row's SHA-256 printed.

#include "PhoneFiles.h"

#include "../kelvane/ControlHost.h"

#include "varnholt/Schema.h"

#include "core/MessageService.h"
#include "kelvane/ObjectStorage.h"
#include "dao/Dao.h"
#include "phone/PhoneDialog.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QJsonObject &object)
{
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString writeFile(const QDir &folder, const QString &name, const QByteArray &bytes)
{
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("temp"));
    qputenv("Temp", folder.filePath(QStringLiteral("temp")).toLocal8Bit());
    core::RecordingMessageService boxes;

    dao::OpenOptions create;
    create.create = true;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(folder.filePath(QStringLiteral("phone.db")), create);
    varnholt::createSchema(*db);
    const QString stored = writeFile(folder, QStringLiteral("stored.png"), phonefiles::jpeg(phonefiles::photo(64, 48, Qt::gray)));
    kelvane::ObjectStorage(db.get()).SaveObject(31, stored, nullptr, QString());

    const QStringList files = {
        writeFile(folder, QStringLiteral("IMG_0101.jpg"),
                  phonefiles::photoTakenAt(phonefiles::photo(1600, 1200, Qt::darkRed), "2026:12:08 10:01:02")),
        writeFile(folder, QStringLiteral("Kostenvoranschlag.pdf"), phonefiles::pdf(3)),
        writeFile(folder, QStringLiteral("IMG_0102.jpg"),
                  phonefiles::photoTakenAt(phonefiles::photo(1200, 1600, Qt::darkBlue), "2026:12:08 10:02:03", true)),
    };

    auto control = controltest::makeControl(db.get(), {{QStringLiteral("OptimizeLoad"), false}});
    control->SetValue(31);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(false);
    QTimer::singleShot(0, [&] {
        phone::PhoneDialog *dialog = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *found = qobject_cast<phone::PhoneDialog *>(window); found && found->isVisible())
                dialog = found;
        if (!dialog)
            qFatal("the dialog is not open");
        QObject::connect(dialog, &phone::PhoneDialog::taken, [](const phone::IncomingFile &file) {
            say({{"arrived", QJsonObject{{"name", file.originalName},
                                         {"sha256", file.sha256},
                                         {"kind", file.kind},
                                         {"exif", file.exifTime ? file.exifTime->toString(Qt::ISODate) : QString()}}}});
        });
        say({{"address", dialog->receiver().loopbackAddress().toString()},
             {"files", QJsonArray::fromStringList(files)}});
        QObject::connect(&input, &QSocketNotifier::activated, dialog, [dialog, &input] {
            char line[64];
            Q_UNUSED(::read(STDIN_FILENO, line, sizeof line));
            input.setEnabled(false);
            QJsonArray lines;
            const auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lstEingang"));
            for (int i = 0; i < list->count(); ++i)
                lines.append(list->item(i)->text());
            say({{"list", lines}});
            dialog->accept();
        });
        input.setEnabled(true);
    });
    control->hWnd()->findChild<QAction *>(QStringLiteral("Phone"))->trigger();

    const bool saved = control->Save();
    auto rs = db->OpenRecordset(QStringLiteral("SELECT lbObjekt, tClass FROM Objekt WHERE ID = 31"),
                                dao::RecordsetType::Snapshot);
    const QByteArray bytes = rs->Value(QStringLiteral("lbObjekt")).toByteArray();
    QJsonArray messages;
    for (const core::Message &message : boxes.shown)
        messages.append(message.text);
    say({{"stored", QJsonObject{{"saved", saved},
                                {"sha256", QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())},
                                {"class", rs->Value(QStringLiteral("tClass")).toString()}}},
         {"messages", messages}});
    return 0;
}
