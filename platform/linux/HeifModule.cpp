// The entry of libtavrin-heif.so (see BackendModules.h).

#include "picture/HeifReader.h"
#include "platform/linux/BackendModules.h"

extern "C" Q_DECL_EXPORT PictureReader *tavrin_heif_reader()
{
    return MakeHeifReader().release();
}
