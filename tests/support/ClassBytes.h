#pragma once
// Class files made by the tests, the fuzz seeds and the benchmark: a constant pool, methods with
// hand-written bytecode, nothing else.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zarn::test {

class TClassBuilder {
public:
    TClassBuilder(const std::string& name, const std::string& superName) {
        thisIndex_ = Class(name);
        superIndex_ = superName.empty() ? 0 : Class(superName);
    }

    uint16_t Utf8(const std::string& text) {
        pool_.push_back(1);
        u2(pool_, uint16_t(text.size()));
        pool_.insert(pool_.end(), text.begin(), text.end());
        return next_++;
    }
    uint16_t Class(const std::string& name) { return ref(7, Utf8(name)); }
    uint16_t String(const std::string& text) { return ref(8, Utf8(text)); }
    uint16_t Method(const std::string& owner, const std::string& name, const std::string& descriptor) {
        const uint16_t owned = Class(owner);
        const uint16_t nameIndex = Utf8(name), type = Utf8(descriptor);
        const uint16_t nameAndType = ref(12, nameIndex, type);
        return ref(10, owned, nameAndType);
    }
    // Bytecode pieces.
    static std::vector<uint8_t> Ldc(uint16_t index) {
        if (index < 256)
            return {0x12, uint8_t(index)};
        return {0x13, uint8_t(index >> 8), uint8_t(index)};
    }
    static std::vector<uint8_t> Invoke(uint16_t method, uint8_t opcode = 0xb6) {
        return {opcode, uint8_t(method >> 8), uint8_t(method)};
    }
    static std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> pieces) {
        std::vector<uint8_t> all;
        for (const auto& piece : pieces)
            all.insert(all.end(), piece.begin(), piece.end());
        return all;
    }

    void AddMethod(const std::string& name, const std::string& descriptor, const std::vector<uint8_t>& code,
                   uint16_t access = 0x0001) {
        const uint16_t nameIndex = Utf8(name), type = Utf8(descriptor), codeName = Utf8("Code");
        u2(methods_, access);
        u2(methods_, nameIndex);
        u2(methods_, type);
        u2(methods_, 1);
        u2(methods_, codeName);
        u4(methods_, uint32_t(12 + code.size()));
        u2(methods_, 16); // max stack
        u2(methods_, 16); // max locals
        u4(methods_, uint32_t(code.size()));
        methods_.insert(methods_.end(), code.begin(), code.end());
        u2(methods_, 0); // exception table
        u2(methods_, 0); // attributes
        ++methodCount_;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out{0xCA, 0xFE, 0xBA, 0xBE, 0, 0, 0, 52};
        u2(out, next_);
        out.insert(out.end(), pool_.begin(), pool_.end());
        u2(out, 0x0021);
        u2(out, thisIndex_);
        u2(out, superIndex_);
        u2(out, 0); // interfaces
        u2(out, 0); // fields
        u2(out, methodCount_);
        out.insert(out.end(), methods_.begin(), methods_.end());
        u2(out, 0); // attributes
        return out;
    }
    uint16_t PoolCount() const { return next_; }

private:
    static void u2(std::vector<uint8_t>& out, uint16_t value) {
        out.push_back(uint8_t(value >> 8));
        out.push_back(uint8_t(value));
    }
    static void u4(std::vector<uint8_t>& out, uint32_t value) {
        u2(out, uint16_t(value >> 16));
        u2(out, uint16_t(value));
    }
    uint16_t ref(uint8_t tag, uint16_t first) {
        pool_.push_back(tag);
        u2(pool_, first);
        return next_++;
    }
    uint16_t ref(uint8_t tag, uint16_t first, uint16_t second) {
        pool_.push_back(tag);
        u2(pool_, first);
        u2(pool_, second);
        return next_++;
    }

    std::vector<uint8_t> pool_, methods_;
    uint16_t next_ = 1, thisIndex_ = 0, superIndex_ = 0, methodCount_ = 0;
};

// An applet class whose init asks getParameter for each name, in order.
inline std::vector<uint8_t> AppletAsking(const std::string& name, const std::string& superName,
                                         std::initializer_list<std::string> names) {
    TClassBuilder builder(name, superName);
    const uint16_t getParameter =
        builder.Method("java/applet/Applet", "getParameter", "(Ljava/lang/String;)Ljava/lang/String;");
    std::vector<uint8_t> code;
    for (const std::string& parameter : names) {
        const auto piece = TClassBuilder::Join({{0x2a},
                                                TClassBuilder::Ldc(builder.String(parameter)),
                                                TClassBuilder::Invoke(getParameter),
                                                {0x57}});
        code.insert(code.end(), piece.begin(), piece.end());
    }
    code.push_back(0xb1);
    builder.AddMethod("init", "()V", code);
    return builder.Bytes();
}

} // namespace zarn::test
