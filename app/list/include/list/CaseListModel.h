#pragma once

#include "list/ListPages.h"

#include "dao/Dao.h"

#include <QAbstractTableModel>
#include <QHash>

#include <memory>
#include <optional>
#include <vector>

namespace list {

// The rows of the list's statement for a view, read as the view scrolls to
// them: opening costs the first screen, not the whole list. The list's own
// statement is read page by page (ListPages), each page a snapshot of its
// own, so that nothing stays open on the database while the user looks at
// the list; any other statement is read as one snapshot.
// Column 0 is the case ID, the others what the statement names them.
class CaseListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 9;
    static constexpr int FetchBatch = 256;

    explicit CaseListModel(dao::Database &db, QObject *parent = nullptr);
    ~CaseListModel() override;

    // The statement the next requery runs.
    void setSource(const QString &statement, const dao::Params &params);
    void setSource(const ListStatement &statement);
    const QString &statement() const { return m_statement; }
    const dao::Params &params() const { return m_params; }

    // Runs the statement again and shows its first rows. Throws dao::DaoError;
    // the list is then empty.
    void requery();
    // Lets go of the rows and the statement's recordset.
    void release();

    long caseId(int row) const;
    QString text(int row, int column) const;
    // The row of a case, reading further rows as far as needed; -1 when the
    // statement does not select it. Rows read on the way join the model at once.
    int findCase(long id);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

Q_SIGNALS:
    // Reading the statement's rows failed after it ran: the list ends with
    // the rows read so far. Once per requery; the window tells the user.
    void readFailed(long number, const QString &description);

private:
    struct Page {
        std::unique_ptr<dao::Recordset> rs;
        long first = 0;                 // the list's row of its first row
        long read = 0;                  // its rows read so far
        bool complete = false;          // read to its end
        mutable long position = -1;     // the recordset's current row, -1 when unknown
    };
    void tellFailure(const dao::DaoError &error) const;
    const Page *pageOf(long row) const;
    static bool moveTo(const Page &page, long row);
    // Makes the list's row m_read readable; false at the list's end.
    bool readNext();
    bool openNextPage();
    QVariant value(int row, int column) const;
    // Reads rows after the model's last one until `enough` says so or the
    // statement ends, then hands them to the views in one go.
    template <typename Enough> void readOn(Enough enough);

    dao::Database &m_db;
    QString m_statement;
    dao::Params m_params;
    std::optional<ListPages> m_paging;  // none: the statement is read as one snapshot
    std::vector<Page> m_pages;
    bool m_nullsLead = false;           // the first row has no value in the sorted column
    int m_rows = 0;                     // rows the views know
    long m_read = 0;                    // rows read from the statement
    bool m_atEnd = true;
    mutable bool m_failureTold = false;
    QHash<qint64, int> m_rowOfCase;     // of every row read
};

} // namespace list
