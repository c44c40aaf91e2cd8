#pragma once
// Text crossing between the documents' Windows-1252 bytes and the screen, never through the locale.

#include <QString>

#include <string>
#include <string_view>

namespace zarn {

QString FromAnsi(std::string_view text);

// Strict: returns false (and leaves `out` alone) when a character has no Windows-1252 byte, so a
// typed character is refused instead of becoming "?".
bool ToAnsi(const QString& text, std::string& out);
std::string ToAnsiLossy(const QString& text);

// The system's texts end lines with a bare carriage return; on screen they are line breaks.
QString DisplayLines(std::string_view text);

} // namespace zarn
