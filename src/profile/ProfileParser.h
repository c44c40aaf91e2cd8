#pragma once
// The parsed form of a profile file: every line as it stands, grouped by section, with an index of
// section and key names for lookups that ignore letter case. Lines point into the file's bytes,
// kept once; only lines written since the file was read have texts of their own.

#include "profile/TextConv.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zarn::profile {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The first position from `pos` whose byte `stops` holds for, or the text's size; `stops` holds
// only for bytes below 14 (line ends, NUL). Eight bytes at a time are passed over while none of
// them is that low: a search per byte costs a call per byte, a search per kind of byte a call per
// kind per line.
template <typename Stops>
std::size_t FindLowByte(std::string_view text, std::size_t pos, const Stops& stops) {
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    const std::size_t size = text.size();
    while (pos < size) {
        if (pos + 8 <= size) {
            uint64_t word;
            std::memcpy(&word, text.data() + pos, 8);
            if (((word - ones * 14) & ~word & highs) == 0) {
                pos += 8;
                continue;
            }
        }
        for (const std::size_t stop = std::min(pos + 8, size); pos < stop; ++pos)
            if (stops(text[pos]))
                return pos;
    }
    return size;
}

// Names compared as the store compares them: ASCII letters without case.
inline uint32_t NoCaseHash(std::string_view s) {
    uint64_t h = 14695981039346656037ull;
    for (char c : s)
        h = (h ^ uint64_t(static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c))) * 1099511628211ull;
    return uint32_t(h ^ (h >> 32));
}

// Names to positions (of sections, or of lines in a section), first position kept for a name.
// Open addressing over (hash, position) pairs: 8 bytes a name and no allocation per name, which
// matters at a hundred thousand sections. The names stay where they are, reached by position.
class NameIndex {
public:
    static constexpr std::size_t npos = std::size_t(-1);

    void clear() {
        slots_.clear();
        count_ = 0;
    }
    void reserve(std::size_t names) {
        std::size_t size = 16;
        while (size * 3 < names * 4)
            size *= 2;
        if (size > slots_.size())
            rehash(size);
    }
    // The position stored for `name`, or npos; nameAt(position) gives a stored name.
    template <typename NameAt> std::size_t find(std::string_view name, const NameAt& nameAt) const {
        if (slots_.empty())
            return npos;
        const uint32_t hash = NoCaseHash(name);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.position == 0)
                return npos;
            if (slot.hash == hash && SameText(nameAt(slot.position - 1), name))
                return slot.position - 1;
        }
    }
    // Stores `position` for `name`; false, storing nothing, when the name has a position already.
    template <typename NameAt>
    bool insert(std::string_view name, std::size_t position, const NameAt& nameAt) {
        // Up to three quarters full: the hashes are compared before any name, so probes stay cheap.
        if ((count_ + 1) * 4 > slots_.size() * 3)
            rehash(slots_.empty() ? 16 : slots_.size() * 2);
        const uint32_t hash = NoCaseHash(name);
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        for (; slots_[i].position != 0; i = (i + 1) & mask)
            if (slots_[i].hash == hash && SameText(nameAt(slots_[i].position - 1), name))
                return false;
        slots_[i] = Slot{hash, uint32_t(position + 1)};
        ++count_;
        return true;
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t position = 0; // position + 1; 0: free
    };
    void rehash(std::size_t size) {
        std::vector<Slot> old(size);
        old.swap(slots_);
        const std::size_t mask = size - 1;
        for (const Slot& slot : old)
            if (slot.position != 0) {
                std::size_t i = slot.hash & mask;
                while (slots_[i].position != 0)
                    i = (i + 1) & mask;
                slots_[i] = slot;
            }
    }
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

enum class LineEnd : uint8_t { None, LF, CR, CRLF };
std::string_view LineEndText(LineEnd end);

// One line of the file as it stands, with the parsed key when it is a key line. 8 bytes: a large
// file has hundreds of thousands of them. Its text is its document's (Document::text).
struct Entry {
    // A key that long or longer is measured again when asked for.
    static constexpr std::size_t LongKey = 0xFFF;
    // A line that long or longer has its size kept by its document.
    static constexpr std::size_t LongSize = 0xFFFF;

    uint32_t at = 0; // where the line's text (without its line end) starts in the document's texts
    uint16_t shortSize = 0;
    // The trimmed key, starting at the line's first non-blank; 0: no key.
    uint16_t keySize : 12 = 0;
    uint16_t eolBits : 2 = 0;
    uint16_t repeat : 1 = 0; // of a header: an earlier section has the same name

