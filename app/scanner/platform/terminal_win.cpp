// SPDX-License-Identifier: MIT
// The C runtime's streams turn "\n" into "\r\n" unless set to binary, and a console shows
// bytes in its own code page unless told they are UTF-8. The console's code page is the
// console's, shared with the shell that started the program, so it is put back at exit.
#include "terminal.h"

#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {
UINT previousCodePage = 0;

void restoreCodePage()
{
    SetConsoleOutputCP(previousCodePage);
}
} // namespace

bool isTerminal(std::FILE* stream)
{
    // _isatty holds for any character device, the NUL device too; only a console has a
    // console mode.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void useUtf8StandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    previousCodePage = GetConsoleOutputCP();
    if (previousCodePage != 0 && previousCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(&restoreCodePage);
}
