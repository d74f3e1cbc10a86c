// SPDX-License-Identifier: MIT
#include "builddescription.h"

#include <RtMidi.h>

QString tollmarkBuildDescription()
{
    // The releases loaded at run time, which a bug report needs, not those built against.
    return QStringLiteral("%1\nQt %2, RtMidi %3, JACK handling %4")
        .arg(QStringLiteral(TOLLMARK_VERSION), QLatin1String(qVersion()),
            QString::fromStdString(RtMidi::getVersion()),
            TOLLMARK_JACK_HANDLING ? QStringLiteral("built in") : QStringLiteral("not built in"));
}
