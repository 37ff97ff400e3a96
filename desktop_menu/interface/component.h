// The small component-object layer that LumivaneMenu and the programs that
// load it share: 16-byte class and interface identifiers, result codes,
// the counted-reference base every object is reached through, the class
// factory, and a holder that releases what it holds. Objects never cross
// the library's boundary any other way, so one side may be built without
// the other's internals.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane::menu {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = HRESULT(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HRESULT(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = HRESULT(0x80040201u);

inline constexpr bool Succeeded(HRESULT result) {
    return result >= 0;
}

// A class or interface identifier, laid out as it is written:
// {data1-data2-data3-data4[0..1]-data4[2..7]}.
struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];

    friend constexpr bool operator==(const Guid& a, const Guid& b) {
        if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
        for (int i = 0; i < 8; ++i)
            if (a.data4[i] != b.data4[i]) return false;
        return true;
    }
};

// "{B0B2B6D0-C48E-11D5-89EB-0020E06CCE77}", upper-case hexadecimal.
inline std::string FormatGuid(const Guid& id) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  unsigned(id.data1), unsigned(id.data2), unsigned(id.data3), unsigned(id.data4[0]),
                  unsigned(id.data4[1]), unsigned(id.data4[2]), unsigned(id.data4[3]),
                  unsigned(id.data4[4]), unsigned(id.data4[5]), unsigned(id.data4[6]),
                  unsigned(id.data4[7]));
    return text;
}

// Reads the form FormatGuid writes (either letter case); nothing when the
// text is anything else.
inline std::optional<Guid> ParseGuid(std::string_view text) {
    constexpr std::string_view kShape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != kShape.size()) return std::nullopt;
    uint8_t bytes[16] = {};
    int nibble = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (kShape[i] != 'X') {
            if (c != kShape[i]) return std::nullopt;
            continue;
        }
        int value;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        bytes[nibble / 2] = uint8_t(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    Guid id{};
    id.data1 =
        uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    id.data2 = uint16_t(bytes[4] << 8 | bytes[5]);
    id.data3 = uint16_t(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i)
        id.data4[i] = bytes[8 + i];
    return id;
}

// Interface identifiers of this layer's own interfaces.
inline constexpr Guid kIidUnknown{
    0x76E3606E, 0x6DF0, 0x4682, {0xAC, 0xA7, 0x78, 0xB1, 0xFA, 0xE2, 0xDD, 0x50}};
inline constexpr Guid kIidClassFactory{
    0xD221300A, 0xD17B, 0x47BC, {0xA3, 0xEA, 0x20, 0xF5, 0x7D, 0x13, 0x1D, 0xEA}};

// The base of every object: asking for another of its interfaces, and
// counting references. An object ends when its last reference is released,
// never through delete by its user.
class Unknown {
public:
    // On success *object holds a new reference; otherwise it is null.
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~Unknown() = default;
};

// Makes the objects of one class.
class ClassFactory : public Unknown {
public:
    // `outer` must be null: the classes here are never part of another
    // object (CLASS_E_NOAGGREGATION otherwise).
    virtual HRESULT CreateInstance(Unknown* outer, const Guid& iid, void** object) = 0;
    // Keeps the module loaded (true) or lets it go again (false).
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~ClassFactory() = default;
};

// Holds one reference and releases it when it goes.
template <typename Interface> class Ref {
public:
    Ref() = default;
    ~Ref() { Reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // For functions that hand a new reference out through a void**.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&object_);
    }
    void Reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }

private:
    Interface* object_ = nullptr;
};

} // namespace lumivane::menu
