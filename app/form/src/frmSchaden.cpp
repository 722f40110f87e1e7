#include "form/frmSchaden.h"

#include "form/AmountKeys.h"
#include "form/Attachment.h"
#include "form/LockWaitDialog.h"
#include "form/Lookups.h"
#include "form/OleAttachment.h"
#include "form/SaveHistory.h"

#include "history/Record.h"
#include "report/PrintRequest.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"
#include "varnholt/CaseList.h"
#include "varnholt/ControlLibrary.h"
#include "kelvane/MapPropertyBag.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>

namespace {

const QString Section = QStringLiteral("Schaden");
const QColor Mandatory(255, 255, 0);
constexpr int MinWidthTwips = 7860;
constexpr int MinHeightTwips = 8860;

} // namespace

frmSchaden::frmSchaden(varnholt::CaseList &list, dao::Database &db, QWidget *owner, varnholt::PrintEntry print)
    : QWidget(owner, Qt::Window), m_list(list), m_db(db), m_print(std::move(print)), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("frmSchaden"));
    setWindowTitle(QStringLiteral("Schadensmeldung"));
    // The positions are laid out in twips for the classic 8-point dialog font.
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    m_tabs->setObjectName(QStringLiteral("tabSchaden"));
    auto *page = new QWidget;
    m_page = form::SchadenPage::build(*page);
    m_tabs->addTab(page, QStringLiteral("Schaden"));
    for (int i = 0; i < 3; ++i) {
        auto *tab = new QWidget;
        m_ole[size_t(i)] = makeAttachment(i, *tab);
        m_tabs->addTab(tab, history::slotField(i + 1));
    }
    m_binding = std::make_unique<form::CaseBinding>(*this);
    addSections();
    for (const std::unique_ptr<form::OleAttachment> &control : m_controls)
        if (control)
            m_binding->addAttachment(control.get());

    setMinimumSize(core::twipsToPixels(MinWidthTwips), core::twipsToPixels(MinHeightTwips));
    resize(minimumSize());
    core::UserSettings::restorePlacement(this, Section);

    loadPickLists();
    for (form::Attachment *attachment : m_binding->attachments()) {
        attachment->setDatabase(&m_db);
        attachment->setNewPrimarySource([this] { return form::reserveObjektId(m_db); });
        attachment->setContentHandler([this] { showPictureCount(); });
    }
    connectChangeTracking();
    connectButtons();
    layOutTabs();

    m_recoveryQuiet.setSingleShot(true);
    m_recoveryQuiet.setInterval(RecoveryDelay);
    connect(&m_recoveryQuiet, &QTimer::timeout, this, [this] { keepRecoveryCopy(); });
    // The attachments tell no change of their own: a drop, a click or a key
    // in the form, or the form active again after a dialog, may have made one.
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] { offerRecovery(); });
}

// Gone with the form: the program ended cleanly, after the save question.
frmSchaden::~frmSchaden()
{
    m_recovery.remove();
}

QWidget *frmSchaden::makeAttachment(int index, QWidget &tab)
{
    const QString dataField = QStringLiteral("Objekt_ID_%1").arg(index + 1);
    const QString name = QStringLiteral("Ole_%1").arg(index);
    kelvane::MapPropertyBag placed({{QStringLiteral("DataField"), dataField}});
    if (kelvane::_RAZOleCtrl *control = varnholt::ControlLibrary::program().create(&tab, &placed)) {
        control->hWnd()->setObjectName(name);
        m_controls[size_t(index)] = std::make_unique<form::OleAttachment>(*control);
        return control->hWnd();
    }
    // Without the control's library the tab keeps the case's number as it is.
    auto *kept = new form::KeptAttachment(dataField, &tab);
    kept->setObjectName(name);
    return kept;
}

void frmSchaden::addSections()
{
    m_sections = form::makeCaseSections(m_db);
    for (const std::unique_ptr<form::CaseSection> &section : m_sections) {
        m_tabs->addTab(section->page(), section->title());
        section->setChangeHandler([this] { markChanged(); });
        section->setImmediateWriteHandler([this](const std::function<void()> &write) { writeImmediately(write); });
        section->setHost({this, &m_list, m_print});
    }
}

