// A workstation that ends without warning: form_crash_child DATABASE
// SETTINGS PICTURE CASE opens the case form on CASE (0: a new case), types
// into it, drops PICTURE on "Bild 1", prints "bereit" once the form has
// written its recovery copy, and waits to be killed.

#include "TestPictures.h"

#include "form/RecoveryCopy.h"
#include "form/frmSchaden.h"

#include "varnholt/CaseList.h"

#include "core/GermanLocale.h"
#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "dao/Dao.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

class NoList : public varnholt::CaseList {
public:
    void RefreshGrid(long) override {}
    void addVehicle(const QString &) override {}
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 5)
        return 2;
    core::applyGermanLocaleDefault();
    core::UserSettings::useFolder(QString::fromLocal8Bit(argv[2]));
    core::RecordingMessageService messages;
    auto db = dao::DBEngine::instance().Workspaces().OpenDatabase(QString::fromLocal8Bit(argv[1]));
    NoList list;
    QWidget owner;
    // The owner's child, as the list window's form is.
    auto *form = static_cast<frmSchaden *>(caseFormFactory(*db)(list, &owner));
    form->FillSchaden(atol(argv[4]));
    form->show();
    form->findChild<QComboBox *>(QStringLiteral("cboAuto"))->setEditText(QStringLiteral("B-XY 9"));
    form->findChild<QComboBox *>(QStringLiteral("cboSchadenart"))->setCurrentIndex(1);
    form->findChild<QLineEdit *>(QStringLiteral("txtFeld_1"))->setText(QStringLiteral("Gegner Schmidt"));
    form->findChild<QPlainTextEdit *>(QStringLiteral("txtFeld_2"))->setPlainText(QStringLiteral("Delle\nhinten links"));
    if (!testpictures::drop(*form->findChild<QWidget *>(QStringLiteral("Ole_0")), {QString::fromLocal8Bit(argv[3])}))
        return 3;
    const form::RecoveryCopy copy;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!QFile::exists(copy.path()))
            return;
        poll.stop();
        std::printf("bereit\n");
        std::fflush(stdout);
    });
    poll.start(100);
    return QApplication::exec();
}
