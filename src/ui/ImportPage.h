#pragma once
// "Import from page...": the page's applet blocks and, for the chosen one, the templates that
// have its CODE.

#include "profile/TextConv.h"
#include "tag/PageImport.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace zarn {

class TImportPageDialog : public QDialog {
    Q_OBJECT

public:
    // `templates` holds the matching template paths of each block, in block order.
    TImportPageDialog(const std::vector<TPageApplet>& applets, const std::vector<TStrings>& templates,
                      const QString& templatesRoot, QWidget* parent = nullptr);

    int ChosenBlock() const;
    // The chosen template's full path; empty when the block's CODE matches none.
    std::string ChosenTemplate() const;

    QListWidget* BlockList;
    QListWidget* TemplateList;
    QLabel* TemplateNote;
    QPushButton* OKButton;
    QPushButton* CancelButton;

private:
    void BlockListChange();

    const std::vector<TStrings>& templates_;
    QString templatesRoot_;
};

} // namespace zarn
