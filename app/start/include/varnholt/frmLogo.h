#pragma once

#include <QDialog>

namespace varnholt {

// The about window: program and database paths, the product picture and the
// version in the caption. Shown modally from the list window's Info button;
// "OK" (Command1) and Escape close it.
class frmLogo : public QDialog {
    Q_OBJECT
public:
    explicit frmLogo(QWidget *parent = nullptr);

    // " (major.minor.patch)" of the build.
    static QString versionSuffix();
};

} // namespace varnholt
