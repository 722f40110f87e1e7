#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace profile {

// The lines of one settings file, each with its own line end, so that a
// change to one key writes every other byte back unchanged.
class ProfileDocument {
public:
    static ProfileDocument fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    // The trimmed, unquoted value, or nothing when section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    struct Line {
        QString text;
        QByteArray ending;   // "\r\n", "\n" or empty for a last line without one
    };

    qsizetype findSection(const QString &section) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString &key) const;
    void insertLine(qsizetype at, const QString &text);

    QList<Line> m_lines;
    QByteArray m_newLine = "\r\n";
    bool m_latin1 = false;
};

} // namespace profile
