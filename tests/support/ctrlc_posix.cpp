// SPDX-License-Identifier: MIT
#include "ctrlc.h"

#include <csignal>

bool sendCtrlC()
{
    return std::raise(SIGINT) == 0;
}
