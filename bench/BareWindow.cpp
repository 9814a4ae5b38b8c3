// SPDX-License-Identifier: GPL-3.0-or-later
// The reference for artcal's start-up, memory and idle figures: a frameless window of
// the widget's size, with nothing in it. `--poll` adds the hover poll artcal runs, a
// 40 ms timer that reads the pointer and tests it against a rectangle. `--label` adds
// one line of text, to tell what showing any text at all costs (the font set-up).

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QRect>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[])
{
    // Same platform choice as artcal.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(235, 392);

    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--label"))) {
        auto* label = new QLabel(QStringLiteral("January 2006"), &window);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        label->setFont(font);
        label->setGeometry(23, 181, 191, 14);
    }

    QTimer poll;
    bool over = false;
    if (args.contains(QStringLiteral("--poll"))) {
        QObject::connect(&poll, &QTimer::timeout, &window, [&window, &over] {
            const QRect area(window.geometry().topLeft() + QPoint(24, 33), QSize(188, 143));
            const bool now = area.contains(QCursor::pos());
            if (now != over) {
                over = now;
                window.update();
            }
        });
        poll.start(40);
    }
    window.show();
    return app.exec();
}
