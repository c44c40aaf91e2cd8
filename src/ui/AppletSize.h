#pragma once
// The applet size window: its white area is the applet, its margins the spacing; dragging its
// edges sets the applet's width and height in the main window.

#include <QWidget>

#include <cstdint>

class QLabel;

namespace zarn {

class TAppletSizeForm : public QWidget {
    Q_OBJECT

public:
    explicit TAppletSizeForm(QWidget* parent = nullptr);

    // Size at the previous resize event; only a change of it is written back.
    int32_t LastWidth = 0;
    int32_t LastHeight = 0;
    // While true, a size change is written back into the main window; the main window switches it
    // off around its own changes.
    bool Tracking = false;

    QWidget* UpVSpace;
    QWidget* DownVSpace;
    QWidget* LeftHSpace;
    QWidget* RightHSpace;
    QLabel* Label1;

    // The main window's side: client size and the spacing panels (both of a pair at once).
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    void SetHorizontalSpacing(int spacing);
    void SetVerticalSpacing(int spacing);
    // Moves the window next to `owner` (a frame in screen pixels): right of it, else left, below or
    // above, whichever the screen has room for; without room anywhere, where most of it shows.
    void PlaceBeside(const QRect& owner);

signals:
    // The user resized the window: the applet's new width or height (may be negative; the
    // main window's spinner keeps it in range).
    void AppletWidthChosen(int width);
    void AppletHeightChosen(int height);
    // Closed by its close button: the main window releases its Resize button.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ArrangePanels();

    int up_ = 33;
    int down_ = 25;
    int left_ = 33;
    int right_ = 27;
};

} // namespace zarn
