#include "form/OleAttachment.h"

namespace form {

OleAttachment::OleAttachment(kelvane::_RAZOleCtrl &control) : m_control(control)
{
    m_control.Advise(this);
}

OleAttachment::~OleAttachment()
{
    m_control.Advise(nullptr);
}

void OleAttachment::GetNewPrimary(QVariant &NewPrimary)
{
    if (m_newPrimary)
        NewPrimary = double(m_newPrimary());
}

} // namespace form
