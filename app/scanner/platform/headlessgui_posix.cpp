// SPDX-License-Identifier: MIT
// The offscreen platform runs without a display and reads the fonts fontconfig knows.
#include "headlessgui.h"

#include <QByteArray>

void chooseHeadlessPlatform()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
}
