// The case form over a real database as the form tests drive it: the list
// window as the form sees it, another workstation, rows read back.
#pragma once

#include "AttachmentBytes.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include "form/CaseNumbering.h"
#include "form/LockWaitDialog.h"
#include "form/Lookups.h"
#include "form/frmSchaden.h"
#include "report/PrintRequest.h"

#include "varnholt/CaseList.h"
#include "varnholt/Schema.h"

#include "core/Clock.h"
#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace formtest {

// The list window as far as the form sees it.
class ListSide : public varnholt::CaseList {
public:
    void RefreshGrid(long lID) override { refreshed.append(lID); }
    void addVehicle(const QString &plate) override { vehicles.append(plate); }
    void showPrinted(const QString &note) override { printed.append(note); }
    QList<long> refreshed;
    QStringList vehicles;
    QStringList printed;
};

template <typename T>
T *control(QObject &parent, const QString &name)
{
    T *found = parent.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

inline bool isYellow(const QWidget &w) { return w.palette().color(QPalette::Base) == QColor(255, 255, 0); }

} // namespace formtest

using formtest::control;
using formtest::isYellow;
using formtest::ListSide;

class FormFixture {
protected:
    QTemporaryDir m_dir;
    testengine::Databases m_databases;
    std::unique_ptr<dao::Database> m_db;
    std::unique_ptr<core::RecordingMessageService> m_messages;
    ListSide m_list;
    std::unique_ptr<QWidget> m_owner;
    frmSchaden *m_form = nullptr;

    long insertCase(const QString &plate, const QString &number, const QVariantMap &more = {})
    {
        auto highest = m_db->OpenRecordset(QStringLiteral("SELECT Max(ID) AS m FROM Schaden"), dao::RecordsetType::Snapshot);
        const qlonglong id = highest->Value(QStringLiteral("m")).toLongLong() + 1;
        QStringList columns = {QStringLiteral("ID"), QStringLiteral("EigenKZ"), QStringLiteral("Schadennummer"),
                               QStringLiteral("Schadenart")};
        dao::Params values = {id, plate, number, QStringLiteral("Einzelschaden")};
        for (auto it = more.begin(); it != more.end(); ++it) {
            columns << it.key();
            values << it.value();
        }
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        m_db->Execute(QStringLiteral("INSERT INTO Schaden (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')),
                      values);
        return long(id);
    }

    QVariant stored(long id, const QString &column)
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT * FROM Schaden WHERE ID = ?"), dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {qlonglong(id)});
        return rs->IsEOF() ? QVariant() : rs->Value(column);
    }

    QByteArray objektBytes(const QVariant &object)
    {
        auto rs = m_db->OpenRecordset("SELECT lbObjekt FROM Objekt WHERE ID = ?", dao::RecordsetType::Snapshot,
                                      dao::RecordsetOption::None, {object});
        return rs->IsEOF() ? QByteArray() : rs->Value("lbObjekt").toByteArray();
    }

    // Where the screenshots go when asked for (VARNHOLT_SCREENSHOT_DIR).
    static void screenshot(QWidget &window, const QString &name)
    {
        const QString folder = qEnvironmentVariable("VARNHOLT_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            window.grab().save(folder + u'/' + name);
    }

    long caseCount()
    {
        auto rs = m_db->OpenRecordset(QStringLiteral("SELECT Count(*) AS n FROM Schaden"), dao::RecordsetType::Snapshot);
        return rs->Value(QStringLiteral("n")).toLongLong();
    }

    void makeForm(varnholt::PrintEntry print = {})
    {
        m_owner = std::make_unique<QWidget>();
        m_form = static_cast<frmSchaden *>(caseFormFactory(*m_db, std::move(print))(m_list, m_owner.get()));
        for (const QString &plate : {QStringLiteral("B-AB 1"), QStringLiteral("B-CD 2")})
            m_form->addVehicle(plate);
        m_form->show();
    }

    QComboBox *combo(const QString &name) { return control<QComboBox>(*m_form, name); }
    QLineEdit *line(const QString &name) { return control<QLineEdit>(*m_form, name); }
    QLabel *label(const QString &name) { return control<QLabel>(*m_form, name); }
    QCheckBox *check(const QString &name) { return control<QCheckBox>(*m_form, name); }

    // Another workstation: its own connection to the same database and its own form.
    struct Workstation {
        std::unique_ptr<dao::Database> db;
        ListSide list;
        std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
        frmSchaden *form = nullptr;
    };

    std::unique_ptr<Workstation> otherWorkstation()
    {
        auto other = std::make_unique<Workstation>();
        other->db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"));
        other->form = static_cast<frmSchaden *>(caseFormFactory(*other->db)(other->list, other->owner.get()));
        other->form->show();
        return other;
    }

    static QLineEdit *lineOf(frmSchaden &form, const QString &name) { return control<QLineEdit>(form, name); }

    // Types a plate and a damage kind as a user would, so the case can be saved.
    void fillMandatory(const QString &plate)
    {
        combo("cboAuto")->setEditText(plate);
        combo("cboSchadenart")->setCurrentIndex(0);
    }


    // A new database file with the schema, a fixed clock, recorded messages.
    void openDatabase()
    {
        core::UserSettings::useFolder(m_dir.filePath("user"));
        core::Clock::setFixed(QDateTime(QDate(2010, 3, 5), QTime(9, 30)));
        m_databases.remove("f.db");
        dao::OpenOptions create;
        create.create = true;
        m_db = dao::DBEngine::instance().Workspaces().OpenDatabase(m_databases.path("f.db"), create);
        varnholt::createSchema(*m_db);
        m_messages = std::make_unique<core::RecordingMessageService>();
        m_list = ListSide();
    }

    void closeDatabase()
    {
        m_owner.reset();
        m_messages.reset();
        m_db.reset();
        core::Clock::reset();
    }
};
