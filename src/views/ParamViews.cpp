#include "views/ParamViews.h"

#include "model/ColorParams.h"
#include "model/ScalarParams.h"
#include "plugins/Plugin.h"
#include "profile/Errors.h"
#include "profile/TextConv.h"
#include "views/ColorViews.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ScreenText.h"
#include "views/ViewUndo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryFile>
#include <QToolButton>
#include <QValidator>

#include <algorithm>
#include <limits>
#include <typeindex>

namespace zarn {

namespace {

// Refuses typed or pasted characters that a document's Windows-1252 text cannot hold.
class AnsiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override {
        std::string bytes;
        return ToAnsi(input, bytes) ? Acceptable : Invalid;
    }
};

template <class View, class Param> void RegisterOnce() {
    if (!FindParamView(std::type_index(typeid(Param))))
        RegisterParamView<View, Param>();
}

} // namespace

int RightOf(const QWidget* control, int gap) {
    return control ? control->x() + control->width() + gap : gap;
}

void ShowViewError(const std::exception& error) {
    ShowMainLoopError(error.what());
}

void RegisterScalarViews() {
    RegisterOnce<TAPVString, TAPString>();
    RegisterOnce<TAPVNumeric, TAPNumeric>();
    RegisterOnce<TAPVFileName, TAPFileName>();
    RegisterOnce<TAPVColor, TAPColor>();
    RegisterOnce<TAPVBoolean, TAPBoolean>();
    RegisterOnce<TAPVComboList, TAPComboList>();
    RegisterOnce<TAPVColorCombo, TAPColorCombo>();
    RegisterOnce<TAPVBevel, TAPBevel>();
    RegisterOnce<TAPVColorOption, TAPColorOption>();
    RegisterOnce<TAPVPlugin, TAPPlugin>();
    RegisterOnce<TAPVFloat, TAPFloat>();
}

// ---- edit views

void TAPVWithTCustomEdit::SetupView() {
    TAppletParamView::SetupView();
    if (!Editor) {
        CreateEditor();
        Editor->installEventFilter(this);
        Editor->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(Editor, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            QMenu* menu = Editor->createStandardContextMenu();
            AddViewActions(menu);
            menu->exec(Editor->mapToGlobal(at));
            delete menu;
        });
    }
    Editor->setVisible(true);
    Editor->move(RightOf(NameLabel, HGap), TopMargin);
    if (NameLabel)
        NameLabel->setBuddy(Editor);
}

int TAPVWithTCustomEdit::GetPreferredHeight() {
    return std::max(TAppletParamView::GetPreferredHeight(), Editor->height() + 2 * VMargin);
}

void TAPVWithTCustomEdit::Resized() {
    TAppletParamView::Resized();
    const int rightMargin = NameLabel ? NameLabel->x() : HGap;
    Editor->resize(std::max(0, width() - Editor->x() - rightMargin), Editor->height());
}

void TAPVWithTCustomEdit::FillEditor(const QString& text) {
    const QSignalBlocker blocker(Editor);
    Editor->setText(text);
    Editor->setCursorPosition(0);
    // What the editor shows now is the stored value, which the kind took.
    ClearRefused();
}

void TAPVWithTCustomEdit::ShowRefused(const QString& reason) {
    Editor->setProperty("refused", true);
    Editor->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid #c81e1e; }"));
    Editor->setToolTip(reason);
    const std::string& caption = Param->UFName.empty() ? Param->Name : Param->UFName;
    Editor->setProperty("refusedNote", FromAnsi(caption) + QStringLiteral(": ") + reason +
                                           QStringLiteral(". The document keeps ") +
                                           FromAnsi(Param->GetValue()) + QLatin1Char('.'));
}

bool TAPVWithTCustomEdit::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a field for another one (not for a menu or another window, from which the user may
    // come back) shows what the document holds again, so the field never shows what it did not take.
    if (watched == Editor && event->type() == QEvent::FocusOut && Editor->property("refused").toBool()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            const QString note = Editor->property("refusedNote").toString();
            ShowValue();
            NoteInStatusBar(note);
        }
    }
    return TAppletParamView::eventFilter(watched, event);
}

void TAPVWithTCustomEdit::ClearRefused() {
    if (!Editor->property("refused").toBool())
        return;
    Editor->setProperty("refused", false);
    Editor->setStyleSheet(QString());
    // The style sheet left the font it resolved set on the edit; the page's font comes back.
    Editor->setFont(QFont());
    Editor->setToolTip(QString());
}

