// SPDX-License-Identifier: MIT
#include "windowlook.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QStyleFactory>
#include <QTableWidget>

// 5.3:1 on the dark grey base.
const char kDimmedTextColour[] = "#aaaaaa";

namespace {
const QColor kDarkGrey(53, 53, 53);
const QColor kBlue(42, 130, 218);
// The filter's placeholder, 5.3:1 on the dark grey base; Fusion's own is near black.
const QColor kPlaceholder(170, 170, 170);

// Kept as written, blank runs included, so the sheets stay exactly what they always were.
const char kApplicationStyleSheet[]
    = "QToolTip { color: #ffffff; background-color: rgb(42,130,218); margin: 2px; border:0px; "
      "opacity: 200;} "
      "QComboBox[enabled=\"false\"] {background-color: black; color:black;}"
      "                         "
      "QCheckBox::indicator:hover {width: 18px; height: 18px;} "
      "QCheckBox::indicator {width: 20px; height: 20px;} "
      "QCheckBox::indicator:checked{image: url(:/check.png); background-color:rgb(42,130,218)}"
      "                        "
      "QCheckBox::indicator:unchecked{background-color:#505050; } "
      "QCheckBox::indicator:checked:disabled{image: url(:/check.png); "
      "background-color:#505050;} "
      "QToolBar::separator{width:2px; margin:7px; background: rgb(42,130,218)} "
      "QMenu::item:disabled{ color: #000000;}";

const char kMenuStyleSheet[] = "background-color: #4d4d4d; selection-background-color: #2A82DA;";
// The application sheet draws a disabled command black on the menu's #4d4d4d (2.5:1). The
// menu bar's sheet, which its menu takes before the application's, gives that one state a
// grey of 4.6:1; the menu's own sheet is declarations alone and can hold no such rule.
const char kMenuBarStyleSheet[] = "QMenu::item:disabled { color: #c0c0c0; }";

const char kTableStyleSheet[] = "QTabWidget::tab-bar {alignment: center;} "
                                "QTabBar::tab:!selected { border-color: #9B9B9B;padding : 10;} "
                                "QTabBar::tab:first:selected{padding : 10;}"
                                "                                     "
                                "QTabBar::tab:selected {color:#FFFF50; padding : 10; }";

QPalette darkPalette()
{
    QPalette palette;
    palette.setBrush(QPalette::Window, kDarkGrey);
    palette.setBrush(QPalette::WindowText, Qt::white);
    palette.setBrush(QPalette::Base, kDarkGrey);
    palette.setBrush(QPalette::AlternateBase, kDarkGrey);
    palette.setBrush(QPalette::ToolTipBase, Qt::white);
    palette.setBrush(QPalette::ToolTipText, Qt::white);
    palette.setBrush(QPalette::Text, Qt::white);
    palette.setBrush(QPalette::Button, kDarkGrey);
    palette.setBrush(QPalette::ButtonText, Qt::white);
    palette.setBrush(QPalette::BrightText, Qt::red);
    palette.setBrush(QPalette::Link, kBlue);
    palette.setBrush(QPalette::Highlight, kBlue);
    palette.setBrush(QPalette::HighlightedText, Qt::white);
    palette.setBrush(QPalette::PlaceholderText, kPlaceholder);
    return palette;
}
} // namespace

void applyWindowLook(QMenuBar& menuBar, QMenu& menu, QTableWidget& table)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(darkPalette());
    qApp->setStyleSheet(QLatin1String(kApplicationStyleSheet));
    menuBar.setStyleSheet(QLatin1String(kMenuBarStyleSheet));
    menu.setStyleSheet(QLatin1String(kMenuStyleSheet));
    table.setStyleSheet(QLatin1String(kTableStyleSheet));
}