void frmSchaden::writeImmediately(const std::function<void()> &write)
{
    if (m_caseId == 0 || insertRunning() || !FormSaved())
        return;
    const long id = m_caseId;
    try {
        const core::WaitCursor hourglass;
        write();
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical, core::MsgButtons::Ok, {}, this);
        return;
    }
    FillSchaden(id);
    m_list.RefreshGrid(id);
}

void frmSchaden::tellVehicle()
{
    for (const std::unique_ptr<form::CaseSection> &section : m_sections)
        section->vehicleChanged(m_page.cboAuto->currentText(), m_page.cboTyp->currentText());
}

void frmSchaden::loadPickLists()
{
    form::fillCustomerList(m_db, *m_page.cboKunde);
    form::fillPickList(m_db, *m_page.cboTyp, QStringLiteral("FAHRZEUGTYP"));
    form::fillPickList(m_db, *m_page.cboStellplatz, QStringLiteral("STELLPLATZ"));
    form::fillPickList(m_db, *m_page.cboMelder, QStringLiteral("MELDER"));
    form::fillPickList(m_db, *m_page.cboBewerter, QStringLiteral("BEGUTACHTER"));
    for (QComboBox *box : {m_page.cboKunde, m_page.cboTyp, m_page.cboStellplatz, m_page.cboMelder, m_page.cboBewerter})
        box->setCurrentIndex(-1);
}

void frmSchaden::connectChangeTracking()
{
    const auto changed = [this] { markChanged(); };
    connect(m_page.cboAuto, &QComboBox::editTextChanged, this, [this] {
        markChanged();
        markMandatory();
        tellVehicle();
    });
    connect(m_page.cboTyp, &QComboBox::editTextChanged, this, [this] { tellVehicle(); });
    connect(m_page.cboAuto, &QComboBox::activated, this, [this] { chooseVehicle(); });
    connect(m_page.cboSchadenart, &QComboBox::currentIndexChanged, this, [this] {
        markChanged();
        markMandatory();
    });
    for (QComboBox *box : {m_page.cboTyp, m_page.cboStellplatz, m_page.cboMelder, m_page.cboBewerter, m_page.cboKunde}) {
        connect(box, &QComboBox::editTextChanged, this, changed);
        connect(box, &QComboBox::activated, this, changed);
    }
    connect(m_page.cboKunde, &QComboBox::activated, this, [this] { chooseCustomer(); });
    for (QComboBox *box : {m_page.cboBewertung, m_page.cboBericht, m_page.cboSchuld, m_page.cboReparatur})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    for (QLineEdit *box : m_page.txtFeld)
        if (box)
            connect(box, &QLineEdit::textChanged, this, changed);
    connect(m_page.txtVom, &QLineEdit::textChanged, this, changed);
    for (QPlainTextEdit *box : {m_page.txtFeld_2, m_page.txtFeld_8})
        connect(box, &QPlainTextEdit::textChanged, this, changed);
    for (QLineEdit *box : m_page.txtKosten) {
        box->installEventFilter(new form::AmountKeyFilter(changed, box));
        // Pasting is no key press but changes the amount all the same.
        connect(box, &QLineEdit::textEdited, this, changed);
    }
    connect(m_page.txtKndNr, &QLineEdit::editingFinished, this, [this] { lookUpCustomer(); });
    for (QCheckBox *box : m_page.chkSchaden)
        connect(box, &QCheckBox::clicked, this, changed);
    connect(m_page.chkSicherheit, &QCheckBox::clicked, this, changed);
    connect(m_page.chkVorgang, &QCheckBox::clicked, this, [this](bool checked) {
        SetLocked(checked);
        markChanged();
    });
}

void frmSchaden::connectButtons()
{
    connect(m_page.cmdOK, &QPushButton::clicked, this, [this] {
        if (SaveCase())
            hide();
    });
    connect(m_page.cmdCancel, &QPushButton::clicked, this, [this] {
        if (FormSaved())
            hide();
    });
    m_page.cmdPrint->setEnabled(bool(m_print));
    connect(m_page.cmdPrint, &QPushButton::clicked, this, [this] { printCase(); });
    connect(m_page.cmdNow, &QPushButton::clicked, this, [this] { pressNow(); });
    connect(m_page.cmdMelder, &QPushButton::clicked, this, [this] { pressMelder(); });
}

void frmSchaden::markMandatory()
{
    for (QComboBox *box : {m_page.cboAuto, m_page.cboSchadenart}) {
        const QColor colour = box->currentText().isEmpty() ? Mandatory : QApplication::palette().color(QPalette::Base);
        form::setBackground(*box, colour);
    }
}

