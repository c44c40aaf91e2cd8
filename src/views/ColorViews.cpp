#include "views/ColorViews.h"

#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ParamViews.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zarn {

const std::array<TNamedColor, 18> NamedColors{{
    {"black", RGBColor(0, 0, 0)},
    {"maroon", RGBColor(128, 0, 0)},
    {"green", RGBColor(0, 128, 0)},
    {"olive", RGBColor(128, 128, 0)},
    {"navy", RGBColor(0, 0, 128)},
    {"purple", RGBColor(128, 0, 128)},
    {"teal", RGBColor(0, 128, 128)},
    {"gray", RGBColor(128, 128, 128)},
    {"silver", RGBColor(192, 192, 192)},
    {"red", RGBColor(255, 0, 0)},
    {"lime", RGBColor(0, 255, 0)},
    {"yellow", RGBColor(255, 255, 0)},
    {"blue", RGBColor(0, 0, 255)},
    {"fuchsia", RGBColor(255, 0, 255)},
    {"aqua", RGBColor(0, 255, 255)},
    {"lightGray", RGBColor(192, 192, 192)},
    {"darkGray", RGBColor(128, 128, 128)},
    {"white", RGBColor(255, 255, 255)},
}};

int FindNamedColor(TColor color) {
    for (std::size_t i = 0; i < NamedColors.size(); ++i)
        if (NamedColors[i].color == color)
            return int(i);
    return -1;
}

