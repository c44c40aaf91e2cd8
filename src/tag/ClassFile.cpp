#include "tag/ClassFile.h"

namespace zarn {

namespace {

enum : uint8_t {
    CUtf8 = 1,
    CInteger = 3,
    CFloat = 4,
    CLong = 5,
    CDouble = 6,
    CClass = 7,
    CString = 8,
    CFieldref = 9,
    CMethodref = 10,
    CInterfaceMethodref = 11,
    CNameAndType = 12,
    CMethodHandle = 15,
    CMethodType = 16,
    CDynamic = 17,
    CInvokeDynamic = 18,
    CModule = 19,
    CPackage = 20,
};

class TReader {
public:
    explicit TReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    void Need(std::size_t count, const char* what) const {
        if (count > bytes_.size() - pos_)
            throw EClassFormat(std::string("the class file ends inside ") + what);
    }
    uint8_t U1(const char* what) {
        Need(1, what);
        return bytes_[pos_++];
    }
    uint16_t U2(const char* what) {
        Need(2, what);
        const uint16_t value = uint16_t(bytes_[pos_] << 8 | bytes_[pos_ + 1]);
        pos_ += 2;
        return value;
    }
    uint32_t U4(const char* what) {
        Need(4, what);
        const uint32_t value = uint32_t(bytes_[pos_]) << 24 | uint32_t(bytes_[pos_ + 1]) << 16 |
                               uint32_t(bytes_[pos_ + 2]) << 8 | uint32_t(bytes_[pos_ + 3]);
        pos_ += 4;
        return value;
    }
    std::span<const uint8_t> Bytes(std::size_t count, const char* what) {
        Need(count, what);
        const auto part = bytes_.subspan(pos_, count);
        pos_ += count;
        return part;
    }
    void Skip(std::size_t count, const char* what) { Bytes(count, what); }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
};

const std::string NoText;

// Instruction lengths by opcode; 0 marks the variable ones (tableswitch, lookupswitch, wide) and
// opcodes no class file may hold.
constexpr uint8_t InstructionLengths[256] = {
    // 0x00
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x10: bipush, sipush, ldc, ldc_w, ldc2_w, iload..aload (with index)
    2, 3, 2, 3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1,
    // 0x20
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x30: ..., istore..astore (with index) at 0x36..0x3a
    1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1,
    // 0x40
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x50
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x60
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x70
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x80: iinc at 0x84
    1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    // 0x90: if* from 0x99
    1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3,
    // 0xa0: if*, goto, jsr, ret, tableswitch, lookupswitch, returns
    3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 0, 0, 1, 1, 1, 1,
    // 0xb0: areturn, return, field and method instructions, new, newarray, anewarray, ...
    1, 1, 3, 3, 3, 3, 3, 3, 3, 5, 5, 3, 2, 3, 1, 1,
    // 0xc0: checkcast, instanceof, monitors, wide, multianewarray, ifnull, ifnonnull, goto_w, jsr_w
    3, 3, 1, 1, 0, 4, 3, 3, 5, 5, 0, 0, 0, 0, 0, 0,
    // 0xd0 .. 0xff: not in class files
};

// Advances over a field or method descriptor's one type; false when malformed.
bool skipType(const std::string& text, std::size_t& pos) {
    // Arrays of more than 255 dimensions are not valid; this also bounds the loop.
    int dimensions = 0;
    while (pos < text.size() && text[pos] == '[') {
        ++pos;
        if (++dimensions > 255)
            return false;
    }
    if (pos >= text.size())
        return false;
    const char c = text[pos++];
    if (c == 'L') {
        const std::size_t end = text.find(';', pos);
        if (end == std::string::npos || end == pos)
            return false;
        pos = end + 1;
        return true;
    }
    return std::string_view("BCDFIJSZ").find(c) != std::string_view::npos;
}

} // namespace

const std::string& TClassFile::Utf8(uint16_t index) const {
    if (index == 0 || index >= pool.size() || pool[index].tag != CUtf8)
        return NoText;
    return pool[index].text;
}

const std::string& TClassFile::ClassName(uint16_t index) const {
    if (index == 0 || index >= pool.size() || pool[index].tag != CClass)
        return NoText;
    return Utf8(pool[index].first);
}

const std::string* TClassFile::StringAt(uint16_t index) const {
    if (index == 0 || index >= pool.size() || pool[index].tag != CString)
        return nullptr;
    return &Utf8(pool[index].first);
}

bool TClassFile::Member(uint16_t index, MemberRef& ref) const {
    if (index == 0 || index >= pool.size())
        return false;
    const Constant& entry = pool[index];
    if (entry.tag != CFieldref && entry.tag != CMethodref && entry.tag != CInterfaceMethodref)
        return false;
    if (entry.second == 0 || entry.second >= pool.size() || pool[entry.second].tag != CNameAndType)
        return false;
    ref.owner = &ClassName(entry.first);
    ref.name = &Utf8(pool[entry.second].first);
    ref.descriptor = &Utf8(pool[entry.second].second);
    return !ref.name->empty();
}

TClassFile ReadClassFile(std::span<const uint8_t> bytes) {
    if (bytes.size() > MaxClassFileSize)
        throw EClassFormat("the class file is larger than " + std::to_string(MaxClassFileSize >> 20) + " MB");
    TReader in(bytes);
    if (bytes.size() < 4 || in.U4("its header") != 0xCAFEBABE)
        throw EClassFormat("not a class file (no class file signature)");
    in.Skip(4, "its version");
    const uint16_t poolCount = in.U2("its constant pool count");
    if (poolCount == 0)
        throw EClassFormat("the constant pool count is 0");

    TClassFile file;
    file.pool.resize(poolCount);
    for (uint32_t i = 1; i < poolCount; ++i) {
        TClassFile::Constant& entry = file.pool[i];
        entry.tag = in.U1("the constant pool");
        switch (entry.tag) {
        case CUtf8: {
            const auto text = in.Bytes(in.U2("the constant pool"), "a text constant");
            entry.text.assign(text.begin(), text.end());
            break;
        }
        case CInteger:
        case CFloat:
            in.Skip(4, "the constant pool");
            break;
        case CLong:
        case CDouble:
            in.Skip(8, "the constant pool");
            // Takes two entries; the second is unusable.
            ++i;
            break;
        case CClass:
        case CString:
        case CMethodType:
        case CModule:
        case CPackage:
            entry.first = in.U2("the constant pool");
            break;
        case CFieldref:
        case CMethodref:
        case CInterfaceMethodref:
        case CNameAndType:
        case CDynamic:
        case CInvokeDynamic:
            entry.first = in.U2("the constant pool");
            entry.second = in.U2("the constant pool");
            break;
        case CMethodHandle:
            in.Skip(3, "the constant pool");
            break;
        default:
            throw EClassFormat("constant pool entry " + std::to_string(i) + " has the unknown kind " +
                               std::to_string(entry.tag));
        }
    }

    file.access = in.U2("its access flags");
    file.name = file.ClassName(in.U2("its class name"));
    if (file.name.empty())
        throw EClassFormat("the class name is not a class constant");
    const uint16_t superIndex = in.U2("its superclass");
    file.superName = file.ClassName(superIndex);
    if (superIndex != 0 && file.superName.empty())
        throw EClassFormat("the superclass is not a class constant");
    in.Skip(std::size_t(in.U2("its interfaces")) * 2, "its interfaces");

    const auto skipAttributes = [&in](const char* what) {
        const uint16_t count = in.U2(what);
        for (uint16_t a = 0; a < count; ++a) {
            in.Skip(2, what);
            in.Skip(in.U4(what), what);
        }
    };
    const uint16_t fieldCount = in.U2("its fields");
    for (uint16_t f = 0; f < fieldCount; ++f) {
        in.Skip(6, "its fields");
        skipAttributes("its fields");
    }

    const uint16_t methodCount = in.U2("its methods");
    file.methods.reserve(methodCount);
    for (uint16_t m = 0; m < methodCount; ++m) {
        TClassMethod method;
        method.access = in.U2("its methods");
        method.name = file.Utf8(in.U2("its methods"));
        method.descriptor = file.Utf8(in.U2("its methods"));
        const uint16_t attributeCount = in.U2("its methods");
        for (uint16_t a = 0; a < attributeCount; ++a) {
            const std::string& attributeName = file.Utf8(in.U2("a method attribute"));
            const uint32_t length = in.U4("a method attribute");
            const auto body = in.Bytes(length, "a method attribute");
            if (attributeName != "Code" || !method.code.empty())
                continue;
            TReader code(body);
            code.Skip(4, "a method's code");
            const auto instructions = code.Bytes(code.U4("a method's code"), "a method's code");
            method.code.assign(instructions.begin(), instructions.end());
        }
        file.methods.push_back(std::move(method));
    }
    skipAttributes("its attributes");
    return file;
}

std::size_t InstructionLength(std::span<const uint8_t> code, std::size_t offset) {
    if (offset >= code.size())
        return 0;
    const uint8_t opcode = code[offset];
    std::size_t length = InstructionLengths[opcode];
    const auto u4 = [&code](std::size_t at) -> int64_t {
        if (at + 4 > code.size())
            return -1;
        return int32_t(uint32_t(code[at]) << 24 | uint32_t(code[at + 1]) << 16 | uint32_t(code[at + 2]) << 8 |
                       uint32_t(code[at + 3]));
    };
    if (opcode == 0xc4) { // wide: iinc takes two wide operands, the loads and stores one
        if (offset + 1 >= code.size())
            return 0;
        length = code[offset + 1] == 0x84 ? 6 : 4;
    } else if (opcode == 0xaa || opcode == 0xab) {
        // The operands start at the next multiple of four from the code's start.
        const std::size_t operands = (offset + 4) & ~std::size_t(3);
        if (opcode == 0xaa) {
            if (operands + 12 > code.size())
                return 0;
            const int64_t low = u4(operands + 4), high = u4(operands + 8);
            if (high < low)
                return 0;
            length = operands + 12 + std::size_t(high - low + 1) * 4 - offset;
        } else {
            if (operands + 8 > code.size())
                return 0;
            const int64_t pairs = u4(operands + 4);
            if (pairs < 0)
                return 0;
            length = operands + 8 + std::size_t(pairs) * 8 - offset;
        }
    }
    if (length == 0 || length > code.size() - offset)
        return 0;
    return length;
}

int ArgumentCount(const std::string& descriptor) {
    if (descriptor.empty() || descriptor[0] != '(')
        return -1;
    std::size_t pos = 1;
    int count = 0;
    while (pos < descriptor.size() && descriptor[pos] != ')') {
        if (!skipType(descriptor, pos))
            return -1;
        ++count;
    }
    return pos < descriptor.size() ? count : -1;
}

bool StringArgument(const std::string& descriptor, int index, bool isStatic, int& slot) {
    if (descriptor.empty() || descriptor[0] != '(')
        return false;
    std::size_t pos = 1;
    int local = isStatic ? 0 : 1;
    for (int argument = 0; pos < descriptor.size() && descriptor[pos] != ')'; ++argument) {
        const std::size_t start = pos;
        if (!skipType(descriptor, pos))
            return false;
        const std::string_view type(descriptor.data() + start, pos - start);
        if (argument == index) {
            slot = local;
            return type == "Ljava/lang/String;";
        }
        local += type == "J" || type == "D" ? 2 : 1;
    }
    return false;
}

} // namespace zarn
