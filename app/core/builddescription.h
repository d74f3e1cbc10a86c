// SPDX-License-Identifier: MIT
// Which build of Tollmark this is, for --version, the About text and bug reports.
#pragma once

#include <QString>

// The Tollmark release, then on a line of its own the Qt and RtMidi releases the program
// runs with and whether the port layer's JACK handling is built in:
// "0.1.0\nQt 6.4.2, RtMidi 5.0.0, JACK handling built in".
QString tollmarkBuildDescription();
