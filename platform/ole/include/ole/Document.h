#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace ole {

// A failure of the document container, with a German description for the
// user (the caller shows it in its message box).
class OleError : public std::runtime_error {
public:
    explicit OleError(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    const QString &description() const { return m_description; }

private:
    QString m_description;
};

// One embedded document: what the container holds and stores.
struct Document {
    QString className;   // its MIME type ("application/pdf"); empty: no document
    QString sourceDoc;   // the path it was embedded from
    QString fileName;    // its own file name, under which it opens outside
    QByteArray bytes;    // its complete content

    bool isEmpty() const { return className.isEmpty(); }
    friend bool operator==(const Document &, const Document &) = default;
};

// The document read from the file at path: its class from the content and
// the name, its source document the absolute path. Raises OleError when the
// file cannot be read.
Document documentFromFile(const QString &path);

// The MIME type of content with the file name, as QMimeDatabase tells it.
QString classOf(const QString &fileName, const QByteArray &bytes);

// True when name is a plain file name that can be created in a folder
// without leaving it: not empty, no path separators, not "." or "..".
bool isPlainFileName(const QString &name);

} // namespace ole
