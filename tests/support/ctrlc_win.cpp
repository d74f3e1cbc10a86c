// SPDX-License-Identifier: MIT
// Group 0 is every process on this console, this one among them.
#include "ctrlc.h"

#include <windows.h>

bool sendCtrlC()
{
    return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
}
