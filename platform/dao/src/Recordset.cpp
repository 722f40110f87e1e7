#include "Cursor.h"

namespace dao {
namespace {

[[noreturn]] void raise(long number, const QString &text)
{
    DBEngine::instance().raise(number, text);
}

[[noreturn]] void noCurrentRecord()
{
    raise(ErrNoCurrentRecord, QStringLiteral("Kein aktueller Datensatz."));
}

[[noreturn]] void notUpdatable()
{
    raise(ErrNotUpdatable,
          QStringLiteral("Aktualisieren nicht möglich; Datenbank oder Objekt ist schreibgeschützt."));
}

[[noreturn]] void notSupported()
{
    raise(ErrNotSupported, QStringLiteral("Dieser Vorgang wird für diesen Objekttyp nicht unterstützt."));
}

} // namespace

// ---- Field -----------------------------------------------------------------

void Field::SetValue(const QVariant &value) { m_owner->setFieldValue(m_index, value); }

qint64 Field::FieldSize() const
{
    const QVariant v = Value();
    if (isNull(v))
        return 0;
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray().size();
    return v.toString().toUtf8().size();
}

QByteArray Field::GetChunk(qint64 offset, qint64 count) const
{
    const QVariant v = Value();
    if (isNull(v) || offset < 0 || count <= 0)
        return {};
    const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
    if (offset == 0 && count >= bytes.size())
        return bytes;  // shares the bytes instead of copying them
    return bytes.mid(offset, count);
}

void Field::AppendChunk(const QByteArray &bytes) { m_owner->appendChunk(m_index, bytes); }

// ---- Recordset --------------------------------------------------------------

Recordset::Recordset(Database *db, RecordsetType type, RecordsetOption option,
                     std::unique_ptr<detail::Cursor> cursor)
    : m_db(db), m_type(type), m_option(option), m_cursor(std::move(cursor))
{
    const auto &columns = m_cursor->columns();
    for (int i = 0; i < columns.size(); ++i)
        m_fields.push_back(std::unique_ptr<Field>(new Field(this, i, columns[i].name, columns[i].kind)));
    if (m_option == RecordsetOption::AppendOnly) {
        m_afterLast = true;
        return;
    }
    if (m_type == RecordsetType::ForwardOnly) {
        m_afterLast = !m_cursor->stepLive();
        m_position = m_afterLast ? -1 : 0;
    } else {
        positionOnRow(0, 1);
    }
}

Recordset::~Recordset()
{
    Close();
}

void Recordset::Close()
{
    if (!m_cursor)
        return;
    m_cursor->finish();
    m_cursor.reset();
    if (m_db) {
        auto &open = m_db->m_recordsets;
        open.erase(std::remove(open.begin(), open.end(), this), open.end());
    }
    m_editMode = EditMode::None;
}

bool Recordset::IsOpen() const { return m_cursor != nullptr; }

void Recordset::requireOpen() const
{
    if (!m_cursor)
        raise(ErrObjectClosed, QStringLiteral("Objekt ungültig oder nicht mehr festgelegt."));
}

bool Recordset::Updatable() const
{
    return m_cursor && m_type == RecordsetType::Dynaset && !m_cursor->table.isEmpty()
        && (m_option == RecordsetOption::AppendOnly || !m_cursor->keyColumns.empty());
}

void Recordset::requireUpdatable() const
{
    requireOpen();
    if (!Updatable())
        notUpdatable();
}

long Recordset::current() const
{
    if (m_afterLast || m_position < 0)
        noCurrentRecord();
    if (m_cursor->deleted.count(m_position))
        raise(ErrRecordDeleted, QStringLiteral("Datensatz ist gelöscht."));
    return m_position;
}

void Recordset::requireCurrent() const
{
    requireOpen();
    current();
}

void Recordset::requireEditing() const
{
    requireOpen();
    if (m_editMode == EditMode::None)
        raise(ErrUpdateWithoutEdit, QStringLiteral("Update oder CancelUpdate ohne AddNew oder Edit."));
}

// Moves to `row`, or from there in `direction` past rows deleted through this
// recordset; ends before the first or after the last row.
bool Recordset::positionOnRow(long row, int direction)
{
    while (row >= 0 && m_cursor->fetchTo(row)) {
        if (!m_cursor->deleted.count(row)) {
            m_position = row;
            m_afterLast = false;
            return true;
        }
        row += direction;
    }
    if (row < 0) {
        m_position = -1;
        m_afterLast = false;
    } else {
        m_position = m_cursor->rowsRead();
        m_afterLast = true;
    }
    return false;
}

long Recordset::RecordCount() const
{
    requireOpen();
    return m_cursor->rowsRead() - long(m_cursor->deleted.size());
}

bool Recordset::IsEOF() const
{
    requireOpen();
    return m_afterLast || (m_cursor->exhausted() && RecordCount() == 0);
}

bool Recordset::IsBOF() const
{
    requireOpen();
    return m_position < 0 || (m_cursor->exhausted() && RecordCount() == 0);
}

void Recordset::MoveFirst()
{
    requireOpen();
    m_editMode = EditMode::None;
    if (m_type == RecordsetType::ForwardOnly) {
        if (m_position == 0 && !m_afterLast)
            return;
        notSupported();
    }
    if (m_option == RecordsetOption::AppendOnly)
        noCurrentRecord();
    if (!positionOnRow(0, 1))
        noCurrentRecord();
}

void Recordset::MoveLast()
{
    requireOpen();
    m_editMode = EditMode::None;
    if (m_type == RecordsetType::ForwardOnly)
        notSupported();
    m_cursor->fetchAll();
    if (!positionOnRow(m_cursor->rowsRead() - 1, -1))
        noCurrentRecord();
}

void Recordset::MoveNext()
{
    requireOpen();
    m_editMode = EditMode::None;
    if (m_afterLast || (m_cursor->exhausted() && RecordCount() == 0))
        noCurrentRecord();
    if (m_type == RecordsetType::ForwardOnly) {
        m_afterLast = !m_cursor->stepLive();
        ++m_position;
        return;
    }
    positionOnRow(m_position + 1, 1);
}

void Recordset::MovePrevious()
{
    requireOpen();
    m_editMode = EditMode::None;
    if (m_type == RecordsetType::ForwardOnly)
        notSupported();
    if (m_position < 0 || (m_cursor->exhausted() && RecordCount() == 0))
        noCurrentRecord();
    positionOnRow(m_position - 1, -1);
}

long Recordset::AbsolutePosition() const
{
    requireOpen();
    if (m_afterLast || m_position < 0)
        return -1;
    long deletedBefore = 0;
    for (long row : m_cursor->deleted)
        if (row < m_position)
            ++deletedBefore;
    return m_position - deletedBefore;
}

void Recordset::noSuchField() const
{
    requireOpen();
    raise(ErrItemNotFound, QStringLiteral("Element in dieser Auflistung nicht gefunden."));
}

Field &Recordset::Fields(const QString &name)
{
    requireOpen();
    for (auto &field : m_fields)
        if (field->Name().compare(name, Qt::CaseInsensitive) == 0)
            return *field;
    raise(ErrItemNotFound, QStringLiteral("Element in dieser Auflistung nicht gefunden: %1").arg(name));
}

bool Recordset::HasField(const QString &name) const
{
    for (const auto &field : m_fields)
        if (field->Name().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QVariant Recordset::fieldValue(int index) const
{
    // Nearly every read: a row of a scrollable recordset, nothing being edited
    // or deleted. checkedFieldValue would come to the same.
    if (m_cursor && m_editMode == EditMode::None && m_type != RecordsetType::ForwardOnly && !m_afterLast
        && m_position >= 0 && m_cursor->deleted.empty())
        return m_cursor->value(m_position, index);
    return checkedFieldValue(index);
}

QVariant Recordset::checkedFieldValue(int index) const
{
    requireOpen();
    if (m_editMode != EditMode::None)
        return m_buffer[size_t(index)];
    const long row = current();
    return m_type == RecordsetType::ForwardOnly ? m_cursor->liveValue(index) : m_cursor->value(row, index);
}

void Recordset::setFieldValue(int index, const QVariant &value)
{
    requireEditing();
    const detail::ColumnInfo &column = m_cursor->columns()[index];
    if (column.origin.isEmpty() || column.table.compare(m_cursor->table, Qt::CaseInsensitive) != 0)
        notUpdatable();
    m_buffer[size_t(index)] = detail::canonicalValue(value, column.kind);
    m_touched[size_t(index)] = true;
}

void Recordset::appendChunk(int index, const QByteArray &bytes)
{
    requireEditing();
    const FieldKind kind = m_fields[size_t(index)]->Kind();
    if (kind == FieldKind::Memo || kind == FieldKind::Text) {
        const QVariant before = m_buffer[size_t(index)];
        setFieldValue(index, QString((isNull(before) ? QString() : before.toString()) + QString::fromUtf8(bytes)));
        return;
    }
    const detail::ColumnInfo &column = m_cursor->columns()[index];
    if (column.origin.isEmpty() || column.table.compare(m_cursor->table, Qt::CaseInsensitive) != 0)
        notUpdatable();
    // Taken out of the buffer first, so that appending grows the bytes in place.
    QByteArray grown = isNull(m_buffer[size_t(index)]) ? QByteArray() : m_buffer[size_t(index)].toByteArray();
    m_buffer[size_t(index)] = QVariant();
    grown.append(bytes);
    setFieldValue(index, grown);
}

void Recordset::Edit()
{
    requireUpdatable();
    const long row = current();
    m_buffer.clear();
    for (int i = 0; i < FieldCount(); ++i)
        m_buffer.push_back(m_cursor->value(row, i));
    m_touched.assign(size_t(FieldCount()), false);
    m_editMode = EditMode::Editing;
}

void Recordset::AddNew()
{
    requireUpdatable();
    m_buffer.assign(size_t(FieldCount()), QVariant());
    m_touched.assign(size_t(FieldCount()), false);
    m_editMode = EditMode::Adding;
}

void Recordset::CancelUpdate()
{
    requireEditing();
    m_editMode = EditMode::None;
}

void Recordset::Update()
{
    requireEditing();
    if (m_editMode == EditMode::Editing)
        updateRow();
    else
        insertRow();
    m_editMode = EditMode::None;
}

void Recordset::updateRow()
{
    const detail::Dialect &dialect = m_db->connection().dialect();
    QStringList assignments;
    Params params;
    for (int i = 0; i < FieldCount(); ++i) {
        if (!m_touched[size_t(i)])
            continue;
        assignments.append(dialect.quoteIdentifier(m_cursor->columns()[i].origin) + QStringLiteral("=?"));
        params.append(m_buffer[size_t(i)]);
    }
    if (assignments.isEmpty())
        return;
    QStringList conditions;
    for (int key : m_cursor->keyColumns) {
        conditions.append(dialect.quoteIdentifier(m_cursor->columns()[key].origin) + QStringLiteral("=?"));
        params.append(m_cursor->value(m_position, key));
    }
    const QString statement = QStringLiteral("UPDATE ") + dialect.quoteIdentifier(m_cursor->table)
        + QStringLiteral(" SET ") + assignments.join(u',') + QStringLiteral(" WHERE ")
        + conditions.join(QStringLiteral(" AND "));
    if (m_db->connection().execute(dialect.translate(statement), params) == 0)
        raise(ErrRecordDeleted, QStringLiteral("Datensatz ist gelöscht."));
    m_cursor->rewritten[m_position] = m_buffer;
}

void Recordset::insertRow()
{
    const detail::Dialect &dialect = m_db->connection().dialect();
    QStringList names;
    QStringList marks;
    Params params;
    for (int i = 0; i < FieldCount(); ++i) {
        if (!m_touched[size_t(i)])
            continue;
        names.append(dialect.quoteIdentifier(m_cursor->columns()[i].origin));
        marks.append(QStringLiteral("?"));
        params.append(m_buffer[size_t(i)]);
    }
    const QString table = dialect.quoteIdentifier(m_cursor->table);
    const QString statement = names.isEmpty()
        ? QString(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES"))
        : QString(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + names.join(u',')
                  + QStringLiteral(") VALUES (") + marks.join(u',') + u')');
    m_db->connection().execute(dialect.translate(statement), params);
}

void Recordset::Delete()
{
    requireUpdatable();
    const long row = current();
    if (m_editMode != EditMode::None)
        raise(ErrNotSupported, QStringLiteral("Dieser Vorgang wird für diesen Objekttyp nicht unterstützt."));
    const detail::Dialect &dialect = m_db->connection().dialect();
    QStringList conditions;
    Params params;
    for (int key : m_cursor->keyColumns) {
        conditions.append(dialect.quoteIdentifier(m_cursor->columns()[key].origin) + QStringLiteral("=?"));
        params.append(m_cursor->value(row, key));
    }
    m_db->connection().execute(dialect.translate(QStringLiteral("DELETE FROM ") + dialect.quoteIdentifier(m_cursor->table)
                                                 + QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "))),
                               params);
    m_cursor->deleted.insert(row);
}

} // namespace dao
