#include "mail/IdException.h"

#include "mail/WinsockErrors.h"

EIdSocketError::EIdSocketError(int lastError)
    : EIdException(
        QStringLiteral("Socket Error # %1\r\n%2").arg(lastError).arg(WinsockErrors::Description(lastError)))
    , m_lastError(lastError)
{ }
