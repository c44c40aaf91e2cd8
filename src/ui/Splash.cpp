#include "ui/Splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace zarn {

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture = Picture();
    Image1->setPixmap(picture);
    Image1->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1500);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &QWidget::hide);
    show();
    Timer1->start();
}

QPixmap ProgramIconPicture() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x6d, 0xb5));
    p.drawRoundedRect(2, 2, 60, 60, 10, 10);
    p.setBrush(QColor(0xf4, 0xe9, 0xd8));
    p.drawRoundedRect(14, 26, 28, 26, 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xf4, 0xe9, 0xd8), 4));
    p.drawArc(36, 30, 16, 16, -90 * 16, 180 * 16);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(22, 20, 24, 10);
    p.drawLine(32, 20, 34, 10);
    return pixmap;
}

QPixmap TSplashForm::Picture() {
    QPixmap pixmap(427, 323);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 323);
    sky.setColorAt(0, QColor(0x10, 0x24, 0x5a));
    sky.setColorAt(1, QColor(0x2f, 0x6d, 0xb5));
    p.fillRect(pixmap.rect(), sky);
    // A cup of coffee under the name: applets, made easy.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xe9, 0xd8));
    p.drawRoundedRect(150, 150, 100, 80, 12, 12);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xf4, 0xe9, 0xd8), 9));
    p.drawArc(232, 165, 44, 44, -90 * 16, 180 * 16);
    p.setPen(QPen(QColor(0xff, 0xff, 0xff, 150), 4));
    for (int x : {170, 195, 220}) {
        QPainterPath steam;
        steam.moveTo(x, 140);
        steam.cubicTo(x - 12, 125, x + 12, 112, x, 96);
        p.drawPath(steam);
    }
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"), 40, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 18, 427, 70), Qt::AlignCenter, QStringLiteral("ZARN"));
    QFont small(QStringLiteral("Arial"), 11);
    p.setFont(small);
    p.drawText(QRect(0, 240, 427, 24), Qt::AlignCenter, QStringLiteral("Quovelt applet tags for your pages"));
    p.drawText(QRect(0, 280, 427, 24), Qt::AlignCenter, QStringLiteral("Version 1.0 - Trelvix"));
    return pixmap;
}

} // namespace zarn
