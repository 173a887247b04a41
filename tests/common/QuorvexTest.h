#pragma once

#include "TestEnvironment.h"
#include "data/QuorvexMetaTypes.h"
#include "resources/QuorvexResources.h"

#include <QApplication>
#include <QtTest>

// Test mains: the private environment first, then the application object, the resources and
// the cross-thread types, as the program itself has them.
#define QUORVEX_TEST_MAIN_IMPL(AppType, TestObject)                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestEnvironment::prepare();                                                                \
        AppType app(argc, argv);                                                                   \
        QuorvexResources::init();                                                                  \
        QuorvexMetaTypes::registerAll();                                                           \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#define QUORVEX_TEST_MAIN(TestObject) QUORVEX_TEST_MAIN_IMPL(QApplication, TestObject)
#define QUORVEX_TEST_GUILESS_MAIN(TestObject) QUORVEX_TEST_MAIN_IMPL(QCoreApplication, TestObject)
