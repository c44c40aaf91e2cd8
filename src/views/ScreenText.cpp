#include "views/ScreenText.h"

#include "profile/Codepage.h"

#include <QHash>

namespace zarn {

QString FromAnsi(std::string_view text) {
    return QString::fromStdString(Win1252ToUtf8(text));
}

bool ToAnsi(const QString& text, std::string& out) {
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    // Per UTF-16 unit: a character beyond the first plane (a surrogate pair) has no byte either.
    for (const QChar ch : text) {
        const int byte = Win1252Byte(ch.unicode());
        if (byte < 0)
            return false;
        result.push_back(static_cast<char>(byte));
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