    LineEnd eol() const { return LineEnd(eolBits); }
    void setEol(LineEnd end) { eolBits = uint16_t(end) & 3u; }
    bool hasKey() const { return keySize != 0; }
};
static_assert(sizeof(Entry) == 8);

// A section's lines, as a vector holds them but in 16 bytes: a large file has a hundred thousand
// sections.
class Lines {
public:
    Lines() = default;
    Lines(const Lines& other) { assign(other.begin(), other.end()); }
    Lines& operator=(const Lines& other) {
        if (this != &other)
            assign(other.begin(), other.end());
        return *this;
    }
    Lines(Lines&& other) noexcept
        : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    Lines& operator=(Lines&& other) noexcept {
        data_ = std::move(other.data_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    Entry* data() { return data_.get(); }
    const Entry* data() const { return data_.get(); }
    Entry* begin() { return data(); }
    Entry* end() { return data() + size_; }
    const Entry* begin() const { return data(); }
    const Entry* end() const { return data() + size_; }
    Entry& operator[](std::size_t i) { return data_[i]; }
    const Entry& operator[](std::size_t i) const { return data_[i]; }
    Entry& back() { return data_[size_ - 1]; }
    const Entry& back() const { return data_[size_ - 1]; }

    void reserve(std::size_t capacity) {
        if (capacity <= capacity_)
            return;
        if (capacity > std::numeric_limits<uint32_t>::max())
            throw std::length_error("too many lines in a section");
        auto grown = std::make_unique_for_overwrite<Entry[]>(capacity);
        std::copy(begin(), end(), grown.get());
        data_ = std::move(grown);
        capacity_ = uint32_t(capacity);
    }
    // Exactly these lines, in room of their size.
    void assign(const Entry* first, const Entry* last) {
        const auto count = std::size_t(last - first);
        if (count > capacity_) {
            data_.reset();
            size_ = capacity_ = 0;
            reserve(count);
        }
        std::copy(first, last, data());
        size_ = uint32_t(count);
    }
    void insert(std::size_t at, Entry entry) { // by value: it may be one of these lines
        if (size_ == capacity_)
            reserve(std::max<std::size_t>(4, std::size_t(capacity_) * 2));
        std::copy_backward(begin() + at, end(), end() + 1);
        data_[at] = entry;
        ++size_;
    }
    void push_back(Entry entry) { insert(size_, entry); }
    template <typename Pred> void removeIf(const Pred& pred) {
        size_ = uint32_t(std::remove_if(begin(), end(), pred) - begin());
    }

private:
    std::unique_ptr<Entry[]> data_;
    uint32_t size_ = 0, capacity_ = 0;
};
static_assert(sizeof(Lines) == 16);

// A text of the document by where it starts.
struct TextRef {
    uint32_t at = 0, size = 0;
};

struct Section {
    Entry header;
    TextRef name; // as callers see it
    Lines entries;
    // Caller-form key -> first entry, for long sections (and all of a UTF-8 file); short ones are
    // searched in place, and most sections are short. Built when a key is first looked up: a
    // template's parameter list, the longest section, is only ever read in order.
    mutable std::unique_ptr<NameIndex> keyIndex; // of the lines' caller-form keys
    static constexpr std::size_t IndexFrom = 24;

    bool duplicate() const { return header.repeat; }

    Section() = default;
    Section(const Section& other);
    Section& operator=(const Section& other);
    Section(Section&&) noexcept = default;
    Section& operator=(Section&&) noexcept = default;
};

// What tells one version of a file from another without reading it.
struct Identity {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t mtime = 0;
    bool operator==(const Identity&) const = default;
};

// Raised when a document's texts would pass what 32-bit positions reach.
struct TextSpaceFull : std::length_error {
    TextSpaceFull() : std::length_error("a profile's texts are full") {}
};

struct Document {
    // The file's bytes, shared by copies of the document.
    std::shared_ptr<const std::string> bytes;
    // Where lines' texts are: positions below the file's size are its bytes, the rest texts written
    // since, in spans of 64 KiB. Shared by copies of the document; nothing in it moves or goes
    // while a line may point at it.
    struct TextStore {
        static constexpr unsigned SpanBits = 16;
        static constexpr std::size_t SpanSize = std::size_t(1) << SpanBits;
        std::size_t base = 0; // the file's size: where the spans start
        std::vector<std::unique_ptr<char[]>> blocks;
        std::vector<const char*> spans; // a block of more than a span takes spans in a row
        std::size_t used = 0, room = 0; // of the last block
        // Sizes of lines from Entry::LongSize up, by where they start.
        std::unordered_map<uint32_t, uint32_t> longSizes;
        // Short texts kept, by hash, handed out again for the same text: a save writes the same
        // "Visible=1" into every parameter's section, among texts written once.
        static constexpr std::size_t ShortText = 24;
        struct Kept {
            std::string_view text;
            uint32_t at = 0;
        };
        Kept shortTexts[256];
        // The pieces joined, as one text: where it starts. Raises TextSpaceFull.
        uint32_t add(std::initializer_list<std::string_view> pieces);
        const char* spanText(uint32_t at) const {
            const std::size_t offset = at - base;
            return spans[offset >> SpanBits] + (offset & (SpanSize - 1));
        }
    };
    std::shared_ptr<TextStore> texts = std::make_shared<TextStore>();

    std::vector<Entry> prelude; // lines before the first section
    std::vector<Section> sections;
    NameIndex sectionIndex; // of the sections' names
    // The two sections found last, most recent first: reads and writes come in runs, and a save
    // goes back and forth between the parameter list and each parameter's section.
    std::size_t recent[2] = {SIZE_MAX, SIZE_MAX};
    std::string newline = "\r\n";
    // Files as other editors save them: a byte-order mark before the first line and an end-of-file
    // mark (^Z) after the last are kept where they stand and are part of no line.
    std::string byteOrderMark;
    std::string endMark;
    bool utf8 = false;    // texts are UTF-8 in the file and Windows-1252 to callers
    bool writable = true; // false for text this store cannot write back (UTF-16)
    Identity identity;
    int updateDepth = 0;
    bool dirty = false;      // changed in memory, not yet on disk
    int readDepth = 0;       // open read sessions
    uint64_t verifiedAt = 0; // the process's write count when the identity was last found unchanged
    bool held = false;       // writes stay in memory (Flush aside) until the caller takes the bytes

    std::string_view text(TextRef ref) const {
        if (ref.size == 0)
            return {};
        return {ref.at < texts->base ? bytes->data() + ref.at : texts->spanText(ref.at), ref.size};
    }
    std::size_t size(const Entry& entry) const {
        return entry.shortSize != Entry::LongSize ? entry.shortSize : texts->longSizes.at(entry.at);
    }
    std::string_view text(const Entry& entry) const { return text(TextRef{entry.at, uint32_t(size(entry))}); }
    // The trimmed key of a key line, in the file's form.
    std::string_view fileKey(const Entry& entry) const {
        const std::string_view t = text(entry);
        if (entry.keySize != Entry::LongKey && !t.empty() && !IsBlank(t.front()))
            return {t.data(), entry.keySize}; // nearly every key line
        return keyOfLine(entry, t);
    }
    static std::string_view keyOfLine(const Entry& entry, std::string_view text);
    std::string_view nameOf(const Section& s) const { return text(s.name); }
    // A text that lives as long as the document and its copies.
    TextRef keep(std::string_view text) { return {texts->add({text}), uint32_t(text.size())}; }
    // The caller form of a name in the file: the file's bytes themselves unless the file is UTF-8.
    TextRef callerName(std::string_view fileText);
    // The caller form of a line's key; for a UTF-8 file, valid until the next call.
    std::string_view keyName(const Entry& entry) const;
    mutable std::string keyScratch;
    LineEnd newlineEnd() const;

    Section* find(std::string_view name);
    // The first section of this name (caller form, trimmed) by the index alone, or npos.
    std::size_t indexedSection(std::string_view name) const;
    // Adds a section's name to the index: false when an earlier section has the name.
    bool indexSection(std::size_t at);
    // Adds a line's key to `index`: false when an earlier line has the key.
    bool insertKey(NameIndex& index, const Section& s, std::size_t at) const;
    // Adds a line's key to its section's index, if the index is built.
    void indexKey(Section& s, std::size_t at);
    // The first entry of the section with this key (caller form, trimmed), or npos.
    std::size_t findKey(const Section& s, std::string_view key) const;
    void reindexSections();
    // A line whose text starts at `at` (in the file or kept).
    Entry line(uint32_t at, std::size_t size, LineEnd eol, std::size_t keySize);
    Entry makeEntry(std::string_view text, LineEnd eol, std::size_t keySize);
    // A key line "key=value", in the file's form.
    Entry makeKeyLine(std::string_view fileKey, std::string_view fileValue, LineEnd eol);
};

// Names and values as callers see them, and back: only files with a UTF-8 mark differ.
std::string FromFileText(const Document& doc, std::string_view text);
std::string ToFileText(const Document& doc, std::string_view text);
// As ToFileText, but the text itself where it needs no change, else made in `room`.
std::string_view ToFileText(const Document& doc, std::string_view text, std::string& room);

// The value of a key line, as a read returns it.
std::string ValueOf(const Document& doc, const Entry& entry);
std::shared_ptr<Document> Parse(std::string content);

} // namespace zarn::profile
