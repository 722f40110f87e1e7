#include "OleTestFiles.h"
#include "TestPictures.h"
#include "ole/DocumentPicture.h"
#include "ole/OleContainer.h"
#include "ole/frmOle.h"

#include "core/UserSettings.h"

#include <QApplication>
#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QScopeGuard>

// The desktop here is a private one (oletest::PrivateDesktop) whose test
// script is the application for text and PNG files.
class OleContainerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void editingOutsideRaisesChangedWithTheNewBytes();
    void aLinkedPictureChangedOnDiskRaisesClosed();
    void theCopyOutlivesItsContainerUntilProgramEnd();
    void aTypeWithoutApplicationIsToldAndNothingStarts();
    void insertDialogCancelledChangesNothing();
    void mouseEventsAndBackColour();
    void frmOleUnloadRemovesTheFrameWhereverItIs();
    void screenshot();

private:
    void setReplacement(const QByteArray &bytes);
    QString file(const QString &name, const QByteArray &bytes);
    // The files the "application" has opened so far, one a line.
    QString opened() const;
    // Answers the next modal dialog with what `answer` does to it.
    void answerDialog(std::function<void(QFileDialog *)> answer);

    oletest::PrivateDesktop m_desktop{{QStringLiteral("text/plain"), QStringLiteral("image/png")}};
    QTemporaryDir m_work;
};

void OleContainerTest::initTestCase()
{
    QVERIFY(m_desktop.isValid() && m_work.isValid());
    core::UserSettings::useFolder(QDir(m_work.path()).filePath(QStringLiteral("user")));
}

void OleContainerTest::setReplacement(const QByteArray &bytes)
{
    QVERIFY(m_desktop.setReplacement(bytes));
}

QString OleContainerTest::file(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(m_work.path()).filePath(name);
    if (!oletest::writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString OleContainerTest::opened() const { return m_desktop.opened(); }

void OleContainerTest::answerDialog(std::function<void(QFileDialog *)> answer)
{
    QTimer::singleShot(0, this, [answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Objekt einfügen"));
        answer(dialog);
    });
}

void OleContainerTest::editingOutsideRaisesChangedWithTheNewBytes()
{
    const QString source = file(QStringLiteral("Schadensmeldung.txt"), "Beule hinten links\n");
    setReplacement("Beule hinten links, Kratzer an der Tür\n");
    ole::OleContainer container;
    container.setSettleTime(150);
    container.createEmbed(source);
    QSignalSpy updated(&container, &ole::OleContainer::Updated);

    QVERIFY(container.doVerb(ole::OleContainer::OpenVerb));
    QVERIFY(container.appIsRunning());
    QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 1, 15000);
    QCOMPARE(updated.first().first().toInt(), 0);
    QCOMPARE(container.document().bytes, QByteArray("Beule hinten links, Kratzer an der Tür\n"));

    // The copy lay under its real name in a folder of its own that only the
    // owner may enter; the original file is untouched.
    const QFileInfo folder(container.editFolder());
    QVERIFY(folder.absoluteFilePath().startsWith(QDir::tempPath() + QLatin1Char('/')));
    QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                     | QFile::WriteOther | QFile::ExeOther),
             QFile::Permissions());
    QVERIFY(QFile::exists(QDir(folder.absoluteFilePath()).filePath(QStringLiteral("Schadensmeldung.txt"))));
    QFile original(source);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), QByteArray("Beule hinten links\n"));

    // What is saved next is the edited document.
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    container.saveToFile(buffer);
    buffer.seek(0);
    ole::OleContainer loaded;
    loaded.readFromFile(buffer);
    QCOMPARE(loaded.document().bytes, container.document().bytes);

    // Opening again reuses the copy; a second save outside is a second change.
    setReplacement("dritte Fassung\n");
    QVERIFY(container.doVerb(ole::OleContainer::PrimaryVerb));
    QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 2, 15000);
    QCOMPARE(container.document().bytes, QByteArray("dritte Fassung\n"));
    QVERIFY(!container.doVerb(-1));

    container.deleteObject();
    QVERIFY(!container.doVerb(ole::OleContainer::OpenVerb));
    QVERIFY(container.className().isEmpty());
}

