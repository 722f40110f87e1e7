#include "ole/frmOle.h"

#include "ole/OleContainer.h"

#include <QFrame>
#include <QVBoxLayout>

namespace ole {

frmOle::frmOle(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmOle"));
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    auto *layout = new QVBoxLayout(m_frame);
    layout->setContentsMargins(0, 0, 0, 0);
    m_ole = new OleContainer(m_frame);
    layout->addWidget(m_ole);
}

frmOle::~frmOle() { delete m_frame.data(); }

} // namespace ole
