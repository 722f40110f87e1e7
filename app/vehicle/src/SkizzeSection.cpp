#include "vehicle/SkizzeSection.h"

#include "vehicle/MarkSheet.h"
#include "vehicle/frmFahrzeug.h"
#include "vehicle/MarkStore.h"
#include "vehicle/RecordRoads.h"
#include "vehicle/Outline.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "dao/Dao.h"
#include "varnholt/Globals.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace vehicle {

SkizzeSection::SkizzeSection(dao::Database &db) : m_db(db), m_available(MarkStore::available(db))
{
    buildPage();
    m_page->setEnabled(m_available);
}

// The page and its editors go before the marks they show; the form's tabs
// let go of a page deleted.
SkizzeSection::~SkizzeSection()
{
    delete m_page;
}

void SkizzeSection::buildPage()
{
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("tabSkizze"));
    m_sheet = new MarkSheet(m_marks, m_page);
    auto *panel = new QWidget(m_page);
    auto *form = new QFormLayout;
    const auto named = [](QWidget *widget, const char *name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    m_kind = static_cast<QComboBox *>(named(new QComboBox(panel), "cboArt"));
    m_kind->addItems(markKinds());
    m_severity = static_cast<QComboBox *>(named(new QComboBox(panel), "cboSchwere"));
    m_severity->addItems(markSeverities());
    m_picture = static_cast<QComboBox *>(named(new QComboBox(panel), "cboBild"));
    m_picture->addItems({QString(), QStringLiteral("Bild 1"), QStringLiteral("Bild 2"), QStringLiteral("Bild 3")});
    m_note = static_cast<QLineEdit *>(named(new QLineEdit(panel), "txtNotiz"));
    m_note->setMaxLength(200);
    m_delete = static_cast<QPushButton *>(named(new QPushButton(QStringLiteral("Löschen"), panel), "cmdMarkeLoeschen"));
    form->addRow(QStringLiteral("Art:"), m_kind);
    form->addRow(QStringLiteral("Schwere:"), m_severity);
    form->addRow(QStringLiteral("Bild:"), m_picture);
    form->addRow(QStringLiteral("Notiz:"), m_note);
    form->addRow(QString(), m_delete);
    m_earlier = static_cast<QLabel *>(named(new QLabel(panel), "lblVorschaden"));
    m_earlier->setWordWrap(true);
    m_repairDate = static_cast<QDateEdit *>(named(new QDateEdit(panel), "dtRepariert"));
    m_repairDate->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_repairDate->setCalendarPopup(true);
    m_repair = static_cast<QPushButton *>(named(new QPushButton(QStringLiteral("Repariert am ..."), panel), "cmdRepariert"));
    auto *column = new QVBoxLayout(panel);
    column->addLayout(form);
    column->addSpacing(12);
    column->addWidget(m_earlier);
    column->addWidget(m_repairDate);
    column->addWidget(m_repair);
    column->addStretch();
    auto *record = new QPushButton(QStringLiteral("Fahrzeugakte ..."), panel);
    record->setObjectName(QStringLiteral("cmdFahrzeugakte"));
    column->addWidget(record);
    panel->setFixedWidth(240);
    auto *row = new QHBoxLayout(m_page);
    row->addWidget(m_sheet, 1);
    row->addWidget(panel);

    QAction *undo = m_marks.undoStack().createUndoAction(m_page, QStringLiteral("Rückgängig"));
    undo->setObjectName(QStringLiteral("actRueckgaengig"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_page->addAction(undo);

    QObject::connect(m_sheet, &MarkSheet::chosen, m_page, [this] {
        --m_typing;   // typing in another mark's note is another undo step
        showChosen();
    });
    QObject::connect(&m_marks, &MarkSet::marksChanged, m_page, [this] {
        showChosen();
        if (!m_reading)
            tellChanged();
    });
    const auto edited = [this] { editChosen(); };
    QObject::connect(m_kind, &QComboBox::currentIndexChanged, m_page, edited);
    QObject::connect(m_severity, &QComboBox::currentIndexChanged, m_page, edited);
    QObject::connect(m_picture, &QComboBox::currentIndexChanged, m_page, edited);
    QObject::connect(m_note, &QLineEdit::textEdited, m_page, [this] { editChosen(m_typing); });
    QObject::connect(m_delete, &QPushButton::clicked, m_page, [this] {
        if (m_sheet->selected() != 0)
            m_marks.remove(m_sheet->selected());
    });
    QObject::connect(m_repair, &QPushButton::clicked, m_page, [this] { repairChosen(); });
    // The record shows what is stored; its cases open in this form, as from the list's record.
    QObject::connect(record, &QPushButton::clicked, m_page, [this] {
        const RecordRoads roads(host().form, host().list, host().print);
        openVehicleRecord(m_db, m_plate, roads.opener(), roads.printer(), m_page->window());
    });
    showChosen();
}

void SkizzeSection::load(dao::Database &db, long caseId, dao::Recordset *row)
{
    (void)db;
    m_caseId = caseId;
    m_written = 0;
    m_plate = row ? row->Value(QStringLiteral("EigenKZ")).toString() : QString();
    reload();
}

void SkizzeSection::reload()
{
    if (!m_available)
        return;
    MarkStore store(m_db);
    const QList<DamageMark> own = m_caseId != 0 ? store.caseMarks(m_caseId) : QList<DamageMark>();
    const QList<DamageMark> earlier = store.earlierOpenMarks(m_plate, m_caseId);
    const QScopedValueRollback reading(m_reading, true);
    m_sheet->choose(0, 0);
    m_marks.reset(own, earlier);
}

void SkizzeSection::vehicleChanged(const QString &plate, const QString &type)
{
    m_sheet->setOutline(OutlineChoice::fromIni(varnholt::gIniFile).outlineFor(type));
    if (plate.trimmed().compare(m_plate.trimmed(), Qt::CaseInsensitive) == 0)
        return;
    m_plate = plate;
    if (!m_available)
        return;
    try {
        const QList<DamageMark> earlier = MarkStore(m_db).earlierOpenMarks(m_plate, m_caseId);
        const QScopedValueRollback reading(m_reading, true);
        m_marks.resetEarlier(earlier);
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical);
    }
}

void SkizzeSection::setLocked(bool locked)
{
    m_locked = locked;
    m_sheet->setLocked(locked);
    showChosen();
}

void SkizzeSection::write(dao::Database &db, long caseId)
{
    if (!m_available)
        return;
    MarkStore store(db);
    store.writeCase(caseId, m_plate, m_caseId == caseId ? m_marks.loadedOwn() : QList<DamageMark>(), m_marks.own());
    for (const DamageMark &mark : m_marks.repairedEarlier())
        store.setRepaired(mark.id, mark.repairedOn);
    m_written = caseId;
}

void SkizzeSection::settle()
{
    if (m_written != 0)
        m_caseId = m_written;
    m_written = 0;
    try {
        reload();
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical);
    }
}

