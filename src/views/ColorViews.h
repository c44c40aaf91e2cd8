#pragma once
// The views of the colour kinds: a swatch with a list of named colours, with the colour dialog, and
// with an "Unspecified" switch.

#include "model/ColorParams.h"
#include "views/ParamViewList.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace zarn {

struct TNamedColor {
    const char* name;
    TColor color;
};

// The colours of the drop-down in list order; "lightGray" and "darkGray" repeat earlier values.
extern const std::array<TNamedColor, 18> NamedColors;
// The first entry with the colour, so a repeated value finds the earlier name; -1 when none has it.
int FindNamedColor(TColor color);

// A rectangle filled with one colour, framed in black.
class TShape : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    QColor Fill() const { return fill_; }
    void SetFill(TColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
};

class TAPVCustomColor : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    TShape* Swatch = nullptr;

    void SetupView() override;
    int GetPreferredHeight() override;

protected:
    void Resized() override;
    TAPColor& ColorParam() const;
};

class TAPVColorCombo : public TAPVCustomColor {
    Q_OBJECT
public:
    using TAPVCustomColor::TAPVCustomColor;

    QComboBox* ColorList = nullptr;
    bool FillPending = false;

    void SetupView() override;
    int GetPreferredHeight() override;
    virtual void FillColorList();
    virtual void ColorListClick();

protected:
    void Resized() override;
};

class TAPVColor : public TAPVCustomColor {
    Q_OBJECT
public:
    using TAPVCustomColor::TAPVCustomColor;

    QLabel* ValueLabel = nullptr;
    QPushButton* SelectButton = nullptr;

    void SetupView() override;
    int GetPreferredHeight() override;
    virtual void SelectColorClick();

protected:
    void Resized() override;
};

class TAPVColorOption : public TAPVColor {
    Q_OBJECT
public:
    using TAPVColor::TAPVColor;

    QCheckBox* UnspecifiedBox = nullptr;

    void SetupView() override;
    virtual void UnspecifiedClick();
    // While checked the colour controls are out of use; the colour itself is kept.
    void UpdateUnspecified();

protected:
    void Resized() override;
};

} // namespace zarn
