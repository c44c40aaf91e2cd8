#include "ui/AppletSize.h"

#include "views/ScreenText.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>

namespace zarn {

namespace {

QWidget* SpacingPanel(const char* name, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

} // namespace

TAppletSizeForm::TAppletSizeForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName("AppletSizeForm");
    setWindowTitle("Applet Size");
    setMinimumSize(1, 1);
    UpVSpace = SpacingPanel("UpVSpace", this);
    DownVSpace = SpacingPanel("DownVSpace", this);
    LeftHSpace = SpacingPanel("LeftHSpace", this);
    RightHSpace = SpacingPanel("RightHSpace", this);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAutoFillBackground(true);
    QPalette white = Label1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(white);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    QFont font = Label1->font();
    font.setPixelSize(13);
    Label1->setFont(font);

    resize(435, 300);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAppletSizeForm::SetClientWidth(int width) {
    // Remembered now, so a resize event the platform delivers later is not taken for the user's.
    LastWidth = width;
    resize(width, height());
}

void TAppletSizeForm::SetClientHeight(int height) {
    LastHeight = height;
    resize(width(), height);
}

void TAppletSizeForm::SetHorizontalSpacing(int spacing) {
    left_ = right_ = spacing;
    ArrangePanels();
}

void TAppletSizeForm::SetVerticalSpacing(int spacing) {
    up_ = down_ = spacing;
    ArrangePanels();
}

void TAppletSizeForm::PlaceBeside(const QRect& owner) {
    const QScreen* place = QGuiApplication::screenAt(owner.center());
    if (!place)
        place = QGuiApplication::primaryScreen();
    if (!place)
        return;
    const QRect room = place->availableGeometry();
    // The frame is known once the window has been shown; before, the client size stands for it.
    const QRect frame = frameGeometry();
    const QSize outer = frame.size();
    auto within = [&](int value, int low, int length, int extent) {
        return std::max(low, std::min(value, low + length - extent));
    };
    const int y = within(owner.top(), room.top(), room.height(), outer.height());
    const int x = within(owner.left(), room.left(), room.width(), outer.width());
    const QPoint candidates[] = {{owner.right() + 1, y},
                                 {owner.left() - outer.width(), y},
                                 {x, owner.bottom() + 1},
                                 {x, owner.top() - outer.height()}};
    QPoint best = candidates[0];
    qint64 bestShown = -1;
    for (const QPoint& at : candidates) {
        const QRect shown = QRect(at, outer).intersected(room);
        const qint64 area = qint64(shown.width()) * shown.height();
        if (area > bestShown) {
            bestShown = area;
            best = at;
        }
    }
    best.setX(within(best.x(), room.left(), room.width(), outer.width()));
    best.setY(within(best.y(), room.top(), room.height(), outer.height()));
    // move() places the frame's corner: the offset of the client inside the frame is kept.
    move(best);
}

void TAppletSizeForm::ArrangePanels() {
    const int w = width();
    const int h = height();
    UpVSpace->setGeometry(0, 0, w, up_);
    DownVSpace->setGeometry(0, h - down_, w, down_);
    const int middle = std::max(0, h - up_ - down_);
    LeftHSpace->setGeometry(0, up_, left_, middle);
    RightHSpace->setGeometry(w - right_, up_, right_, middle);
    Label1->setGeometry(left_, up_, std::max(0, w - left_ - right_), middle);
}

void TAppletSizeForm::showEvent(QShowEvent* event) {
    Label1->setText(DisplayLines("\rResize this window to the desired size of your Applet\r"
                                 "When you're done with resizing, just close this window"));
    QWidget::showEvent(event);
}

void TAppletSizeForm::resizeEvent(QResizeEvent* event) {
    ArrangePanels();
    const int w = event->size().width();
    const int h = event->size().height();
    const bool widthChanged = w != LastWidth;
    const bool heightChanged = h != LastHeight;
    // Taken before writing back: the main window answers by resizing this window again.
    LastWidth = w;
    LastHeight = h;
    if (Tracking) {
        // Only the left and upper panels are measured: the main window sets both of a pair.
        if (widthChanged)
            emit AppletWidthChosen(w - 2 * LeftHSpace->width());
        if (heightChanged)
            emit AppletHeightChosen(h - 2 * UpVSpace->height());
    }
    QWidget::resizeEvent(event);
}

void TAppletSizeForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

} // namespace zarn
