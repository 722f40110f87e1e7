#pragma once

#include <QString>

class QWidget;

namespace ole {

// "Objekt einfügen": asks for a file of any type to insert. The chosen path,
// or "" when the user cancelled.
QString chooseInsertFile(QWidget *parent);

} // namespace ole