void SkizzeSection::showChosen()
{
    m_showing = true;
    const int index = m_marks.indexOf(m_sheet->selected());
    const bool own = index >= 0;
    if (own) {
        const DamageMark &mark = m_marks.own()[index];
        m_kind->setCurrentIndex(std::max(0, int(markKinds().indexOf(mark.kind))));
        m_severity->setCurrentIndex(std::max(0, int(markSeverities().indexOf(mark.severity))));
        m_picture->setCurrentIndex(std::clamp(mark.picture, 0, 3));
        if (m_note->text() != mark.note)
            m_note->setText(mark.note);
    } else {
        m_note->clear();
    }
    for (QWidget *editor : std::initializer_list<QWidget *>{m_kind, m_severity, m_picture, m_note, m_delete})
        editor->setEnabled(own && !m_locked);

    const DamageMark *earlier = nullptr;
    for (const DamageMark &mark : m_marks.earlier())
        if (mark.id != 0 && mark.id == m_sheet->selectedEarlier())
            earlier = &mark;
    if (earlier) {
        QString text = QStringLiteral("Vorschaden aus %1: %2 %3").arg(earlier->caseNumber, earlier->kind, earlier->severity);
        if (earlier->repairedOn.isValid())
            text += QStringLiteral(", repariert am ") + earlier->repairedOn.toString(QStringLiteral("dd.MM.yyyy"));
        m_earlier->setText(text);
        m_repairDate->setDate(earlier->repairedOn.isValid() ? earlier->repairedOn : core::Clock::now().date());
    } else {
        m_earlier->setText(m_marks.earlier().isEmpty()
                               ? QString()
                               : QStringLiteral("Grau: Vorschäden früherer Fälle dieses Fahrzeugs"));
    }
    m_repairDate->setVisible(earlier);
    m_repair->setVisible(earlier);
    m_repairDate->setEnabled(!m_locked);
    m_repair->setEnabled(!m_locked);
    m_showing = false;
}

void SkizzeSection::editChosen(int merge)
{
    const int index = m_marks.indexOf(m_sheet->selected());
    if (m_showing || m_locked || index < 0)
        return;
    DamageMark mark = m_marks.own()[index];
    mark.kind = m_kind->currentText();
    mark.severity = m_severity->currentText();
    mark.picture = m_picture->currentIndex();
    mark.note = m_note->text();
    m_marks.edit(mark, merge);
}

void SkizzeSection::repairChosen()
{
    if (!m_locked && m_sheet->selectedEarlier() != 0)
        m_marks.setRepaired(m_sheet->selectedEarlier(), m_repairDate->date());
}

} // namespace vehicle
