#pragma once
// The views of the scalar parameter kinds and of plug-in parameters (the colour views are in
// ColorViews.h), and their registration.

#include "views/ParamViewList.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zarn {

class TAPBoolean;
class TAPComboList;
class TAPFileName;
class TAPFloat;
class TAPNumeric;
class TAPPlugin;
class TAPString;

// "Right of X": X's left plus its width plus the gap (the gap alone when there is no X).
int RightOf(const QWidget* control, int gap);

// Registers every scalar view and the plug-in view with its parameter class, once.
void RegisterScalarViews();

// An edit right of the caption; the kinds say what its text means.
class TAPVWithTCustomEdit : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    QLineEdit* Editor = nullptr;

    void SetupView() override;
    int GetPreferredHeight() override;

protected:
    virtual void CreateEditor() = 0;
    virtual void EditorChanged() = 0;
    void Resized() override;
    // Puts a text into the editor without running EditorChanged: filling a view writes nothing.
    void FillEditor(const QString& text);
    // A text the kind cannot take keeps the last good value and says why on the marked editor.
    void ShowRefused(const QString& reason);
    void ClearRefused();
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TAPVWithTEdit : public TAPVWithTCustomEdit {
    Q_OBJECT
public:
    using TAPVWithTCustomEdit::TAPVWithTCustomEdit;

protected:
    void CreateEditor() override;
};

// Two arrow buttons that step the whole number in their edit within Min..Max; the Up and Down
// keys in the edit do the same.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent);

    int64_t Min = 0;
    int64_t Max = 0;
    int64_t Increment = 1;
    int64_t Position = 0;

    void Associate(QLineEdit* edit);
    void StepBy(int steps);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* edit_ = nullptr;
};

class TAPVWithTSpinEdit : public TAPVWithTEdit {
    Q_OBJECT
public:
    using TAPVWithTEdit::TAPVWithTEdit;

    TUpDown* SpinButton = nullptr;

    void SetupView() override;

protected:
    void Resized() override;
};

class TAPVString : public TAPVWithTEdit {
    Q_OBJECT
public:
    using TAPVWithTEdit::TAPVWithTEdit;

    void SetupView() override;

protected:
    void CreateEditor() override;
    void EditorChanged() override;
    TAPString& StringParam() const;
    // Set while a chosen file name goes into the editor.
    bool picking_ = false;
};

class TAPVFileName : public TAPVString {
    Q_OBJECT
public:
    using TAPVString::TAPVString;

    QToolButton* BrowseButton = nullptr;

    void SetupView() override;
    void BrowseClick();

private:
    // The file chosen last: the chooser starts on it when the edit names no existing file.
    QString lastChosen_;
};

class TAPVNumeric : public TAPVWithTSpinEdit {
    Q_OBJECT
public:
    using TAPVWithTSpinEdit::TAPVWithTSpinEdit;

    void SetupView() override;

protected:
    void EditorChanged() override;

private:
    TAPNumeric& NumericParam() const;
};

// A real number, read with "." or "," as decimal separator.
class TAPVFloat : public TAPVWithTEdit {
    Q_OBJECT
public:
    using TAPVWithTEdit::TAPVWithTEdit;

    void SetupView() override;

protected:
    void EditorChanged() override;

private:
    TAPFloat& FloatParam() const;
};

// The check box takes the caption's place.
class TAPVBoolean : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    QCheckBox* CheckBox = nullptr;

    void SetupView() override;
    void CheckBoxClick();

protected:
    void Resized() override;

private:
    void PlaceCheckBox();
    TAPBoolean& BooleanParam() const;
};

class TAPVComboList : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    QComboBox* ItemList = nullptr;
    bool FillPending = false;

    void SetupView() override;
    int GetPreferredHeight() override;
    void ItemListClick();

protected:
    void Resized() override;

private:
    void FillItemList();
    TAPComboList& ComboParam() const;
};

// A sunken line two pixels high across the page.
class TAPVBevel : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    void SetupView() override;
    int GetPreferredHeight() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A button that opens the plug-in's own editor; the view shows no value.
class TAPVPlugin : public TAppletParamView {
    Q_OBJECT
public:
    using TAppletParamView::TAppletParamView;

    QPushButton* PropertiesButton = nullptr;

    void SetupView() override;
    int GetPreferredHeight() override;
    // The plug-in's data lives in its instance.
    std::unique_ptr<TValueSnapshot> CreateValueSnapshot() override;
    void PropertiesClick();
};

// A failure inside a view's handler is shown as the main loop shows it; nothing leaves the handler.
void ShowViewError(const std::exception& error);

} // namespace zarn