bool frmSchaden::insertRunning()
{
    for (const form::Attachment *attachment : m_binding->attachments()) {
        if (attachment->busy()) {
            core::showMessage(QStringLiteral("Bitte warten Sie, bis das Einfügen in diesen Vorgang beendet ist."),
                              core::MsgIcon::Information, core::MsgButtons::Ok, {}, this);
            return true;
        }
    }
    return false;
}

void frmSchaden::FillSchaden(long lID)
{
    // A scan or a file dialog still running belongs to the case shown.
    if (insertRunning() || !FormSaved())
        return;
    core::WaitCursor hourglass;
    m_caseId = lID < 1 ? 0 : lID;
    m_stamp = {};
    m_filling = true;
    try {
        if (lID < 1) {
            SetLocked(false);
            m_page.chkVorgang->setChecked(false);
            m_binding->clear();
            for (const std::unique_ptr<form::CaseSection> &section : m_sections)
                section->load(m_db, 0, nullptr);
            form::setBackground(*m_page.cboAuto, Mandatory);
            form::setBackground(*m_page.cboSchadenart, Mandatory);
        } else {
            auto row = m_db.OpenRecordset(QStringLiteral("Select * from Schaden where ID=?"), dao::RecordsetType::Snapshot,
                                          dao::RecordsetOption::None, {qlonglong(lID)});
            if (!row->IsEOF()) {
                m_stamp = form::CaseStamp::of(*row);
                const int attached = m_binding->load(*row);
                for (const std::unique_ptr<form::CaseSection> &section : m_sections)
                    section->load(m_db, lID, row.get());
                const QVariant pictures = row->Value(QStringLiteral("Schadenbilder"));
                m_page.lblBilder->setText(attached == 0 && !dao::isNull(pictures) && pictures.toBool()
                                              ? QStringLiteral("Ja")
                                              : QString::number(attached));
                SetLocked(m_page.chkVorgang->isChecked());
            }
        }
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical, core::MsgButtons::Ok, {}, this);
    }
    tellVehicle();
    m_filling = false;
    ResetChanged();
}

void frmSchaden::SetLocked(bool bLock)
{
    m_binding->setLocked(bLock);
    for (const std::unique_ptr<form::CaseSection> &section : m_sections)
        section->setLocked(bLock);
    m_page.chkVorgang->setEnabled(true);
}

void frmSchaden::showPictureCount()
{
    // "Schadenbilder" follows what the picture tabs hold, a deletion too.
    const auto &attachments = m_binding->attachments();
    const auto held = std::count_if(attachments.begin(), attachments.end(),
                                    [](const form::Attachment *attachment) { return attachment->hasContent(); });
    m_page.lblBilder->setText(QString::number(held));
}

bool frmSchaden::FormChanged()
{
    if (m_dataChanged)
        return true;
    for (const form::Attachment *attachment : m_binding->attachments())
        if (attachment->changed())
            return true;
    return std::any_of(m_sections.begin(), m_sections.end(),
                       [](const std::unique_ptr<form::CaseSection> &section) { return section->changed(); });
}

bool frmSchaden::FormSaved()
{
    if (!FormChanged())
        return true;
    switch (core::showMessage(QStringLiteral("Möchten Sie Ihre Änderung speichern ?"), core::MsgIcon::Question,
                              core::MsgButtons::YesNoCancel, {}, this)) {
    case core::MsgAnswer::Yes:
        return SaveCase();
    case core::MsgAnswer::No:
        ResetChanged();
        return true;
    default:
        return false;
    }
}

void frmSchaden::ResetChanged()
{
    m_dataChanged = false;
    m_recoveryQuiet.stop();
    m_recovery.remove();
    m_recoveryFailureTold = false;
    for (form::Attachment *attachment : m_binding->attachments())
        attachment->setChanged(false);
    for (const std::unique_ptr<form::CaseSection> &section : m_sections)
        section->settle();
}

