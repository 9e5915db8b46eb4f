#include "mail/WinsockErrors.h"

#include <cerrno>
#include <netdb.h>

namespace WinsockErrors {

namespace {

struct Entry
{
    int posix;
    int wsa;
    const char *text;
};

// errno -> Windows Sockets number and text. Unreachable networks count as an unreachable host:
// for the user both mean the server cannot be found.
constexpr Entry kTable[] = {
    {EINTR, 10004, "Interrupted system call."},
    {EBADF, 10009, "Bad file number."},
    {EACCES, 10013, "Access denied."},
    {EFAULT, 10014, "Buffer fault."},
    {EINVAL, 10022, "Invalid argument."},
    {EMFILE, 10024, "Too many open files."},
    {EWOULDBLOCK, 10035, "Operation would block."},
    {EINPROGRESS, 10036, "Operation now in progress."},
    {EALREADY, 10037, "Operation already in progress."},
    {ENOTSOCK, WSAENOTSOCK, "Socket operation on non-socket."},
    {EDESTADDRREQ, 10039, "Destination address required."},
    {EMSGSIZE, 10040, "Message too long."},
    {EPROTOTYPE, 10041, "Protocol wrong type for socket."},
    {ENOPROTOOPT, 10042, "Bad protocol option."},
    {EPROTONOSUPPORT, 10043, "Protocol not supported."},
    {ESOCKTNOSUPPORT, 10044, "Socket type not supported."},
    {EOPNOTSUPP, 10045, "Operation not supported on socket."},
    {EPFNOSUPPORT, 10046, "Protocol family not supported."},
    {EAFNOSUPPORT, 10047, "Address family not supported by protocol family."},
    {EADDRINUSE, 10048, "Address already in use."},
    {EADDRNOTAVAIL, 10049, "Cannot assign requested address."},
    {ENETDOWN, 10050, "Network is down."},
    {ENETUNREACH, WSAEHOSTUNREACH, "No route to host."},
    {ENETRESET, 10052, "Net dropped connection or reset."},
    {ECONNABORTED, WSAECONNABORTED, "Software caused connection abort."},
    {ECONNRESET, WSAECONNRESET, "Connection reset by peer."},
    // A send after the peer has gone: on Windows the same write fails with a reset.
    {EPIPE, WSAECONNRESET, "Connection reset by peer."},
    {ENOBUFS, 10055, "No buffer space available."},
    {ENOMEM, 10055, "No buffer space available."},
    {EISCONN, 10056, "Socket is already connected."},
    {ENOTCONN, 10057, "Socket is not connected."},
    {ESHUTDOWN, WSAESHUTDOWN, "Cannot send or receive after socket is closed."},
    {ETOOMANYREFS, 10059, "Too many references, can't splice."},
    {ETIMEDOUT, WSAETIMEDOUT, "Connection timed out."},
    {ECONNREFUSED, WSAECONNREFUSED, "Connection refused."},
    {ELOOP, 10062, "Too many levels of symbolic links."},
    {ENAMETOOLONG, 10063, "File name too long."},
    {EHOSTDOWN, 10064, "Host is down."},
    {EHOSTUNREACH, WSAEHOSTUNREACH, "No route to host."},
};

struct Resolver
{
    int wsa;
    const char *text;
};

constexpr Resolver kResolverTexts[] = {
    {WSAHOST_NOT_FOUND, "Host not found."},
    {WSATRY_AGAIN, "Non-authoritative host not found."},
    {WSANO_RECOVERY, "Non-recoverable error."},
    {WSANO_DATA, "Valid name, no data record of requested type."},
    {WSASYSCALLFAILURE, "System call failure."},
};

} // namespace

int FromErrno(int error)
{
    for (const Entry &e : kTable) {
        if (e.posix == error)
            return e.wsa;
    }
    // Anything else is a failed system call, not one of the numbers the messages look for.
    return WSASYSCALLFAILURE;
}

int FromAddrInfo(int gaiError, int error)
{
    switch (gaiError) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_MEMORY:
        return 10055;
    case EAI_SYSTEM:
        return FromErrno(error);
    default:
        return WSANO_RECOVERY;
    }
}

QString Description(int wsaError)
{
    for (const Resolver &r : kResolverTexts) {
        if (r.wsa == wsaError)
            return QString::fromLatin1(r.text);
    }
    for (const Entry &e : kTable) {
        if (e.wsa == wsaError)
            return QString::fromLatin1(e.text);
    }
    return QStringLiteral("Unknown socket error.");
}

} // namespace WinsockErrors
