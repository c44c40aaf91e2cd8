#include "tag/PageBytes.h"

#include "profile/Errors.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace zarn {

namespace fs = std::filesystem;

std::string ReadPageBytes(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        throw EZarnError(path + ": cannot be read (" +
                         (ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory)).message() +
                         ")");
    if (fs::is_directory(status))
        throw EZarnError(path + ": is a folder, not a page");
    if (!fs::is_regular_file(status))
        throw EZarnError(path + ": is not a regular file");
    const std::string tooLarge = path + ": is larger than " + std::to_string(MaxPageSize >> 20) + " MiB";
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > MaxPageSize)
        throw EZarnError(tooLarge);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EZarnError(path + ": cannot be read (" + std::generic_category().message(errno) + ")");
    // Bounded even when the file grows while it is read.
    std::string bytes(MaxPageSize + 1, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    if (in.bad())
        throw EZarnError(path + ": cannot be read (" + std::make_error_code(std::errc::io_error).message() +
                         ")");
    bytes.resize(std::size_t(in.gcount()));
    if (bytes.size() > MaxPageSize)
        throw EZarnError(tooLarge);
    bytes.shrink_to_fit();
    return bytes;
}

namespace {

void appendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The text after a byte-order mark; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return uint32_t(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool startsWithText(std::string_view text, std::size_t at, std::string_view lowerWord) {
    if (text.size() - at < lowerWord.size())
        return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
        if (lower(text[at + i]) != lowerWord[i])
            return false;
    return true;
}

bool usedByBlocks(std::string_view lowerName) {
    static constexpr std::array<std::string_view, 10> names = {
        "code", "codebase", "archive", "width", "height", "hspace", "vspace", "align", "name", "value"};
    return std::find(names.begin(), names.end(), lowerName) != names.end();
}

class Preparer {
public:
    explicit Preparer(std::string_view text) : text_(text) { out_.reserve(text.size()); }

    std::string Run(bool& hadNul) {
        std::size_t at = 0;
        while (at < text_.size()) {
            const std::size_t next = text_.find_first_of(std::string_view("<\0", 2), at);
            if (next == std::string_view::npos) {
                out_.append(text_.substr(at));
                break;
            }
            out_.append(text_.substr(at, next - at));
            if (text_[next] == '\0') {
                nul();
                at = next + 1;
            } else {
                at = markup(next);
            }
        }
        hadNul = hadNul_;
        return std::move(out_);
    }

private:
    void nul() {
        out_ += "&#xFFFD;";
        hadNul_ = true;
    }

    void copy(std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            if (text_[i] == '\0')
                nul();
            else
                out_ += text_[i];
        }
    }

    // Copies the markup at `at` (a "<"); the position after it.
    std::size_t markup(std::size_t at) {
        if (text_.compare(at, 4, "<!--") == 0) {
            const std::size_t end = text_.find("-->", at + 4);
            const std::size_t after = end == std::string_view::npos ? text_.size() : end + 3;
            copy(at, after);
            return after;
        }
        const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        if (at + 1 >= text_.size() || !isLetter(text_[at + 1])) {
            out_ += '<';
            return at + 1;
        }
        std::size_t i = at + 1;
        while (i < text_.size() && !isBlank(text_[i]) && text_[i] != '>' && text_[i] != '/')
            ++i;
        std::string name;
        for (std::size_t k = at + 1; k < i; ++k)
            name += lower(text_[k]);
        struct Span {
            std::size_t from, to;
            std::string name;
        };
        std::vector<Span> attributes;
        for (;;) {
            while (i < text_.size() && (isBlank(text_[i]) || text_[i] == '/'))
                ++i;
            if (i >= text_.size() || text_[i] == '>')
                break;
            const std::size_t from = i;
            while (i < text_.size() && !isBlank(text_[i]) && text_[i] != '>' && text_[i] != '=' &&
                   !(text_[i] == '/' && i > from))
                ++i;
            std::string attributeName;
            if (attributes.size() >= MaxTagAttributes)
                for (std::size_t k = from; k < i; ++k)
                    attributeName += lower(text_[k]);
            std::size_t look = i;
            while (look < text_.size() && isBlank(text_[look]))
                ++look;
            if (look < text_.size() && text_[look] == '=') {
                i = look + 1;
                while (i < text_.size() && isBlank(text_[i]))
                    ++i;
                if (i < text_.size() && (text_[i] == '"' || text_[i] == '\'')) {
                    const std::size_t close = text_.find(text_[i], i + 1);
                    if (close == std::string_view::npos) {
                        // An open quotation mark: the parser settles the rest of the page.
                        copy(at, text_.size());
                        return text_.size();
                    }
                    i = close + 1;
                } else {
                    while (i < text_.size() && !isBlank(text_[i]) && text_[i] != '>')
                        ++i;
                }
            }
            attributes.push_back({from, i, std::move(attributeName)});
        }
        const std::size_t end = i < text_.size() ? i + 1 : i;
        if (attributes.size() <= MaxTagAttributes) {
            copy(at, end);
        } else {
            copy(at, attributes.front().from);
            std::vector<std::string> seen;
            std::size_t unread = 0;
            for (std::size_t k = 0; k < attributes.size(); ++k) {
                const Span& span = attributes[k];
                const bool keep =
                    k < MaxTagAttributes ||
                    (usedByBlocks(span.name) && std::find(seen.begin(), seen.end(), span.name) == seen.end());
                if (keep) {
                    if (k >= MaxTagAttributes)
                        seen.push_back(span.name);
                    copy(span.from, span.to);
                    out_ += ' ';
                } else {
                    ++unread;
                }
            }
            out_ += std::string(UnreadAttributesName) + "=" + std::to_string(unread);
            copy(attributes.back().to, end);
        }
        // The text of scripts and styles is no markup.
        if (name == "script" || name == "style") {
            std::size_t close = end;
            while ((close = text_.find('<', close)) != std::string_view::npos &&
                   !(startsWithText(text_, close, "</") && startsWithText(text_, close + 2, name)))
                ++close;
            const std::size_t stop = close == std::string_view::npos ? text_.size() : close;
            copy(end, stop);
            return stop;
        }
        return end;
    }

    std::string_view text_;
    std::string out_;
    bool hadNul_ = false;
};

} // namespace

TPreparedPage PreparePage(std::string_view bytes) {
    TPreparedPage page;
    std::string converted;
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        converted = utf16ToUtf8(bytes, bytes[0] == '\xFE');
        bytes = converted;
        page.utf16 = true;
    }
    page.bytes = Preparer(bytes).Run(page.hadNul);
    return page;
}

} // namespace zarn
