// SPDX-License-Identifier: MIT
// Streams pass bytes through as they are; the terminal decodes them in its own locale.
#include "terminal.h"

#include <unistd.h>

bool isTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

void useUtf8StandardStreams() { }