void OleContainerTest::aLinkedPictureChangedOnDiskRaisesClosed()
{
    const QString picture = file(QStringLiteral("Foto.png"), testpictures::png(Qt::red));
    const QByteArray edited = testpictures::png(Qt::green);
    setReplacement(edited);
    ole::OleContainer container;
    container.setSettleTime(150);
    container.createLink(picture);
    QVERIFY(container.isLinked());
    QCOMPARE(container.className(), QStringLiteral("image/png"));
    QSignalSpy updated(&container, &ole::OleContainer::Updated);

    QVERIFY(container.doVerb(ole::OleContainer::OpenVerb));
    QTRY_COMPARE_WITH_TIMEOUT(updated.count(), 1, 15000);
    QCOMPARE(updated.first().first().toInt(), 2);
    QFile changed(picture);
    QVERIFY(changed.open(QIODevice::ReadOnly));
    QCOMPARE(changed.readAll(), edited); // the linked file itself was opened
    QVERIFY(container.editFolder().isEmpty());
}

void OleContainerTest::theCopyOutlivesItsContainerUntilProgramEnd()
{
    const QString source = file(QStringLiteral("Brief.txt"), "Sehr geehrte Damen und Herren\n");
    setReplacement("Sehr geehrte Damen und Herren,\n");
    QString folder;
    {
        ole::OleContainer container;
        container.createEmbed(source);
        QVERIFY(container.doVerb(ole::OleContainer::OpenVerb));
        folder = container.editFolder();
        QTRY_VERIFY_WITH_TIMEOUT(opened().contains(QStringLiteral("/Brief.txt")), 15000);
    }
    QVERIFY(QFileInfo(folder).isDir());
    // The folder now belongs to the application object and goes with it.
    QObject *keeper = qApp->findChild<QObject *>(folder, Qt::FindDirectChildrenOnly);
    QVERIFY(keeper && keeper->inherits("ole::EditFolder"));
    delete keeper;
    QVERIFY(!QFileInfo::exists(folder));

    // Never opened outside: nothing is left behind.
    ole::OleContainer container;
    container.createEmbed(source);
    QVERIFY(container.editFolder().isEmpty());
}

void OleContainerTest::aTypeWithoutApplicationIsToldAndNothingStarts()
{
    // The desktop's system-wide defaults out of sight: only the private
    // mimeapps.list, which names no application for PDF, is asked.
    QTemporaryDir system;
    QVERIFY(QDir(system.path()).mkpath(QStringLiteral("share")) && QDir(system.path()).mkpath(QStringLiteral("etc")));
    QFile::link(QStringLiteral("/usr/share/mime"), QDir(system.path()).filePath(QStringLiteral("share/mime")));
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS"), configDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_DATA_DIRS", QDir(system.path()).filePath(QStringLiteral("share")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", QDir(system.path()).filePath(QStringLiteral("etc")).toUtf8());
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_DATA_DIRS", dataDirs);
        qputenv("XDG_CONFIG_DIRS", configDirs);
    });

    const QByteArray pdf = oletest::pdfBytes();
    const QString source = file(QStringLiteral("Gutachten.pdf"), pdf);
    ole::OleContainer container;
    container.createEmbed(source);
    QString told;
    try {
        container.doVerb(ole::OleContainer::OpenVerb);
    } catch (const ole::OleError &error) {
        told = error.description();
    }
    QVERIFY2(told.startsWith(QStringLiteral("Für Dateien dieser Art ist kein Programm eingerichtet.")), qPrintable(told));
    QVERIFY(told.contains(QStringLiteral("(application/pdf)")));
    QVERIFY(!container.appIsRunning());
    QCOMPARE(container.document().bytes, pdf);

    // A type the desktop has an application for still opens.
    const QString text = file(QStringLiteral("Notiz.txt"), "Kratzer\n");
    ole::OleContainer other;
    other.createEmbed(text);
    QVERIFY(other.doVerb(ole::OleContainer::OpenVerb));
    QTRY_VERIFY_WITH_TIMEOUT(opened().contains(QStringLiteral("/Notiz.txt")), 15000);
    QVERIFY(!opened().contains(QStringLiteral("Gutachten.pdf")));
}

