// The reference for the start-up and memory figures: the smallest Qt Widgets program
// that shows a window, started the same way as qv418k-config (QApplication, one
// top-level widget, show, event loop).

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("A minimal Qt Widgets window"), &window));
    window.show();
    return application.exec();
}
