// The yardstick for the footprint benchmark: the least a Qt Widgets program can do that is
// comparable with Spanwell's two jobs. With --snapshot FILE it draws one label into a PNG file
// at two pixels per point and ends; without, it shows one label, prints "shown" and runs until
// it is ended.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("One label"));
    if (argc == 3 && std::strcmp(argv[1], "--snapshot") == 0) {
        label.adjustSize();
        QImage image(label.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        label.render(&image);
        return image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    label.show();
    QTimer::singleShot(0, [] {
        std::puts("shown");
        std::fflush(stdout);
    });
    return application.exec();
}
