# SPDX-License-Identifier: MIT
# Qt 6 (6.2 or later) when it is found with every module the build needs, Qt 5.15 otherwise;
# TOLLMARK_QT=5 or 6 forces one. Targets link Qt${TOLLMARK_QT_MAJOR}::Core and so on, not the
# versionless Qt::Core, which a Qt 6 found only in part would already have taken. QRegExp, in
# the port layer's interface, comes with Tollmark::QRegExp: Qt 6 keeps it in Core5Compat.
set(TOLLMARK_QT "" CACHE STRING "Qt major version to build with: 5, 6, or empty for 6 when found")
set_property(CACHE TOLLMARK_QT PROPERTY STRINGS "" 5 6)

set(_tollmark_qt_modules Core Gui Widgets Test)

if(TOLLMARK_QT STREQUAL "" OR TOLLMARK_QT STREQUAL "6")
  if(TOLLMARK_QT STREQUAL "6")
    set(_tollmark_qt6_mode REQUIRED)
  else()
    set(_tollmark_qt6_mode QUIET)
  endif()
  find_package(Qt6 6.2 ${_tollmark_qt6_mode} COMPONENTS ${_tollmark_qt_modules} Core5Compat)
endif()

if(Qt6_FOUND)
  set(TOLLMARK_QT_MAJOR 6)
elseif(TOLLMARK_QT STREQUAL "" OR TOLLMARK_QT STREQUAL "5")
  find_package(Qt5 5.15 REQUIRED COMPONENTS ${_tollmark_qt_modules})
  set(TOLLMARK_QT_MAJOR 5)
else()
  message(FATAL_ERROR "TOLLMARK_QT is '${TOLLMARK_QT}'; use 5, 6, or leave it empty")
endif()

add_library(Tollmark::QRegExp INTERFACE IMPORTED)
if(TOLLMARK_QT_MAJOR EQUAL 6)
  target_link_libraries(Tollmark::QRegExp INTERFACE Qt6::Core5Compat)
  set(_tollmark_qt_version ${Qt6_VERSION})
else()
  set(_tollmark_qt_version ${Qt5_VERSION})
endif()
message(STATUS "Tollmark: Qt ${_tollmark_qt_version}")
