#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalle"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orvalle - (Untitled)"));
    window.resize(600, 450);
    window.show();
    return app.exec();
}