void OleContainerTest::insertDialogCancelledChangesNothing()
{
    const QString notes = file(QStringLiteral("Notiz.txt"), "Zeuge: Herr Brandt\n");
    const QString estimate = file(QStringLiteral("Angebot.pdf"), oletest::pdfBytes());
    ole::OleContainer container;
    container.createEmbed(notes);
    const ole::Document before = container.document();

    // The first time wide enough to read the file list; made larger by the user.
    QSize firstSize;
    answerDialog([&](QFileDialog *dialog) {
        firstSize = dialog->size();
        dialog->resize(1000, 700);
        dialog->reject();
    });
    QCOMPARE(container.insertObjectDialog(), QString());
    QCOMPARE(firstSize, core::UserSettings::FileDialogSize);
    QVERIFY(container.document() == before);

    QSize shownSize;
    QFileDialog::ViewMode shownView = QFileDialog::Detail;
    answerDialog([&](QFileDialog *dialog) {
        shownSize = dialog->size();
        shownView = dialog->viewMode();
        dialog->setViewMode(QFileDialog::List);
        dialog->selectFile(estimate);
        static_cast<QDialog *>(dialog)->accept();
    });
    QCOMPARE(container.insertObjectDialog(), estimate);
    QCOMPARE(container.className(), QStringLiteral("application/pdf"));
    QCOMPARE(container.sourceDoc(), estimate);
    QCOMPARE(shownSize, QSize(1000, 700));
    QCOMPARE(shownView, QFileDialog::Detail);

    // The next time it opens in the folder the last document came from,
    // showing the files as the user chose.
    QString shownFolder;
    answerDialog([&](QFileDialog *dialog) {
        shownFolder = dialog->directory().absolutePath();
        shownView = dialog->viewMode();
        dialog->reject();
    });
    container.insertObjectDialog();
    QCOMPARE(shownFolder, QFileInfo(estimate).absolutePath());
    QCOMPARE(shownView, QFileDialog::List);
}

void OleContainerTest::mouseEventsAndBackColour()
{
    ole::OleContainer container;
    container.resize(200, 150);
    container.show();
    QVERIFY(QTest::qWaitForWindowExposed(&container));
    QSignalSpy down(&container, &ole::OleContainer::MouseDown);
    QSignalSpy click(&container, &ole::OleContainer::Click);
    QSignalSpy doubleClick(&container, &ole::OleContainer::DblClick);
    // A double-click arrives as press, release, double-click.
    QTest::mouseClick(&container, Qt::RightButton);
    QTest::mouseClick(&container, Qt::LeftButton);
    QTest::mouseDClick(&container, Qt::LeftButton);
    QCOMPARE(down.count(), 2);
    QCOMPARE(down.at(0).first().toInt(), 2);
    QCOMPARE(down.at(1).first().toInt(), 1);
    QCOMPARE(click.count(), 2);
    QCOMPARE(doubleClick.count(), 1);

    // Without a document the application cannot run.
    container.setAppIsRunning(true);
    QVERIFY(!container.appIsRunning());
    container.createEmbed(file(QStringLiteral("a.txt"), "a"));
    container.setAppIsRunning(true);
    QVERIFY(container.appIsRunning());
    container.setAppIsRunning(false);
    QVERIFY(!container.appIsRunning());
    container.setBackColor(QColor(212, 208, 200));
    QCOMPARE(container.grab().toImage().pixelColor(1, 1), QColor(212, 208, 200));
}

void OleContainerTest::frmOleUnloadRemovesTheFrameWhereverItIs()
{
    QWidget control;
    auto form = std::make_unique<ole::frmOle>();
    QPointer<QFrame> frame = form->Frame1();
    QPointer<ole::OleContainer> ole1 = form->OLE1();
    QCOMPARE(ole1->parentWidget(), frame.data());
    frame->setParent(&control);
    form.reset();
    QVERIFY(!frame && !ole1);
}

void OleContainerTest::screenshot()
{
    // VARNHOLT_SCREENSHOTS names a folder to keep pictures of a PDF and a
    // text document in their containers, to look at: without an icon theme
    // (the drawn sheet) and with the desktop's.
    const QString shots = qEnvironmentVariable("VARNHOLT_SCREENSHOTS");
    if (shots.isEmpty())
        QSKIP("VARNHOLT_SCREENSHOTS not set");
    const QString pdfPath = file(QStringLiteral("Kostenvoranschlag.pdf"), oletest::pdfBytes());
    const QString textPath = file(QStringLiteral("Polizeibericht.txt"), QByteArray(3000, 'x'));
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral("/usr/share/icons"));
    for (const QString &theme : {QString(), QStringLiteral("Adwaita")}) {
        QIcon::setThemeName(theme);
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        for (const QString &path : {pdfPath, textPath}) {
            auto *container = new ole::OleContainer(&window);
            container->createEmbed(path);
            layout->addWidget(container);
        }
        window.resize(700, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString name = theme.isEmpty() ? QStringLiteral("ole_container.png") : QStringLiteral("ole_container_theme.png");
        QVERIFY(window.grab().save(QDir(shots).filePath(name)));
    }
    QIcon::setThemeName(QString());
}

QTEST_MAIN(OleContainerTest)
#include "tst_olecontainer.moc"
