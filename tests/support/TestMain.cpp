#include "support/TestRegistry.h"

#ifdef SPANWELL_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    TestApplication application(argc, argv);
    return TestRegistry::runAll(argc, argv);
}
