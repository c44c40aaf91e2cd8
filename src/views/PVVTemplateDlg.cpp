#include "views/PVVTemplateDlg.h"

#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

namespace zarn {

namespace {

std::function<int(TPVVTemplates&)>& RunHook() {
    static std::function<int(TPVVTemplates&)> hook;
    return hook;
}

// A plain pointer: with a parent the parent destroys it, without one ReleasePVVTemplates does.
TPVVTemplates*& Instance() {
    static TPVVTemplates* dialog = nullptr;
    return dialog;
}

} // namespace

TPVVTemplates::TPVVTemplates(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PVVTemplates"));
    setWindowTitle(QStringLiteral("Add...."));
    setSizeGripEnabled(true);
    TLB = new QListWidget(this);
    TLB->setObjectName(QStringLiteral("TLB"));
    TLB->setGeometry(0, 0, 427, 233);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(112, 240, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(240, 240, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(TLB, Button1);
    setTabOrder(Button1, Button2);
    // 435 x 300 outside with the platform's usual frame.
    resize(427, 273);
    move(341, 176);
}

int TPVVTemplates::Choose(const QStringList& lines) {
    TLB->setUpdatesEnabled(false);
    TLB->clear();
    TLB->addItems(lines);
    TLB->setCurrentRow(0);
    TLB->setUpdatesEnabled(true);
    TLB->setFocus();
    const int result = RunHook() ? RunHook()(*this) : exec();
    if (result != QDialog::Accepted)
        return -1;
    return TLB->currentRow();
}

void TPVVTemplates::SetRunHook(std::function<int(TPVVTemplates&)> hook) {
    RunHook() = std::move(hook);
}

void TPVVTemplates::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The list keeps to the top edge and follows the width.
    TLB->resize(event->size().width(), TLB->height());
}

TPVVTemplates& PVVTemplates() {
    if (!Instance())
        CreatePVVTemplates(nullptr);
    return *Instance();
}

void CreatePVVTemplates(QWidget* parent) {
    ReleasePVVTemplates();
    Instance() = new TPVVTemplates(parent);
    // A parent that goes first takes the dialog with it.
    QObject::connect(Instance(), &QObject::destroyed, [] { Instance() = nullptr; });
}

void ReleasePVVTemplates() {
    delete Instance();
    Instance() = nullptr;
}

} // namespace zarn
