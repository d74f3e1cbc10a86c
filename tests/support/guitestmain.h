// QTEST_MAIN for tests that need a GUI application, with the platform plugin's start-up left
// out of the leak check: Qt 5.15's offscreen plugin never frees its screen.
#pragma once

#include <QApplication>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define TOLLMARK_LSAN_DISABLE() __lsan_disable()
#define TOLLMARK_LSAN_ENABLE() __lsan_enable()
#else
#define TOLLMARK_LSAN_DISABLE()
#define TOLLMARK_LSAN_ENABLE()
#endif

#define TOLLMARK_GUI_TEST_MAIN(TestObject)                                                         \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        TOLLMARK_LSAN_DISABLE();                                                                   \
        QApplication app(argc, argv);                                                              \
        TOLLMARK_LSAN_ENABLE();                                                                    \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
