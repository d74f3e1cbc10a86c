// SPDX-License-Identifier: MIT
// The window's look: the Fusion style, the dark palette and the style sheets, with the few
// states the sheets leave unreadable on the dark palette made readable.
#pragma once

class QMenu;
class QMenuBar;
class QTableWidget;

// The colour of what was not read, on the dark palette's base.
extern const char kDimmedTextColour[];

// Installs the style, palette and application style sheet application-wide, and the menu's
// and table's own sheets on them.
void applyWindowLook(QMenuBar& menuBar, QMenu& menu, QTableWidget& table);
