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

void OleAttachment::setValue(const QVariant &objektId)
{
    m_hasContent.reset();
    m_control.SetValue(objektId);
}

bool OleAttachment::hasContent() const
{
    return m_hasContent ? *m_hasContent : !value().isNull();
}

void OleAttachment::ContentChanged(bool hasContent)
{
    m_hasContent = hasContent;
    if (m_contentHandler)
        m_contentHandler();
}

void OleAttachment::GetNewPrimary(QVariant &NewPrimary)
{
    if (m_newPrimary)
        NewPrimary = double(m_newPrimary());
}

} // namespace form
