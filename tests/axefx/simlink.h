// SPDX-License-Identifier: MIT
// Shared by the AxeFX tests that run against the simulated unit on their private JACK server.
#pragma once

#include "axefx.h"
#include "axefxsim.h"
#include "simframe.h"

#include <QtTest>

// Starts the unit and finds it; false with a test failure message when either fails.
inline bool connectToSim(AxeFxSim& sim, AxeFX& axefx)
{
    QString error;
    if (sim.start(&error))
        return axefx.findAxeFx();
    qWarning() << "simulator did not start:" << error;
    return false;
}

// Function and, for parameter value queries, parameter of each recorded request, such as
// "3C 20 11:X 02:0 02:12", to compare request sequences at a glance.
inline QString requestTrail(const QList<QByteArray>& requests)
{
    QStringList trail;
    for (const QByteArray& r : requests) {
        const quint8 function = quint8(r.at(5));
        QString step = QString::number(function, 16).toUpper().rightJustified(2, '0');
        if (function == 0x11)
            step += r.at(8) ? ":Y" : ":X";
        else if (function == 0x02)
            step += ':' + QString::number(quint8(r.at(8)) | quint8(r.at(9)) << 7);
        trail << step;
    }
    return trail.join(' ');
}
