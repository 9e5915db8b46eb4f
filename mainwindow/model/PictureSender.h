#pragma once

#include "mail/Composition.h"

// Sends one picture mail with the work folder's "tmp.jpg" attached. A failure has been reported to
// the user (with the failing step's own message) by the time it returns false.
class PictureSender
{
public:
    virtual ~PictureSender() = default;
    virtual bool SendPicture(const PictureMail &mail) = 0;
};