void TAPVWithTEdit::CreateEditor() {
    Editor = new QLineEdit(this);
    Editor->setObjectName(QStringLiteral("Editor"));
    // The default limit would cut a long stored text at the first keystroke.
    Editor->setMaxLength(std::numeric_limits<int>::max());
    Editor->resize(Editor->width(), Editor->sizeHint().height());
    connect(Editor, &QLineEdit::textChanged, this, [this] { EditorChanged(); });
}

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus); // the edit's Up and Down keys step from the keyboard
    }
    up_->setObjectName(QStringLiteral("Up"));
    down_->setObjectName(QStringLiteral("Down"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAccessibleName(QStringLiteral("Step up"));
    down_->setAccessibleName(QStringLiteral("Step down"));
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TUpDown::Associate(QLineEdit* edit) {
    edit_ = edit;
    edit_->installEventFilter(this);
}

void TUpDown::StepBy(int steps) {
    if (!edit_)
        return;
    // Steps from the number in the edit; a text that is no number steps from the last good one.
    if (auto typed = TryStrToInt(ToAnsiLossy(edit_->text())))
        Position = *typed;
    Position = std::clamp(Position + steps * Increment, Min, Max);
    edit_->setText(QString::number(Position));
}

void TUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TAPVWithTSpinEdit::SetupView() {
    TAPVWithTEdit::SetupView();
    if (!SpinButton) {
        SpinButton = new TUpDown(this);
        SpinButton->setObjectName(QStringLiteral("SpinButton"));
        SpinButton->Associate(Editor);
        SpinButton->setGeometry(RightOf(Editor, 0), Editor->y(), Editor->height() / 2, Editor->height());
        SpinButton->setVisible(true);
    }
}

void TAPVWithTSpinEdit::Resized() {
    TAPVWithTEdit::Resized();
    const int spinHeight = Editor->height();
    const int spinWidth = spinHeight / 2;
    const int editWidth = std::min(3 * Editor->height(), width() - Editor->x() - HGap - spinWidth);
    Editor->resize(std::max(0, editWidth), Editor->height());
    SpinButton->setGeometry(Editor->x() + Editor->width(), Editor->y(), spinWidth, spinHeight);
}

void TAPVString::CreateEditor() {
    TAPVWithTEdit::CreateEditor();
    Editor->setValidator(new AnsiValidator(Editor));
}

void TAPVString::SetupView() {
    TAPVWithTEdit::SetupView();
    FillEditor(FromAnsi(StringParam().Value));
}

void TAPVString::EditorChanged() {
    std::string text;
    if (!ToAnsi(Editor->text(), text)) {
        // Only a chosen file name can get here; typing is refused by the validator.
        ShowRefused(QStringLiteral("The name holds characters that a document cannot store"));
        return;
    }
    ClearRefused();
    // A chosen file is a step of its own; typing in the field merges.
    TParamEdit edit(*this, !picking_);
    StringParam().Value = text;
    edit.Done();
}

TAPString& TAPVString::StringParam() const {
    return dynamic_cast<TAPString&>(*Param);
}

void TAPVFileName::SetupView() {
    TAPVString::SetupView();
    if (!BrowseButton) {
        BrowseButton = new QToolButton(this);
        BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
        BrowseButton->setToolTip(QStringLiteral("Browse"));
        BrowseButton->setAccessibleName(QStringLiteral("Browse"));
        const QPixmap& pair = Glyph(TGlyph::Folder);
        if (!pair.isNull()) {
            const int side = pair.height();
            QIcon icon;
            icon.addPixmap(pair.copy(0, 0, side, side), QIcon::Normal);
            icon.addPixmap(pair.copy(side, 0, side, side), QIcon::Disabled);
            BrowseButton->setIcon(icon);
            BrowseButton->setIconSize(QSize(side, side));
        }
        BrowseButton->setVisible(true);
        connect(BrowseButton, &QToolButton::clicked, this, &TAPVFileName::BrowseClick);
    }
    // Every set-up (an undo or a new caption runs it again) puts the edit right of the caption; the
    // button goes there, the edit right of it.
    BrowseButton->setGeometry(RightOf(NameLabel, HGap), TopMargin, 25, Editor->height() + 4);
    Editor->move(RightOf(BrowseButton, HGap), Editor->y());
}

void TAPVFileName::BrowseClick() {
    // Without an existing file in the edit the chooser starts on the view's previous choice.
    const QFileInfo current(Editor->text());
    if (!Editor->text().isEmpty() && current.isFile())
        lastChosen_ = current.absoluteFilePath();
    const TFileRequest request{QString(), lastChosen_, FromAnsi(dynamic_cast<TAPFileName&>(*Param).FilterExt),
                               QString()};
    const std::optional<QString> chosen = Dialogs().OpenFileName(request);
    if (!chosen)
        return;
    lastChosen_ = *chosen;
    picking_ = true;
    Editor->setText(QDir::toNativeSeparators(*chosen));
    picking_ = false;
}

void TAPVNumeric::SetupView() {
    TAPVWithTSpinEdit::SetupView();
    const TAPNumeric& param = NumericParam();
    // The stored value always lies in the range, so showing a view never changes it.
    const int64_t value = param.Value;
    SpinButton->Min = std::min<int64_t>({param.Min, param.Max, value});
    SpinButton->Max = std::max<int64_t>({param.Min, param.Max, value});
    SpinButton->Increment = param.Step == 0 ? 1 : std::abs(int64_t(param.Step));
    SpinButton->Position = value;
    FillEditor(QString::number(value));
}

void TAPVNumeric::EditorChanged() {
    const std::string text = ToAnsiLossy(Editor->text());
    const std::optional<int32_t> typed = TryStrToInt(text);
    if (!typed) {
        ShowRefused(FromAnsi("'" + text + "' is not a valid integer value"));
        return;
    }
    if (*typed < SpinButton->Min || *typed > SpinButton->Max) {
        ShowRefused(QStringLiteral("%1 is not between %2 and %3")
                        .arg(*typed)
                        .arg(SpinButton->Min)
                        .arg(SpinButton->Max));
        return;
    }
    ClearRefused();
    SpinButton->Position = *typed;
    TParamEdit edit(*this, true);
    NumericParam().Value = *typed;
    edit.Done();
}

TAPNumeric& TAPVNumeric::NumericParam() const {
    return dynamic_cast<TAPNumeric&>(*Param);
}

void TAPVFloat::SetupView() {
    TAPVWithTEdit::SetupView();
    FillEditor(FromAnsi(FloatParam().GetValue()));
}

void TAPVFloat::EditorChanged() {
    double value = 0;
    try {
        value = StrToFloat(ToAnsiLossy(Editor->text()));
    } catch (const EConvertError& error) {
        ShowRefused(FromAnsi(error.Message()));
        return;
    }
    ClearRefused();
    TParamEdit edit(*this, true);
    FloatParam().Value = value;
    edit.Done();
}

TAPFloat& TAPVFloat::FloatParam() const {
    return dynamic_cast<TAPFloat&>(*Param);
}

// ---- switch, list, line, plug-in

void TAPVBoolean::SetupView() {
    TAppletParamView::SetupView();
    if (!CheckBox) {
        CheckBox = new QCheckBox(this);
        CheckBox->setObjectName(QStringLiteral("CheckBox"));
        connect(CheckBox, &QCheckBox::clicked, this, &TAPVBoolean::CheckBoxClick);
    }
    if (NameLabel) {
        NameLabel->hide();
        QString caption = NameLabel->text();
        if (caption.endsWith(QLatin1String(" : ")))
            caption.chop(3);
        CheckBox->setText(caption);
        PlaceCheckBox();
    }
    CheckBox->setVisible(true);
    const QSignalBlocker blocker(CheckBox);
    CheckBox->setChecked(BooleanParam().Value);
}

void TAPVBoolean::Resized() {
    TAppletParamView::Resized();
    if (NameLabel) {
        NameLabel->hide();
        PlaceCheckBox();
    }
}

void TAPVBoolean::PlaceCheckBox() {
    const int height = CheckBox->sizeHint().height();
    // Never narrower than its caption needs, so a long caption is not cut.
    const int width = std::max(height + NameLabel->width(), CheckBox->sizeHint().width());
    CheckBox->setGeometry(NameLabel->x(), NameLabel->y(), width, height);
}

void TAPVBoolean::CheckBoxClick() {
    TParamEdit edit(*this, false);
    BooleanParam().Value = CheckBox->isChecked();
    edit.Done();
}

TAPBoolean& TAPVBoolean::BooleanParam() const {
    return dynamic_cast<TAPBoolean&>(*Param);
}

void TAPVComboList::SetupView() {
    TAppletParamView::SetupView();
    if (!ItemList) {
        ItemList = new QComboBox(this);
        ItemList->setObjectName(QStringLiteral("ItemList"));
        ItemList->resize(ItemList->width(), ItemList->sizeHint().height());
        connect(ItemList, &QComboBox::activated, this, &TAPVComboList::ItemListClick);
    }
    ItemList->setVisible(true);
    ItemList->move(RightOf(NameLabel, HGap), TopMargin);
    ItemList->resize(std::max(0, width() - ItemList->x() - HGap), ItemList->height());
    if (NameLabel)
        NameLabel->setBuddy(ItemList);
    // A list fills without a native window, so nothing has to wait for one.
    FillPending = false;
    FillItemList();
}

void TAPVComboList::FillItemList() {
    const TAPComboList& param = ComboParam();
    const QSignalBlocker blocker(ItemList);
    ItemList->clear();
    for (const std::string& item : param.UFItems)
        ItemList->addItem(FromAnsi(item));
    const bool inRange = param.ItemIndex >= 0 && param.ItemIndex < ItemList->count();
    ItemList->setCurrentIndex(inRange ? param.ItemIndex : -1);
}

void TAPVComboList::Resized() {
    TAppletParamView::Resized();
    int width = this->width() - ItemList->x() - HGap;
    const int32_t wanted = ComboParam().Width;
    if (wanted > 0 && wanted < width)
        width = wanted;
    ItemList->resize(std::max(0, width), ItemList->height());
    if (FillPending) {
        FillPending = false;
        FillItemList();
    }
}

int TAPVComboList::GetPreferredHeight() {
    return std::max(TAppletParamView::GetPreferredHeight(), ItemList->height() + 2 * VMargin);
}

void TAPVComboList::ItemListClick() {
    TParamEdit edit(*this, false);
    ComboParam().ItemIndex = ItemList->currentIndex();
    edit.Done();
}

TAPComboList& TAPVComboList::ComboParam() const {
    return dynamic_cast<TAPComboList&>(*Param);
}

void TAPVBevel::SetupView() {
    TAppletParamView::SetupView();
    if (NameLabel)
        NameLabel->hide();
    resize(width(), GetPreferredHeight());
}

int TAPVBevel::GetPreferredHeight() {
    return 2;
}

void TAPVBevel::paintEvent(QPaintEvent* /*event*/) {
    // Lowered: shadow along the top and left, light along the bottom and right.
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    painter.fillRect(0, 0, width(), 1, shadow);
    painter.fillRect(0, 1, width(), 1, light);
    painter.fillRect(0, 0, 1, height(), shadow);
    painter.fillRect(width() - 1, 1, 1, height() - 1, light);
}

namespace {

// The plug-in's data in sections of a private file: the plug-in contract only reads and writes its
// data through a profile file.
class TPluginSnapshot : public TValueSnapshot {
public:
    explicit TPluginSnapshot(TAPPlugin& plugin) : plugin_(plugin) {
        if (!file_.open())
            throw EZarnError("Could not create a file to keep the plug-in's data for undo");
        file_.close();
    }
    void Save(const std::string& state) override {
        plugin_.EnsureLoaded();
        plugin_.PluginFuncs->SaveData(plugin_.Instance, name().c_str(), state.c_str());
        raise();
    }
    void Load(const std::string& state) override {
        plugin_.EnsureLoaded();
        plugin_.PluginFuncs->LoadData(plugin_.Instance, name().c_str(), state.c_str());
        raise();
    }

private:
    std::string name() const { return QFile::encodeName(file_.fileName()).toStdString(); }
    void raise() const {
        if (std::string error = plugin_.PluginFuncs->TakeError(); !error.empty())
            throw EZarnError(std::move(error));
    }
    TAPPlugin& plugin_;
    QTemporaryFile file_;
};

} // namespace

void TAPVPlugin::SetupView() {
    TAppletParamView::SetupView();
    if (!PropertiesButton) {
        PropertiesButton = new QPushButton(QStringLiteral("&Properties..."), this);
        PropertiesButton->setObjectName(QStringLiteral("PropertiesButton"));
        PropertiesButton->setVisible(true);
        connect(PropertiesButton, &QPushButton::clicked, this, &TAPVPlugin::PropertiesClick);
    }
    PropertiesButton->setGeometry(RightOf(NameLabel, HGap), TopMargin, 119, 25);
    if (NameLabel)
        NameLabel->setBuddy(PropertiesButton);
}

int TAPVPlugin::GetPreferredHeight() {
    return PropertiesButton->height() + 2 * VMargin;
}

std::unique_ptr<TValueSnapshot> TAPVPlugin::CreateValueSnapshot() {
    auto* plugin = dynamic_cast<TAPPlugin*>(Param);
    return plugin ? std::make_unique<TPluginSnapshot>(*plugin) : nullptr;
}

void TAPVPlugin::PropertiesClick() {
    auto* plugin = dynamic_cast<TAPPlugin*>(Param);
    if (!plugin)
        return;
    try {
        // A confirmed edit changed the document's data: it must be saved like any edit.
        TParamEdit edit(*this, false);
        if (plugin->EditPlugin())
            edit.Done();
    } catch (const std::exception& error) {
        ShowViewError(error);
    }
}

} // namespace zarn
