// The fault soak's cases: how the simulated unit misbehaves, what the user does meanwhile,
// and how the scan has to end.
#pragma once

#include <simfaults.h>

#include <QString>
#include <QVector>

enum class SoakEnd { Finished, NoDevice, Aborted };

enum class SoakAction {
    None,
    EscInUsage, // Esc once the usage phase is under way
    CloseInUsage, // the window's close button, the same moment
    EscAfterPortsClose, // the unit closes its ports; two silences later the user hits Esc
    RefreshAfterReturn, // as above, then the unit is back and the user chooses "Refresh"
};

struct SoakCase {
    QString name;
    SimFaults faults;
    SoakAction action = SoakAction::None;
    SoakEnd end = SoakEnd::Finished;
    // Whether replies are lost or unusable, so that the file may miss what they carried.
    bool lossy = false;
    // Whether the faults start only once the unit is found: random drops would otherwise
    // now and then take the model query's reply, and the case would test discovery instead.
    bool afterDiscovery = false;
};

QVector<SoakCase> soakCases();
QString endName(SoakEnd end);
// Requests a full scan makes before the first preset of its usage phase.
int requestsBeforeUsage();