bool frmSchaden::SaveCase()
{
    const auto refuse = [this](const QString &text, core::MsgIcon icon, QWidget *focus) {
        core::showMessage(text, icon, core::MsgButtons::Ok, {}, this);
        if (focus)
            focus->setFocus();
        return false;
    };
    if (m_page.cboAuto->currentText().isEmpty())
        return refuse(QStringLiteral("Bitte wählen Sie ein Fahrzeug aus!"), core::MsgIcon::Information, m_page.cboAuto);
    if (m_page.cboSchadenart->currentText().isEmpty())
        return refuse(QStringLiteral("Bitte wählen Sie die Schadenart aus!"), core::MsgIcon::Information,
                      m_page.cboSchadenart);
    if (!FormChanged())
        return true;
    // Every date is checked before anything is written, so a refused save leaves no trace.
    if (QWidget *invalid = m_binding->firstInvalidDate()) {
        const QString text = qobject_cast<QLineEdit *>(invalid) ? static_cast<QLineEdit *>(invalid)->text()
                                                                : static_cast<QPlainTextEdit *>(invalid)->toPlainText();
        return refuse(QStringLiteral("Ungültiges Datum: '") + text + QStringLiteral("' !"), core::MsgIcon::Critical,
                      invalid);
    }
    return writeCase(false);
}

