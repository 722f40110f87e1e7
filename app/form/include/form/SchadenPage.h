#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace form {

// The controls of the tab "Schaden", each named and tagged with its column.
struct SchadenPage {
    QLabel *lblNr = nullptr;
    QPushButton *cmdNow = nullptr;
    QLineEdit *txtVom = nullptr;
    QComboBox *cboSchadenart = nullptr;
    QComboBox *cboAuto = nullptr;
    QComboBox *cboTyp = nullptr;
    QComboBox *cboStellplatz = nullptr;
    QLineEdit *txtKndNr = nullptr;
    QComboBox *cboKunde = nullptr;
    QComboBox *cboBericht = nullptr;
    QPushButton *cmdMelder = nullptr;
    QComboBox *cboMelder = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QCheckBox *, 5> chkSchaden{};
    QComboBox *cboSchuld = nullptr;
    QComboBox *cboReparatur = nullptr;
    std::array<QLineEdit *, 10> txtFeld{};          // single-line ones; 2 and 8 are below
    QPlainTextEdit *txtFeld_2 = nullptr;
    QPlainTextEdit *txtFeld_8 = nullptr;
    std::array<QLineEdit *, 2> txtKosten{};
    QComboBox *cboBewertung = nullptr;
    QComboBox *cboBewerter = nullptr;
    QLabel *lblBilder = nullptr;
    QCheckBox *chkSicherheit = nullptr;
    QCheckBox *chkVorgang = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdOK = nullptr;
    QLabel *Label25 = nullptr;
    QLabel *lblGeaendert = nullptr;

    // Lays the controls out on page at their places.
    static SchadenPage build(QWidget &page);
};

} // namespace form
