#include "export/XlsxWriter.h"

#include "dao/Value.h"

#include <QDateTime>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace exporter {
namespace {

// The sheet's standard font (Calibri 11) is about 7 pixels a digit, a
// twip 1/15 of a pixel at 96 dots per inch.
constexpr double kTwipsPerCharacter = 7 * 15;

QByteArray errorText(int error)
{
    return QByteArray(lxw_strerror(static_cast<lxw_error>(error)));
}

} // namespace

XlsxWriter::XlsxWriter() = default;

XlsxWriter::~XlsxWriter()
{
    discard();
}

void XlsxWriter::discard()
{
    // Lets go of an unfinished workbook without writing it.
    if (m_book)
        lxw_workbook_free(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
}

bool XlsxWriter::check(int error, QString *message) const
{
    if (error == LXW_NO_ERROR)
        return true;
    *message = QStringLiteral("Die Arbeitsmappe konnte nicht geschrieben werden: ") + QString::fromUtf8(errorText(error));
    return false;
}

double XlsxWriter::characterWidth(double twips, CellKind kind)
{
    const double least = kind == CellKind::Date ? 11 : kind == CellKind::Amount ? 14 : 4;
    return std::clamp(twips / kTwipsPerCharacter, least, 255.0);
}

QByteArray XlsxWriter::cellText(const QString &text)
{
    QString kept = text.left(MaxCellChars);
    for (QChar &c : kept) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = u' ';
        else if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            c = u' ';
    }
    return kept.toUtf8();
}

bool XlsxWriter::begin(const QString &path, const ExportColumns &columns, QString *message)
{
    discard();
    m_columns = columns;
    m_row = 0;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!m_book) {
        *message = QStringLiteral("Die Arbeitsmappe konnte nicht angelegt werden.");
        return false;
    }
    m_sheet = workbook_add_worksheet(m_book, "Schadensliste");
    m_header = workbook_add_format(m_book);
    format_set_bold(m_header);
    m_date = workbook_add_format(m_book);
    format_set_num_format(m_date, "dd.mm.yyyy");
    m_dateTime = workbook_add_format(m_book);
    format_set_num_format(m_dateTime, "dd.mm.yyyy hh:mm:ss");
    m_amount = workbook_add_format(m_book);
    format_set_num_format(m_amount, "#,##0.00\\ \"\xE2\x82\xAC\"");
    if (!m_sheet || !m_header || !m_date || !m_dateTime || !m_amount) {
        *message = QStringLiteral("Die Arbeitsmappe konnte nicht angelegt werden.");
        return false;
    }
    for (qsizetype n = 0; n < columns.size(); ++n) {
        const auto col = static_cast<lxw_col_t>(n);
        if (!check(worksheet_set_column(m_sheet, col, col, characterWidth(columns[n].widthTwips, columns[n].kind),
                                        nullptr),
                   message)
            || !check(worksheet_write_string(m_sheet, 0, col, cellText(columns[n].caption).constData(), m_header),
                      message))
            return false;
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
    return true;
}

bool XlsxWriter::writeRow(const std::vector<QVariant> &values, QString *message)
{
    if (m_row >= MaxDataRows) {
        *message = QStringLiteral("Eine Excel-Tabelle fasst höchstens %1 Schadensfälle; "
                                  "die Liste als CSV-Datei speichern oder weiter filtern.")
                       .arg(MaxDataRows);
        return false;
    }
    ++m_row;
    const auto row = static_cast<lxw_row_t>(m_row);
    for (qsizetype n = 0; n < m_columns.size() && size_t(n) < values.size(); ++n) {
        const QVariant &value = values[size_t(n)];
        if (dao::isNull(value))
            continue;
        const auto col = static_cast<lxw_col_t>(n);
        int error = LXW_NO_ERROR;
        const CellKind kind = m_columns[n].kind;
        if (kind == CellKind::Amount) {
            error = worksheet_write_number(m_sheet, row, col, double(amountCents(value)) / 100.0, m_amount);
        } else if (kind == CellKind::Date && value.metaType() == QMetaType::fromType<QDateTime>()
                   && value.toDateTime().date().year() >= 1900) {
            const QDateTime moment = value.toDateTime();
            const QDate d = moment.date();
            const QTime t = moment.time();
            lxw_datetime stamp{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
            error = worksheet_write_datetime(m_sheet, row, col, &stamp, t == QTime(0, 0) ? m_date : m_dateTime);
        } else if (value.metaType() == QMetaType::fromType<QDateTime>()) {
            // Before the sheet's first day: the date as the list shows it.
            const QByteArray text = value.toDateTime().toString(QStringLiteral("dd.MM.yyyy")).toLatin1();
            error = worksheet_write_string(m_sheet, row, col, text.constData(), nullptr);
        } else {
            error = worksheet_write_string(m_sheet, row, col, cellText(value.toString()).constData(), nullptr);
        }
        if (!check(error, message))
            return false;
    }
    return true;
}

bool XlsxWriter::finish(QString *message)
{
    if (!m_book) {
        *message = QStringLiteral("Die Arbeitsmappe wurde nicht angelegt.");
        return false;
    }
    if (!m_columns.isEmpty()
        && !check(worksheet_autofilter(m_sheet, 0, 0, static_cast<lxw_row_t>(m_row),
                                       static_cast<lxw_col_t>(m_columns.size() - 1)),
                  message))
        return false;
    // Closing writes the file and frees the workbook, whatever it answers.
    lxw_workbook *book = m_book;
    m_book = nullptr;
    m_sheet = nullptr;
    return check(workbook_close(book), message);
}

} // namespace exporter
