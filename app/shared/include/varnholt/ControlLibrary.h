#pragma once

#include "kelvane/AttachmentWriter.h"
#include "kelvane/RAZOleCtrl.h"

#include <QLibrary>
#include <QString>

#include <memory>

class QWidget;

namespace varnholt {

// Creates attachment controls by their ProgID "Kelvane.RAZOleCtrl" from
// libkelvane, loaded at run time: the library beside the program first,
// else the one registered for the user. A missing or broken library is told
// once, naming the file; then no control is made and the program goes on.
class ControlLibrary {
public:
    static constexpr const char *FileName = "libkelvane.so";

    explicit ControlLibrary(QString programFolder);
    ControlLibrary(const ControlLibrary &) = delete;
    ControlLibrary &operator=(const ControlLibrary &) = delete;

    // The program's own, beside its executable.
    static ControlLibrary &program();

    // A new control in user mode, a child of parent (the caller's when
    // nullptr), with the properties of bag; nullptr without the library.
    kelvane::_RAZOleCtrl *create(QWidget *parent, kelvane::PropertyBag *bag = nullptr);

    // A writer of attachments on database (borrowed), for filling it without
    // a control; nullptr without the library.
    std::unique_ptr<kelvane::IAttachmentWriter> attachmentWriter(dao::Database *database);

    bool available();
    // The file loaded or looked for.
    QString libraryFile() const { return m_file; }

private:
    bool load();
    void tell(const QString &text);

    QString m_folder;
    QString m_file;
    QLibrary m_library;
    kelvane::IClassFactory *m_factory = nullptr;
    bool m_tried = false;
    bool m_told = false;
};

} // namespace varnholt
