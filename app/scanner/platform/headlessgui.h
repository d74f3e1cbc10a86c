// SPDX-License-Identifier: MIT
// Picks the platform for a GUI application that only lays out and paints, as the scanner's
// PDF report does: one that opens no window, needs no display and finds the system's fonts.
#pragma once

// Called before the GUI application is made.
void chooseHeadlessPlatform();
