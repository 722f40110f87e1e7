#include "quarvik/ScannerAcquisition.h"

namespace quarvik {

ScannerAcquisition::ScannerAcquisition(QWidget *parent) : m_parent(parent) {}

QString ScannerAcquisition::run() { return {}; }

} // namespace quarvik
