#pragma once
// Changing a parsed profile file and turning it back into bytes.

#include "profile/FileReplace.h"
#include "profile/ProfileParser.h"

#include <span>
#include <string>

namespace zarn::profile {

// The text a value is stored as, so that reading it gives the value back: the value itself, or
// a form made in `room`. Outer blanks are lost unless kept: then the value goes between quotes.
std::string_view StoredForm(std::string_view value, std::string& room, bool keepOuterBlanks = false);
std::string Serialize(const Document& doc);
// The same bytes, line by line.
void Serialize(const Document& doc, const PieceSink& put);
// A value ending in ^Z must not end the file: a read would take it for the end-of-file mark.
void GuardEndMark(Document& doc);
// Where a new key goes among a section's lines.
std::size_t KeyInsertionPoint(const Document& doc, std::span<const Entry> entries);
// A last line without a line end gets one before anything is written after it.
void EnsureLineEnd(Document& doc);

} // namespace zarn::profile
