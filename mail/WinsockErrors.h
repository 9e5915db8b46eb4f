#pragma once

#include <QString>

// The clients report socket failures in the Windows Sockets numbering that the messages of the
// delivery pipeline are keyed on (10061 connection refused, 11001 host not found, ...). The
// translation from POSIX lives here and nowhere else.
namespace WinsockErrors {

constexpr int WSAENOTSOCK = 10038;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSASYSCALLFAILURE = 10107;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

// Number for an errno value of a socket call.
int FromErrno(int error);

// Number for a getaddrinfo() result; EAI_SYSTEM takes errno into account.
int FromAddrInfo(int gaiError, int error);

// Short English description of a number, as shown after "Socket Error # n".
QString Description(int wsaError);

} // namespace WinsockErrors
