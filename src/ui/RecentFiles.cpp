#include "ui/RecentFiles.h"

#include "platform/SettingsStore.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <exception>

namespace zarn {

namespace {

bool NeedsEscape(char c) {
    return c == '%' || c == '|' || c == '\r' || c == '\n' || c == '\0';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string EncodeRecentFiles(const QStringList& files) {
    static const char* const digits = "0123456789ABCDEF";
    std::string text;
    for (const QString& file : files) {
        if (!text.empty())
            text += '|';
        for (char c : QFile::encodeName(file).toStdString()) {
            if (NeedsEscape(c)) {
                text += '%';
                text += digits[(static_cast<unsigned char>(c) >> 4) & 0xF];
                text += digits[static_cast<unsigned char>(c) & 0xF];
            } else {
                text += c;
            }
        }
    }
    return text;
}

QStringList DecodeRecentFiles(const std::string& text) {
    QStringList files;
    std::string name;
    auto finish = [&] {
        if (!name.empty() && files.size() < TRecentFiles::MaxCount)
            files << QFile::decodeName(QByteArray::fromStdString(name));
        name.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|') {
            finish();
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            name += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            name += c;
        }
    }
    finish();
    return files;
}

TRecentFiles::TRecentFiles(QMenu* menu, SettingsStore* store, QObject* parent)
    : QObject(parent), menu_(menu), store_(store) {
    if (store_ && store_->ValueType(RecentFilesValueName) == TSettingType::Text) {
        try {
            files_ = DecodeRecentFiles(store_->ReadString(RecentFilesValueName));
        } catch (const std::exception&) {
            // A list that cannot be read starts empty; it is not worth a message.
        }
    }
    files_.removeDuplicates();
    connect(menu_, &QMenu::aboutToShow, this, &TRecentFiles::DropMissing);
    FillMenu();
}

void TRecentFiles::Add(const QString& path) {
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    files_.removeAll(file);
    files_.prepend(file);
    while (files_.size() > MaxCount)
        files_.removeLast();
    Store();
    FillMenu();
}

void TRecentFiles::DropMissing() {
    const qsizetype before = files_.size();
    files_.removeIf([](const QString& file) { return !QFileInfo(file).isFile(); });
    if (files_.size() != before) {
        Store();
        FillMenu();
    }
}

void TRecentFiles::Store() {
    if (!store_)
        return;
    try {
        store_->WriteString(RecentFilesValueName, EncodeRecentFiles(files_));
    } catch (const std::exception&) {
        // The list is a convenience: a store that refuses it must not stop an open or a save.
    }
}

void TRecentFiles::FillMenu() {
    menu_->clear();
    for (qsizetype i = 0; i < files_.size(); ++i) {
        const QString file = files_[i];
        QString shown = QDir::toNativeSeparators(file);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        action->setToolTip(file);
        connect(action, &QAction::triggered, this, [this, file] { emit OpenRequested(file); });
    }
    menu_->setEnabled(!files_.isEmpty());
    menu_->menuAction()->setEnabled(!files_.isEmpty());
}

} // namespace zarn
