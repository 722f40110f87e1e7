#include "kelvane/OLELangTrans.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolBar>

using namespace kelvane;

namespace {

// The built-in table with translations for some source texts (entry numbers).
MessageTable translated(const QList<std::pair<int, QString>> &translations)
{
    MessageTable table;
    for (const QString &text : OLELangTrans::BuiltInTexts())
        table.append({text, std::nullopt});
    for (const auto &[entry, text] : translations)
        table[entry].translation = text;
    return table;
}

} // namespace

class TestLangTrans : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { SetMessages({}); }

    void builtInTableLeavesEveryTextAlone();
    void lastMatchingEntryDecides();
    void tableIsSharedAndSurvivesNewObjects();
    void toolbarIsTranslatedInPlace();
};

void TestLangTrans::builtInTableLeavesEveryTextAlone()
{
    OLELangTrans trans;
    for (const MessageEntry &entry : trans.Messages()) {
        QVERIFY(!entry.translation);
        QCOMPARE(trans.Translate(entry.source), entry.source);
    }
    QCOMPARE(trans.Translate(QString()), QString());
}

void TestLangTrans::lastMatchingEntryDecides()
{
    OLELangTrans trans;
    trans.SetMessages(translated({{0, QStringLiteral("New ")}, {7, QStringLiteral("Remove object")},
                                  {19, QStringLiteral("Delete object")}, {30, QStringLiteral("OK")}}));
    QCOMPARE(trans.Translate(QStringLiteral("Objekt löschen")), QStringLiteral("Delete object"));
    QCOMPARE(trans.Translate(QStringLiteral("OBJEKT LÖSCHEN")), QStringLiteral("Delete object"));
    QCOMPARE(trans.Translate(QStringLiteral("neu anlegen ")), QStringLiteral("New "));
    // Exact apart from case: blanks count.
    QCOMPARE(trans.Translate(QStringLiteral("Neu anlegen")), QStringLiteral("Neu anlegen"));
    QCOMPARE(trans.Translate(QStringLiteral("ok      ")), QStringLiteral("OK"));

    // A later match without a translation gives the text back, even after an earlier one had one.
    trans.SetMessages(translated({{7, QStringLiteral("Remove object")}}));
    QCOMPARE(trans.Translate(QStringLiteral("objekt löschen")), QStringLiteral("objekt löschen"));
}

void TestLangTrans::tableIsSharedAndSurvivesNewObjects()
{
    // Written through the global object before any control or editor exists.
    SetMessages(translated({{22, QStringLiteral("Bold")}}));
    QCOMPARE(OLELangTrans().Translate(QStringLiteral("Fett")), QStringLiteral("Bold"));
    QCOMPARE(Messages()[22].translation, std::optional<QString>(QStringLiteral("Bold")));

    // What a reader holds is a copy.
    MessageTable copy = OLELangTrans().Messages();
    copy[22].translation = QStringLiteral("Gras");
    QCOMPARE(OLELangTrans().Translate(QStringLiteral("Fett")), QStringLiteral("Bold"));

    // A table of the host's own replaces the texts, and stays while new objects come.
    OLELangTrans().SetMessages({{QStringLiteral("Kursiv"), QStringLiteral("Italic")}});
    const OLELangTrans later;
    QCOMPARE(later.Messages().size(), 1);
    QCOMPARE(later.Translate(QStringLiteral("Kursiv")), QStringLiteral("Italic"));
    QCOMPARE(later.Translate(QStringLiteral("Fett")), QStringLiteral("Fett"));

    // An emptied table is built anew by the next object.
    SetMessages({});
    QCOMPARE(OLELangTrans().Messages().size(), OLELangTrans::BuiltInTexts().size());
    QCOMPARE(Messages(), OLELangTrans().Messages());
}

void TestLangTrans::toolbarIsTranslatedInPlace()
{
    SetMessages(translated({{0, QStringLiteral("New")}, {1, QStringLiteral("Create object")},
                            {2, QStringLiteral("Insert object...")}, {4, QStringLiteral("Edit")},
                            {5, QStringLiteral("Edit object")}, {6, QStringLiteral("Delete")},
                            {19, QStringLiteral("Delete object")}, {10, QStringLiteral("Best fit")},
                            {11, QStringLiteral("Show overlay")}, {27, QStringLiteral("Transparent")}}));
    QToolBar bar;
    QAction *newAction = bar.addAction(QStringLiteral("Neu anlegen "));
    newAction->setToolTip(QStringLiteral("Objekt anlegen"));
    QMenu menu;
    menu.addAction(QStringLiteral("Objekt einfügen..."));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Von Scanner einfügen..."));
    newAction->setMenu(&menu);
    QAction *edit = bar.addAction(QStringLiteral("Bearbeiten "));
    QAction *del = bar.addAction(QStringLiteral("Löschen     "));
    del->setToolTip(QStringLiteral("Objekt löschen"));
    bar.addSeparator();
    auto *check = new QCheckBox(QStringLiteral("Transparent "));
    bar.addWidget(check);
    auto *label = new QLabel(QStringLiteral("Bearbeiten "));
    bar.addWidget(label);
    auto *inner = new QToolBar;
    QAction *fit = inner->addAction(QStringLiteral("Optimale Größe"));
    fit->setToolTip(QStringLiteral("Objekt-Grafik anzeigen"));
    bar.addWidget(inner);

    OLELangTrans().TranslateToolbar(&bar);
    QCOMPARE(newAction->text(), QStringLiteral("New"));
    QCOMPARE(newAction->toolTip(), QStringLiteral("Create object"));
    QCOMPARE(menu.actions()[0]->text(), QStringLiteral("Insert object..."));
    QCOMPARE(menu.actions()[2]->text(), QStringLiteral("Von Scanner einfügen..."));
    QCOMPARE(edit->text(), QStringLiteral("Edit"));
    QCOMPARE(edit->toolTip(), QStringLiteral("Edit"));   // a tool tip of its text follows it
    QCOMPARE(del->text(), QStringLiteral("Delete"));
    QCOMPARE(del->toolTip(), QStringLiteral("Delete object"));
    QCOMPARE(check->text(), QStringLiteral("Transparent"));
    QCOMPARE(label->text(), QStringLiteral("Bearbeiten "));
    QCOMPARE(fit->text(), QStringLiteral("Best fit"));
    QCOMPARE(fit->toolTip(), QStringLiteral("Show overlay"));

    OLELangTrans().TranslateToolbar(nullptr);
}

QTEST_MAIN(TestLangTrans)
#include "tst_langtrans.moc"
