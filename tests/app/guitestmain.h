// QTEST_MAIN for the tests that need a GUI application, with one difference: what Qt's
// platform plugin allocates while the application object starts is left out of the leak
// check. The offscreen plugin of Qt 5.15 never frees its screen, and every such test would
// otherwise fail under LeakSanitizer for a leak that is not ours.
#pragma once

#include <QApplication>
#include <QtTest>

#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define TOLLMARK_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOLLMARK_LSAN 1
#endif
#endif

#ifdef TOLLMARK_LSAN
#include <sanitizer/lsan_interface.h>
#endif

inline std::unique_ptr<QApplication> startGuiTestApplication(int& argc, char** argv)
{
#ifdef TOLLMARK_LSAN
    __lsan_disable();
#endif
    auto app = std::make_unique<QApplication>(argc, argv);
#ifdef TOLLMARK_LSAN
    __lsan_enable();
#endif
    app->setAttribute(Qt::AA_Use96Dpi, true);
    return app;
}

#define TOLLMARK_GUI_TEST_MAIN(TestObject)                                                         \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        const std::unique_ptr<QApplication> app = startGuiTestApplication(argc, argv);             \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
