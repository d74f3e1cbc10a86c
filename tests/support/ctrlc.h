// SPDX-License-Identifier: MIT
// Delivers Ctrl-C to this process as the terminal would: SIGINT on POSIX systems, a control
// event to the console's handlers on Windows.
#pragma once

// False when the event could not be sent.
bool sendCtrlC();
