#pragma once

// The symbolic name of a Windows Sockets 1.1 error code; "WSA_UnKnow" for any other code.
const char* WinSockErrorName(int code);
