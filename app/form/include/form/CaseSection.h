#pragma once

#include "varnholt/PrintEntry.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace dao {
class Database;
class Recordset;
} // namespace dao

namespace varnholt {
class CaseForm;
class CaseList;
} // namespace varnholt

namespace form {

// A further tab of the case form with what it keeps beside the case row:
// loaded with the case, written in the case's save transaction (so a failed
// or refused save writes none of it), part of the save question and closed
// with the case. The form owns its sections and puts their widgets on tabs.
class CaseSection {
public:
    virtual ~CaseSection() = default;

    // The tab's text and page; the form's tab widget takes the page.
    virtual QString title() const = 0;
    virtual QWidget *page() = 0;

    // The case as stored: row is null and caseId 0 for a new case.
    virtual void load(dao::Database &db, long caseId, dao::Recordset *row) = 0;
    // The vehicle the form shows now, typed or loaded.
    virtual void vehicleChanged(const QString &plate, const QString &type) { (void)plate, (void)type; }
    virtual void setLocked(bool locked) = 0;

    // Something here differs from what is stored.
    virtual bool changed() const = 0;
    // Inside the case's save transaction, after its row is written: caseId is
    // the row's, new or not. A throw undoes the whole save.
    virtual void write(dao::Database &db, long caseId) = 0;
    // What is shown counts as stored now: written, or dropped by the user.
    virtual void settle() = 0;

    // The form's handler of a change made on the section.
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }
    // The form's road for what a section writes at once, outside the case's
    // save (a restore): the form settles its own changes first (the save
    // question), runs write, then shows the stored case anew.
    using ImmediateWrite = std::function<void(const std::function<void()> &write)>;
    void setImmediateWriteHandler(ImmediateWrite handler) { m_writeNow = std::move(handler); }
    // The form the section sits on, its list window and the print entry, for
    // a section that opens another case in the form or prints.
    struct Host {
        varnholt::CaseForm *form = nullptr;
        varnholt::CaseList *list = nullptr;
        varnholt::PrintEntry print;
    };
    void setHost(Host host) { m_host = std::move(host); }

protected:
    void tellChanged() const
    {
        if (m_changed)
            m_changed();
    }
    void writeNow(const std::function<void()> &write) const
    {
        if (m_writeNow)
            m_writeNow(write);
    }
    const Host &host() const { return m_host; }

private:
    std::function<void()> m_changed;
    ImmediateWrite m_writeNow;
    Host m_host;
};

// The sections of the case form, in the order of their tabs.
std::vector<std::unique_ptr<CaseSection>> makeCaseSections(dao::Database &db);

} // namespace form
