// The start-up reference: a minimal Qt Widgets program that shows one empty 222 x 138
// window and loads nothing else. bench/run.sh times it next to lumiroka.
//
// With --text the window also holds one push button with a short Latin caption: not a
// target, only a second point of comparison that shows what drawing any text at all
// (Qt's font database, font files, glyphs) adds to the first paint.

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("reference"));
    window.setFixedSize(222, 138);
    if (text)
        (new QPushButton(QStringLiteral("START"), &window))->setGeometry(120, 53, 97, 17);
    window.show();
    return app.exec();
}
