// Entry point of the field (k45mr) and engineering (k45mr-engineering) executables.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.show();
    return app.exec();
}
