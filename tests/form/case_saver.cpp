// Saves new cases into one database as fast as it can, as another
// workstation would: case_saver DATABASE COUNT PLATE FOLDER. Each case
// gets one attachment the way the case form saves it: a number reserved
// for it, the picture's bytes written into that row, the number in the case.
// The bytes are attachmentBytes(description) of the case's description.

#include "AttachmentBytes.h"

#include "form/CaseNumbering.h"
#include "form/Lookups.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "dao/Dao.h"
#include "kelvane/ObjectStorage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 5)
        return 2;
    core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 30)));
    core::RecordingMessageService messages;
    try {
        auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(QString::fromLocal8Bit(argv[1]));
        form::CaseStore store(*db);
        kelvane::ObjectStorage storage(db.get());
        const int count = atoi(argv[2]);
        const QString plate = QString::fromLocal8Bit(argv[3]);
        const QString picture = QDir(QString::fromLocal8Bit(argv[4])).filePath(plate + QStringLiteral(".png"));
        for (int i = 0; i < count; ++i) {
            const QString description = QStringLiteral("%1-%2").arg(plate).arg(i);
            // The attachment is saved first, on its own, as a control saves when asked.
            QFile file(picture);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(attachmentBytes(description)) < 0)
                throw dao::DaoError(dao::ErrEngine, QStringLiteral("cannot write ") + picture);
            file.close();
            const long id = form::reserveObjektId(*db);
            if (!storage.SaveObject(id, picture, nullptr, QString()))
                throw dao::DaoError(dao::ErrEngine, QStringLiteral("SaveObject: ") + messages.lastText());
            store.save(0, core::Clock::now(), [&](dao::Recordset &row) {
                row.SetValue(QStringLiteral("EigenKZ"), plate);
                row.SetValue(QStringLiteral("Schadenart"), QStringLiteral("Einzelschaden"));
                row.SetValue(QStringLiteral("Schadenbeschreibung"), description);
                row.SetValue(QStringLiteral("Objekt_ID_1"), qlonglong(id));
            });
        }
    } catch (const dao::DaoError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
