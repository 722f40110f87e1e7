#pragma once

#include "form/CaseBinding.h"
#include "form/CaseNumbering.h"
#include "form/CaseSection.h"
#include "form/RecoveryCopy.h"
#include "form/SaveHistory.h"
#include "form/SchadenPage.h"
#include "varnholt/CaseForm.h"
#include "varnholt/PrintEntry.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QTabWidget;

namespace dao {
class Database;
}
namespace varnholt {
class CaseList;
}

namespace form {
class Attachment;
class OleAttachment;
}

// The case form "Schadensmeldung": one window, made once and shown for a new
// or an existing case by the list window, hidden when the user leaves it.
class frmSchaden : public QWidget, public varnholt::CaseForm {
public:
    // Without a print entry the form's "Drucken" stays off.
    frmSchaden(varnholt::CaseList &list, dao::Database &db, QWidget *owner, varnholt::PrintEntry print = {});
    ~frmSchaden() override;

    // What the list window asks.
    void FillSchaden(long lID) override;
    bool FormChanged() override;
    bool FormSaved() override;
    long CaseID() const override { return m_caseId; }
    QWidget *window() override { return this; }
    void addVehicle(const QString &plate) override;
    void clearVehicles() override;
    void unload() override;

    void SetLocked(bool bLock);
    void ResetChanged();
    bool SaveCase();
    void AddToPickList(QComboBox &combo, const QString &column);
    bool DataChanged() const { return m_dataChanged; }
    // The further tab of that kind, for whoever brings it content (files
    // from the phone); nullptr when the form has none.
    template <typename Section> Section *section() const
    {
        for (const std::unique_ptr<form::CaseSection> &each : m_sections)
            if (auto *found = dynamic_cast<Section *>(each.get()))
                return found;
        return nullptr;
    }

    // Seconds of quiet after a change before the recovery copy is written.
    static constexpr int RecoveryDelay = 3000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPictureCount();
    // Writes the case; overwrite: whatever another workstation stored meanwhile.
    bool writeCase(bool overwrite);
    form::SaveHistory saveHistory() const;
    bool settleConflict();
    // True, and told, while an attachment's insert waits (a scan): the case stays.
    bool insertRunning();
    void connectChangeTracking();
    void connectButtons();
    void loadPickLists();
    void markChanged();
    // The recovery copy of what is not saved: written after a quiet while,
    // offered after an unclean end, gone when the case is saved or dropped.
    void keepRecoveryCopy();
    void offerRecovery();
    void restore(const form::RecoveredCase &copy);
    void markMandatory();
    void addSections();
    void writeImmediately(const std::function<void()> &write);
    void tellVehicle();
    void chooseVehicle();
    void chooseCustomer();
    void lookUpCustomer();
    void pressNow();
    void pressMelder();
    void printCase();
    void layOutTabs();
    // Ole(index) on its tab: the attachment control, or without its library
    // the stand-in that keeps the case's number.
    QWidget *makeAttachment(int index, QWidget &tab);

    varnholt::CaseList &m_list;
    dao::Database &m_db;
    varnholt::PrintEntry m_print;
    QTabWidget *m_tabs;
    form::SchadenPage m_page;
    std::array<QWidget *, 3> m_ole{};
    std::array<std::unique_ptr<form::OleAttachment>, 3> m_controls;
    std::unique_ptr<form::CaseBinding> m_binding;
    std::vector<std::unique_ptr<form::CaseSection>> m_sections;
    long m_caseId = 0;
    form::CaseStamp m_stamp;    // of the case as loaded or last saved here
    bool m_dataChanged = false;
    bool m_filling = false;     // FillSchaden is putting a case in: no user edit
    bool m_unloading = false;   // the list window's shutdown, not the close box
    form::RecoveryCopy m_recovery;
    QTimer m_recoveryQuiet;
    bool m_recoveryFailureTold = false;
};

// How the list window makes its case form.
varnholt::CaseFormFactory caseFormFactory(dao::Database &db, varnholt::PrintEntry print = {});
