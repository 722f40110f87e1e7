#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Documents the container tests embed, made where they run.
namespace oletest {

// A two-page PDF: the first page filled with firstPage, the second blue.
QByteArray pdfBytes(const QColor &firstPage = QColor(200, 30, 30));
// Writes bytes as the file at path; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);

// A private desktop for this process: XDG_CONFIG_HOME's mimeapps.list and
// XDG_DATA_HOME's .desktop file make editor.sh the application for the given
// MIME types. The script "edits" as many applications do: it writes the
// replacement content to a new file, renames that over the opened one and
// notes the opened path.
class PrivateDesktop {
public:
    explicit PrivateDesktop(const QStringList &mimeTypes);
    bool isValid() const { return m_valid; }
    // What the next "editing" writes.
    bool setReplacement(const QByteArray &bytes) const;
    // The files opened so far, one a line.
    QString opened() const;

private:
    QTemporaryDir m_home;
    bool m_valid = false;
};

} // namespace oletest
