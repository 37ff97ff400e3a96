// JTUnknown, the base of every engine object that can be cloned, messaged,
// saved or created by class name, and the class macro every such class
// carries.
//
// A class T with direct base B declares itself with
//     class T : public B {
//         JT_CLASS(T, B)
//     public:
//         ...
//     };
// defines its type number once in its .cpp with
//     JT_CLASS_IMPL(T)
// and gets its number from one line in core/object/class_registration.cpp
// (see there). The macro supplies GetType, IsDerived, ClassName, Clone,
// ClassType, Instantiate and nType.
#pragma once

#include <new>
#include <type_traits>

class JTFile;
class JTID;
class JTUnknown;

// What the class registry stores to make a default instance of a class.
typedef JTUnknown* (*JTInstantiateFn)();

// Ends every base-class chain of the class macro.
class JTNone {
public:
    static bool IsDerived(int) { return false; }
    static bool StaticIsDerived(int) { return false; }
};

// Helpers the class macro expands to. They are templates so that abstract
// classes and classes whose copying is deleted still compile: those make no
// instances, and clone without the member-wise copy, respectively.
template <class T> T* JTInstantiateOf() {
    if constexpr (std::is_abstract_v<T> || !std::is_default_constructible_v<T>)
        return nullptr;
    else
        return new (std::nothrow) T();
}

template <class T> JTUnknown* JTCloneOf(T* source) {
    T* clone = JTInstantiateOf<T>();
    if (!clone) return nullptr;
    clone->PreClone();
    if constexpr (std::is_copy_assignable_v<T>) *clone = *source;
    clone->InitClone(source);
    return clone;
}

#define JT_CLASS(T, B)                                                                             \
public:                                                                                            \
    using JTBaseClass = B;                                                                         \
    static int nType;                                                                              \
    static int ClassType() {                                                                       \
        return nType;                                                                              \
    }                                                                                              \
    static const char* StaticClassName() {                                                         \
        return #T;                                                                                 \
    }                                                                                              \
    static T* Instantiate() {                                                                      \
        return JTInstantiateOf<T>();                                                               \
    }                                                                                              \
    static bool StaticIsDerived(int type) {                                                        \
        return type == nType || B::StaticIsDerived(type);                                          \
    }                                                                                              \
    int GetType() const override {                                                                 \
        return nType;                                                                              \
    }                                                                                              \
    bool IsDerived(int type) const override {                                                      \
        return StaticIsDerived(type);                                                              \
    }                                                                                              \
    const char* ClassName() const override {                                                       \
        return #T;                                                                                 \
    }                                                                                              \
    JTUnknown* Clone() override {                                                                  \
        return JTCloneOf<T>(this);                                                                 \
    }                                                                                              \
                                                                                                   \
private:

// Defines the type number of T (0 until registration assigns it).
#define JT_CLASS_IMPL(T) int T::nType = 0;

class JTUnknown {
public:
    JTUnknown() = default;
    JTUnknown(const JTUnknown&) = default;
    JTUnknown& operator=(const JTUnknown&) = default;

    // The virtual operations, in their fixed order.
    virtual ~JTUnknown() = default;
    virtual int GetType() const { return nType; }
    virtual bool IsDerived(int type) const { return StaticIsDerived(type); }
    virtual const char* ClassName() const { return "JTUnknown"; }
    // A new object of the most derived class that has passed through
    // PreClone, the member-wise copy and InitClone(this), in that order.
    virtual JTUnknown* Clone();
    virtual void PreClone() {}
    virtual void InitClone(JTUnknown* source) { (void)source; }
    virtual unsigned Message(JTID* from, JTID* to, unsigned msg, void* data);
    // Saving: writes the object header (or only a back-reference when the
    // object is already in the stream, then returns false so the derived
    // class writes nothing more). Loading: reads the object version that
    // follows the header LoadType consumed.
    virtual bool SaveLoad(JTFile& f);

    static int nType;
    static int ClassType() { return nType; }
    static const char* StaticClassName() { return "JTUnknown"; }
    static JTUnknown* Instantiate() { return new (std::nothrow) JTUnknown(); }
    // IsDerived without an object: what the class registry asks before it
    // makes one.
    static bool StaticIsDerived(int type) { return type == nType || JTNone::StaticIsDerived(type); }

    // A new default object of the registered type, or null.
    static JTUnknown* Create(int type);
    // Type number of a class name (ignoring case), or -1.
    static int LookupTypeName(const char* name);
    // Reads one contained object: a back-reference to an object already
    // read from this stream, or a new object recreated by class name and
    // loaded. Returns null on any failure (the stream is then marked
    // failed and nothing half-read survives). When isNew is given it tells
    // whether a new object was made; an owner that takes ownership of the
    // result must refuse a back-reference, or a damaged file could make an
    // object own itself or one object have two owners. Unless expectedType
    // is kAnyClass, a stored class that does not derive from the class of
    // that type number is refused before anything is constructed: a file
    // cannot make the engine build (and start) an object of a class its
    // reader never takes.
    static constexpr int kAnyClass = -1;
    static JTUnknown* LoadType(JTFile& f, bool* isNew = nullptr, int expectedType = kAnyClass);
};
