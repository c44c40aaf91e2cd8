#pragma once
// The "Add...." dialog: the vector views ask through it which element template to add.

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace zarn {

class TPVVTemplates : public QDialog {
    Q_OBJECT
public:
    explicit TPVVTemplates(QWidget* parent = nullptr);

    QListWidget* TLB = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Shows the lines with the first one selected and runs the dialog modally: the chosen line,
    // or -1 for Cancel.
    int Choose(const QStringList& lines);

    // Tests answer here instead of the modal run: the hook returns the dialog's result.
    static void SetRunHook(std::function<int(TPVVTemplates&)> hook);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The one dialog of the program, created on first use unless CreatePVVTemplates made it at start.
TPVVTemplates& PVVTemplates();
void CreatePVVTemplates(QWidget* parent);
// Destroys the dialog; needed before the application object goes when it has no parent.
void ReleasePVVTemplates();

} // namespace zarn
