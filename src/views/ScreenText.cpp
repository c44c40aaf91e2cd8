#include "views/ScreenText.h"

#include "profile/Codepage.h"

#include <QHash>

namespace zarn {

namespace {

const QHash<char16_t, unsigned char>& ReverseTable() {
    static const QHash<char16_t, unsigned char> table = [] {
        QHash<char16_t, unsigned char> t;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const QString s = QString::fromUtf8(Win1252ToUtf8(std::string_view(&c, 1)));
            if (s.size() == 1)
                t.insert(s.at(0).unicode(), static_cast<unsigned char>(b));
        }
        return t;
    }();
    return table;
}

} // namespace

QString FromAnsi(std::string_view text) {
    return QString::fromStdString(Win1252ToUtf8(text));
}

bool ToAnsi(const QString& text, std::string& out) {
    const auto& table = ReverseTable();
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (const QChar ch : text) {
        const auto it = table.constFind(ch.unicode());
        if (it == table.constEnd())
            return false;
        result.push_back(static_cast<char>(*it));
    }
    out = std::move(result);
    return true;
}

std::string ToAnsiLossy(const QString& text) {
    return Utf8ToWin1252(text.toStdString());
}

QString DisplayLines(std::string_view text) {
    QString shown = FromAnsi(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

} // namespace zarn
