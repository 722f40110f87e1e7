#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {

class frmPrint;
class UpDownButtons;

// The print dialog ("Druckmenü"): which pages and how many copies. Only
// "Drucken" hands its choice to the preview; "Zurück" leaves it untouched.
class frmDruckmenu : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinCopies = 1;
    static constexpr int MaxCopies = 10;

    frmDruckmenu(frmPrint &preview, int totalPages, QWidget *parent = nullptr);

private:
    void stepCopies(int by);
    void cmdDruckenClick();

    frmPrint &m_preview;
    int m_totalPages;
    QGroupBox *m_fraSeiten;
    QRadioButton *m_optAktuell;
    QRadioButton *m_optAlle;
    QLineEdit *m_text1;
    UpDownButtons *m_updKopien;
    QPushButton *m_cmdDrucken;
    QPushButton *m_cmdEnde;
};

} // namespace report
