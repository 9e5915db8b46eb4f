// The entry of libtavrin-tls.so (see BackendModules.h).

#include "mail/OpenSslTransport.h"
#include "platform/linux/BackendModules.h"

extern "C" Q_DECL_EXPORT TlsTransport *tavrin_tls_transport(Transport *inner)
{
    return MakeOpenSslTransport(std::unique_ptr<Transport>(inner)).release();
}
