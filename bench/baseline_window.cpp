// The yardstick for the program's start-up: a bare Qt Widgets program that
// shows one window of the title window's size with the same picture, decoded
// by Qt's own image reader and scaled before the window is shown, as the
// title window does it. It prints the same line as the program when its
// window is shown. Usage: baseline_window PICTURE.jpg

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: baseline_window PICTURE.jpg\n");
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "baseline: cannot read %s\n", argv[1]);
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(804, 642);
    auto* label = new QLabel(&window);
    label->setGeometry(0, 0, 804, 601);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setPixmap(QPixmap::fromImage(picture.scaled(801, 601, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    window.move(172, 27);
    window.show();
    std::fprintf(stderr, "baseline: title window shown\n");
    std::fflush(stderr);
    return app.exec();
}