bool frmSchaden::writeCase(bool overwrite)
{
    const auto fail = [this](const QString &text, core::MsgIcon icon) {
        core::showMessage(text, icon, core::MsgButtons::Ok, {}, this);
        return false;
    };
    try {
        form::CaseStore store(m_db);
        std::optional<form::CaseStamp> expected;
        if (m_caseId != 0 && !overwrite)
            expected = m_stamp;
        long saved = 0;
        {
            form::LockWaitDialog waiting(this);
            const dao::LockWaitScope observe(m_db, waiting.observer());
            form::SaveHistory changes = saveHistory();
            const QDateTime now = core::Clock::now();
            saved = store.save(m_caseId, now, [this, &changes](dao::Recordset &row) {
                changes.begin();
                for (const form::Attachment *attachment : m_binding->attachments())
                    changes.noteAttachment(m_db, attachment->dataField(), attachment->pendingChange(), attachment->value());
                m_binding->write(row, [this](QComboBox &combo, const QString &column) { AddToPickList(combo, column); });
            }, expected, [this, &changes, &store, now](long id) {
                for (const std::unique_ptr<form::CaseSection> &section : m_sections)
                    section->write(m_db, id);
                changes.write(m_db, id, store.before(), store.after(), now);
            });
        }
        m_caseId = saved;
        m_stamp = store.written();
    } catch (const form::CaseChangedElsewhere &) {
        return settleConflict();
    } catch (const form::CaseDeletedElsewhere &) {
        // Saved anew it would come back under its old number, which the other workstation gave up.
        return fail(QStringLiteral("Der Vorgang wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                    core::MsgIcon::Information);
    } catch (const dao::DaoError &error) {
        // Waiting given up: nothing was written and everything typed stays.
        if (error.number() == dao::ErrCancelled)
            return false;
        return fail(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(), core::MsgIcon::Critical);
    } catch (const form::AttachmentSaveFailed &failure) {
        return fail(QStringLiteral("Folgender Fehler ist aufgetreten: ") + failure.description(), core::MsgIcon::Critical);
    }
    m_list.RefreshGrid(m_caseId);
    ResetChanged();
    return true;
}

form::SaveHistory frmSchaden::saveHistory() const
{
    QHash<QString, QString> attachments;
    for (int i = 0; i < int(m_ole.size()); ++i)
        attachments.insert(QStringLiteral("Objekt_ID_%1").arg(i + 1), m_tabs->tabText(i + 1));
    return form::SaveHistory(m_binding->fieldLabels(*m_tabs->widget(0)), attachments);
}

// Another workstation saved the case since it was loaded here: overwrite
// it, keep the form as it is (to copy what was typed), or show the stored case.
bool frmSchaden::settleConflict()
{
    switch (core::showMessage(form::changedElsewhereQuestion(m_db, m_caseId), core::MsgIcon::Question,
                              core::MsgButtons::YesNoReload, {}, this)) {
    case core::MsgAnswer::Yes:
        return writeCase(true);
    case core::MsgAnswer::Reload:
        ResetChanged();
        FillSchaden(m_caseId);
        return false;
    default:
        return false;
    }
}

void frmSchaden::AddToPickList(QComboBox &combo, const QString &column)
{
    const QString text = combo.currentText();
    if (!form::isNewPickValue(m_db, column, text))
        return;
    // A typed customer keeps the number typed with it.
    const QVariant data = column == QLatin1String("KUNDENNAME")
        ? QVariant::fromValue<qlonglong>(form::customerNumber(m_page.txtKndNr->text()))
        : QVariant();
    const QSignalBlocker quiet(combo);
    const int index = combo.currentIndex();
    combo.addItem(text, data);
    combo.setCurrentIndex(index);
    combo.setEditText(text);
    if (column == QLatin1String("EIGENKZ"))
        m_list.addVehicle(text);
}

void frmSchaden::addVehicle(const QString &plate)
{
    const QSignalBlocker quiet(m_page.cboAuto);
    const QString text = m_page.cboAuto->currentText();
    const int index = m_page.cboAuto->currentIndex();
    m_page.cboAuto->addItem(plate);
    m_page.cboAuto->setCurrentIndex(index);
    m_page.cboAuto->setEditText(text);
}

void frmSchaden::clearVehicles()
{
    const QSignalBlocker quiet(m_page.cboAuto);
    const QString text = m_page.cboAuto->currentText();
    m_page.cboAuto->clear();
    m_page.cboAuto->setEditText(text);
}

void frmSchaden::chooseVehicle()
{
    if (const auto details = form::lookUpVehicle(m_db, m_page.cboAuto->currentText())) {
        m_page.cboTyp->setEditText(details->type);
        m_page.cboStellplatz->setEditText(details->parkingPlace);
    }
    markChanged();
    markMandatory();
}

void frmSchaden::chooseCustomer()
{
    const int index = form::selectedEntry(*m_page.cboKunde);
    if (index < 0)
        return;
    const qlonglong number = m_page.cboKunde->itemData(index).toLongLong();
    // A customer listed without a number leaves the box empty rather than showing 0.
    m_page.txtKndNr->setText(number == 0 ? QString() : QString::number(number));
    markChanged();
}

void frmSchaden::lookUpCustomer()
{
    if (m_page.txtKndNr->isReadOnly())
        return;
    markChanged();
    const QString text = form::customerNumberText(m_page.txtKndNr->text());
    m_page.txtKndNr->setText(text);
    const int index = text.isEmpty() ? -1 : form::findCustomer(*m_page.cboKunde, text.toLong());
    if (index >= 0) {
        m_page.cboKunde->setCurrentIndex(index);
        chooseCustomer();
    } else if (m_page.cboKunde->currentText().isEmpty()) {
        m_page.cboKunde->setCurrentIndex(-1);
    }
}

void frmSchaden::pressNow()
{
    if (m_page.chkVorgang->isChecked())
        return;
    m_page.txtVom->setText(core::Clock::today().toString(QStringLiteral("dd.MM.yyyy")));
    markChanged();
}

void frmSchaden::pressMelder()
{
    if (m_page.chkVorgang->isChecked() || m_page.cboKunde->currentText().isEmpty())
        return;
    m_page.cboMelder->setEditText(m_page.cboKunde->currentText());
    markChanged();
}

void frmSchaden::printCase()
{
    // The report shows what is stored, so the case is saved first; a new
    // case that was never saved has nothing to print.
    if (!m_print || !FormSaved() || m_caseId == 0)
        return;
    report::requestCaseReport(m_caseId);
    m_list.showPrinted(m_print(this));
}

void frmSchaden::unload()
{
    m_unloading = true;
    core::UserSettings::savePlacement(this, Section);
    close();
}

void frmSchaden::closeEvent(QCloseEvent *event)
{
    if (insertRunning() || !FormSaved()) {
        event->ignore();
        return;
    }
    if (!m_unloading) {
        // The close box only hides the form; it lives as long as the list window.
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

void frmSchaden::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        layOutTabs();
}

void frmSchaden::layOutTabs()
{
    const int margin = core::twipsToPixels(40);
    m_tabs->setGeometry(margin, margin, width() - 2 * margin, height() - 2 * margin);
    for (QWidget *ole : m_ole)
        ole->setGeometry(core::twipsToPixels(100), core::twipsToPixels(100),
                         m_tabs->width() - core::twipsToPixels(200), m_tabs->height() - core::twipsToPixels(550));
}

varnholt::CaseFormFactory caseFormFactory(dao::Database &db, varnholt::PrintEntry print)
{
    return [&db, print](varnholt::CaseList &list, QWidget *owner) -> varnholt::CaseForm * {
        return new frmSchaden(list, db, owner, print);
    };
}
