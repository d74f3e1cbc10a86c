// SPDX-License-Identifier: MIT
// Windows always has a desktop, and its own platform opens no window until asked to; the
// offscreen platform would look for fonts only in a folder of Qt's own.
#include "headlessgui.h"

#include <QByteArray>

void chooseHeadlessPlatform()
{
    qputenv("QT_QPA_PLATFORM", "windows");
}
