#include "net/WinSockErrorName.h"

const char* WinSockErrorName(int code) {
    static const char* const from10035[] = {
        "WSAEWOULDBLOCK",  "WSAEINPROGRESS",  "WSAEALREADY",     "WSAENOTSOCK",        "WSAEDESTADDRREQ",
        "WSAEMSGSIZE",     "WSAEPROTOTYPE",   "WSAENOPROTOOPT",  "WSAEPROTONOSUPPORT", "WSAESOCKTNOSUPPORT",
        "WSAEOPNOTSUPP",   "WSAEPFNOSUPPORT", "WSAEAFNOSUPPORT", "WSAEADDRINUSE",      "WSAEADDRNOTAVAIL",
        "WSAENETDOWN",     "WSAENETUNREACH",  "WSAENETRESET",    "WSAECONNABORTED",    "WSAECONNRESET",
        "WSAENOBUFS",      "WSAEISCONN",      "WSAENOTCONN",     "WSAESHUTDOWN",       "WSAETOOMANYREFS",
        "WSAETIMEDOUT",    "WSAECONNREFUSED", "WSAELOOP",        "WSAENAMETOOLONG",    "WSAEHOSTDOWN",
        "WSAEHOSTUNREACH", "WSAENOTEMPTY",    "WSAEPROCLIM",     "WSAEUSERS",          "WSAEDQUOT",
        "WSAESTALE",       "WSAEREMOTE"};
    switch (code) {
    case 10004:
        return "WSAEINTR";
    case 10009:
        return "WSAEBADF";
    case 10013:
        return "WSAEACCES";
    case 10014:
        return "WSAEFAULT";
    case 10022:
        return "WSAEINVAL";
    case 10024:
        return "WSAEMFILE";
    case 10091:
        return "WSASYSNOTREADY";
    case 10092:
        return "WSAVERNOTSUPPORTED";
    case 10093:
        return "WSANOTINITIALISED";
    case 10101:
        return "WSAEDISCON";
    default:
        break;
    }
    if (code >= 10035 && code <= 10071) return from10035[code - 10035];
    return "WSA_UnKnow";
}
