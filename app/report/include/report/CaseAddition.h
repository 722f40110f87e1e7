#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class QPainter;

namespace report {

// What a single case's report shows beyond the case row, kept by another part
// of the program: values a definition names like columns ("S_<name>", for
// FILTER, CF and MEMO) and drawings (the SKIZZE element). The engine knows
// neither what they are nor where they come from.
class CaseAddition {
public:
    virtual ~CaseAddition() = default;
    // The value of name (upper case) for the case; nullopt for a name that is
    // not this addition's. Throws dao::DaoError when it cannot be read.
    virtual std::optional<QVariant> value(long caseId, const QString &name) = 0;
    // The further body sections the case's report lays out after SCHADEN,
    // in order: only those it has something for, so that a case without
    // them prints as it always did.
    virtual QStringList sections(long caseId) = 0;
    // Draws the drawing the element's field names into box, in the painter's
    // units (twips on the sheet).
    virtual void draw(QPainter &painter, const QRectF &box, long caseId, const QString &field) = 0;
};

} // namespace report
