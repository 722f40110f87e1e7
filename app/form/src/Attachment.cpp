#include "form/Attachment.h"

#include "form/CaseBinding.h"

namespace form {

KeptAttachment::KeptAttachment(const QString &dataField, QWidget *parent) : QWidget(parent), m_dataField(dataField)
{
    setProperty(CaseBinding::TagProperty, dataField);
}

} // namespace form