namespace {

QColor ToQColor(TColor color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

} // namespace

void TShape::SetFill(TColor color) {
    fill_ = ToQColor(color);
    update();
}

void TShape::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(fill_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TAPVCustomColor::SetupView() {
    TAppletParamView::SetupView();
    if (!Swatch) {
        Swatch = new TShape(this);
        Swatch->setObjectName(QStringLiteral("Swatch"));
        Swatch->setVisible(true);
    }
    Swatch->setGeometry(RightOf(NameLabel, HGap), TopMargin, 100, 25);
    Swatch->SetFill(ColorParam().Color);
}

void TAPVCustomColor::Resized() {
    TAppletParamView::Resized();
    Swatch->resize(4 * Swatch->height(), Swatch->height());
}

int TAPVCustomColor::GetPreferredHeight() {
    return std::max(TAppletParamView::GetPreferredHeight(), Swatch->height() + 2 * VMargin);
}

TAPColor& TAPVCustomColor::ColorParam() const {
    return dynamic_cast<TAPColor&>(*Param);
}

void TAPVColorCombo::SetupView() {
    TAPVCustomColor::SetupView();
    if (!ColorList) {
        ColorList = new QComboBox(this);
        ColorList->setObjectName(QStringLiteral("ColorList"));
        connect(ColorList, &QComboBox::activated, this, [this] { ColorListClick(); });
    }
    ColorList->setVisible(true);
    ColorList->setGeometry(RightOf(Swatch, HGap), TopMargin, 250, ColorList->sizeHint().height());
    if (NameLabel)
        NameLabel->setBuddy(ColorList);
    // A list fills without a native window, so nothing has to wait for one.
    FillPending = false;
    FillColorList();
}

void TAPVColorCombo::FillColorList() {
    const QSignalBlocker blocker(ColorList);
    ColorList->setUpdatesEnabled(false);
    ColorList->clear();
    for (const TNamedColor& named : NamedColors)
        ColorList->addItem(QString::fromLatin1(named.name), QVariant::fromValue<uint>(named.color));
    ColorList->setCurrentIndex(FindNamedColor(ColorParam().Color));
    ColorList->setUpdatesEnabled(true);
}

void TAPVColorCombo::Resized() {
    TAPVCustomColor::Resized();
    ColorList->move(RightOf(Swatch, HGap), TopMargin);
    if (FillPending) {
        FillPending = false;
        FillColorList();
    }
}

int TAPVColorCombo::GetPreferredHeight() {
    return std::max(TAPVCustomColor::GetPreferredHeight(), ColorList->height() + 2 * VMargin);
}

void TAPVColorCombo::ColorListClick() {
    const int index = ColorList->currentIndex();
    if (index < 0)
        return;
    TParamEdit edit(*this, false);
    ColorParam().Color = ColorList->itemData(index).toUInt();
    Swatch->SetFill(ColorParam().Color);
    edit.Done();
}

void TAPVColor::SetupView() {
    TAPVCustomColor::SetupView();
    if (!ValueLabel) {
        ValueLabel = new QLabel(this);
        ValueLabel->setObjectName(QStringLiteral("ValueLabel"));
        ValueLabel->setVisible(true);
    }
    ValueLabel->setText(FromAnsi(ColorParam().GetValue()));
    ValueLabel->adjustSize();
    ValueLabel->move(RightOf(Swatch, HGap), Baseline - ValueLabel->height());
    if (!SelectButton) {
        SelectButton = new QPushButton(QStringLiteral("&Select color..."), this);
        SelectButton->setObjectName(QStringLiteral("SelectButton"));
        SelectButton->setIcon(QIcon(Glyph(TGlyph::Color)));
        SelectButton->setVisible(true);
        connect(SelectButton, &QPushButton::clicked, this, [this] { SelectColorClick(); });
    }
    // Never narrower than its caption and picture need.
    SelectButton->setGeometry(RightOf(ValueLabel, HGap), TopMargin,
                              std::max(89, SelectButton->sizeHint().width()), 25);
    if (NameLabel)
        NameLabel->setBuddy(SelectButton);
}

void TAPVColor::Resized() {
    TAPVCustomColor::Resized();
    ValueLabel->move(RightOf(Swatch, HGap), Baseline - ValueLabel->height());
    SelectButton->move(RightOf(ValueLabel, HGap), TopMargin);
}

int TAPVColor::GetPreferredHeight() {
    return std::max(TAPVCustomColor::GetPreferredHeight(), SelectButton->height() + 2 * VMargin);
}

void TAPVColor::SelectColorClick() {
    const std::optional<QColor> chosen = Dialogs().Color(ToQColor(ColorParam().Color));
    if (!chosen || !chosen->isValid())
        return;
    const QColor rgb = chosen->toRgb();
    TParamEdit edit(*this, false);
    ColorParam().Color = RGBColor(uint8_t(rgb.red()), uint8_t(rgb.green()), uint8_t(rgb.blue()));
    Swatch->SetFill(ColorParam().Color);
    ValueLabel->setText(FromAnsi(ColorParam().GetValue()));
    ValueLabel->adjustSize();
    Resized(); // the controls right of the value follow its new width
    edit.Done();
}

void TAPVColorOption::SetupView() {
    TAPVColor::SetupView();
    if (!UnspecifiedBox) {
        UnspecifiedBox = new QCheckBox(QStringLiteral("Unspecified"), this);
        UnspecifiedBox->setObjectName(QStringLiteral("UnspecifiedBox"));
        UnspecifiedBox->setVisible(true);
        connect(UnspecifiedBox, &QCheckBox::clicked, this, [this] { UnspecifiedClick(); });
    }
    UnspecifiedBox->setGeometry(RightOf(SelectButton, HGap), TopMargin,
                                fontMetrics().horizontalAdvance(UnspecifiedBox->text()) + 40,
                                SelectButton->height());
    {
        const QSignalBlocker blocker(UnspecifiedBox);
        UnspecifiedBox->setChecked(dynamic_cast<TAPColorOption&>(*Param).Unspecified);
    }
    UpdateUnspecified();
}

void TAPVColorOption::UpdateUnspecified() {
    const bool unspecified = UnspecifiedBox->isChecked();
    Swatch->setVisible(!unspecified);
    SelectButton->setEnabled(!unspecified);
    ValueLabel->setEnabled(!unspecified);
}

void TAPVColorOption::UnspecifiedClick() {
    TParamEdit edit(*this, false);
    dynamic_cast<TAPColorOption&>(*Param).Unspecified = UnspecifiedBox->isChecked();
    UpdateUnspecified();
    // It decides whether the block holds the colour at all: a change to save.
    edit.Done();
}

void TAPVColorOption::Resized() {
    TAPVColor::Resized();
    UnspecifiedBox->setGeometry(RightOf(SelectButton, HGap), TopMargin,
                                fontMetrics().horizontalAdvance(UnspecifiedBox->text()) + 40,
                                SelectButton->height());
}

} // namespace zarn
