#pragma once
// The borderless picture shown while the program starts; it hides itself after 1500 ms.

#include <QWidget>

class QLabel;
class QTimer;

namespace zarn {

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;

    // The splash picture, drawn rather than stored.
    static QPixmap Picture();
};

// The program icon (64 by 64), drawn like the splash picture.
QPixmap ProgramIconPicture();

} // namespace zarn
