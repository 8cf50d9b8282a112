#include <QApplication>

#include "app/program.h"
#include "platform/qt/qt_runtime.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    tavrin::qt::QtRuntime runtime;
    return tavrin::RunProgram(runtime);
}
