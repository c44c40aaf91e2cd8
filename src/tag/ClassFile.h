#pragma once
// A Java class file read as data: its constant pool, its name and superclass, and its methods with
// their code. Nothing is ever loaded or run; every count and offset is checked against the bytes.

#include "profile/Errors.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zarn {

// A class file that is not one, or is cut short; the message says where.
class EClassFormat : public EZarnError {
public:
    using EZarnError::EZarnError;
};

// Larger class files are refused before any parsing (no compiler writes one near it).
inline constexpr std::size_t MaxClassFileSize = 16u << 20;

struct TClassMethod {
    std::string name;
    std::string descriptor; // "(Ljava/lang/String;Z)Ljava/lang/String;"
    uint16_t access = 0;
    std::vector<uint8_t> code; // the Code attribute's bytecode; empty for abstract and native ones
    bool IsStatic() const { return (access & 0x0008) != 0; }
};

class TClassFile {
public:
    struct Constant {
        uint8_t tag = 0;
        uint16_t first = 0;  // Class, String: the name's entry; refs, NameAndType: class / name
        uint16_t second = 0; // refs: NameAndType; NameAndType: descriptor
        std::string text;    // Utf8 only
    };
    // Points into the pool: valid while the class file lives (moves included).
    struct MemberRef {
        const std::string* owner = nullptr; // "java/applet/Applet"
        const std::string* name = nullptr;
        const std::string* descriptor = nullptr;
    };

    std::string name;      // with slashes: "org/example/Viewer"
    std::string superName; // empty for java/lang/Object
    uint16_t access = 0;
    std::vector<TClassMethod> methods;

    // Empty (or false) for an index that is out of range or of another kind.
    const std::string& Utf8(uint16_t index) const;
    const std::string& ClassName(uint16_t index) const;
    // The text of a String constant, in the pool; null for any other index.
    const std::string* StringAt(uint16_t index) const;
    bool Member(uint16_t index, MemberRef& ref) const;

    std::vector<Constant> pool; // index 0 and the second slots of long and double are unused
};

// Raises EClassFormat for anything that is not a well-formed class file.
TClassFile ReadClassFile(std::span<const uint8_t> bytes);

// The length of the instruction at `offset` of `code`, or 0 when it is unknown or runs past the end.
std::size_t InstructionLength(std::span<const uint8_t> code, std::size_t offset);

// Counts a method descriptor's arguments (a long or double is one); -1 when it is malformed.
int ArgumentCount(const std::string& descriptor);
// True when the descriptor's argument `index` is a java.lang.String; sets `slot` to its local slot.
bool StringArgument(const std::string& descriptor, int index, bool isStatic, int& slot);

} // namespace zarn
