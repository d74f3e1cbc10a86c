// SPDX-License-Identifier: MIT
// How the scanner meets the terminal it runs in: whether a stream shows on one, and standard
// output and error set up to carry the program's bytes (UTF-8 text, lines ending in "\n")
// unchanged on every system.
#pragma once

#include <cstdio>

bool isTerminal(std::FILE* stream);

// Called once, before anything is written.
void useUtf8StandardStreams();
