#pragma once

// Keyed archives: an object graph as a binary property list, the way the system stores objects in
// user defaults. The file is a dictionary of four entries:
//
//   "$archiver"  "NSKeyedArchiver"
//   "$version"   100000
//   "$top"       { "root": UID of the root object }
//   "$objects"   the object table: "$null" first (UID 0 stands for no object), then every object
//
// Strings, data and numbers stand in the table as themselves. Any other object is a dictionary of
// its keyed values plus "$class", the UID of a class entry { "$classname": name, "$classes": the
// class and its superclasses, here the class and NSObject }. Within an object, booleans and numbers
// encoded under a key are stored inline; objects are UIDs into the table. Arrays are objects of
// class NSArray holding the UIDs of their elements under "NS.objects". Keys that start with "$" are
// stored with one more "$", so that they never collide with the layout's own.
//
// A class takes part by naming itself and coding its own keys:
//
//   struct Swatch {
//       static constexpr std::string_view className = "Swatch";
//       static constexpr bool supportsSecureCoding = true;
//       void encodeWithCoder(KeyedArchiver& coder) const;
//       static Swatch initWithCoder(KeyedUnarchiver& coder);  // may call coder.failWithError
//   };
//
// Decoding is always by class: the caller names the class it expects of every object, and an
// object of another class is an error rather than a surprise. An object is a value here, not an
// identity: an object that the table references twice decodes into two equal values.

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/error.h"
#include "platform/plist_object.h"

namespace zoral::platform {

class KeyedArchiver;
class KeyedUnarchiver;

// What archiving or unarchiving refuses, as an error of the system's own domain and codes.
class KeyedArchiveError : public Error {
public:
    static constexpr std::string_view errorDomain = "NSCocoaErrorDomain";
    // The archive is malformed or holds an object of a class that was not asked for.
    static constexpr std::int64_t readCorruptError = 4864;
    // An object cannot be archived (a class without secure coding when it is required, a string
    // that is not UTF-8, nesting too deep).
    static constexpr std::int64_t invalidValueError = 4866;

    KeyedArchiveError(std::int64_t code, std::string description);
};

namespace keyed_archive {

inline constexpr std::string_view archiverName = "NSKeyedArchiver";
inline constexpr std::int64_t version = 100000;
inline constexpr std::string_view nullObject = "$null";
inline constexpr std::string_view rootKey = "root";
inline constexpr std::string_view arrayObjectsKey = "NS.objects";

// Objects nested deeper than this are refused both ways, as for property-list containers.
inline constexpr std::size_t maxDepth = 512;

}  // namespace keyed_archive

// A class that archives itself by keys.
template <class T>
concept KeyedCoding = requires(const T& value, KeyedArchiver& archiver,
                               KeyedUnarchiver& unarchiver) {
    { T::className } -> std::convertible_to<std::string_view>;
    { T::supportsSecureCoding } -> std::convertible_to<bool>;
    value.encodeWithCoder(archiver);
    { T::initWithCoder(unarchiver) } -> std::same_as<T>;
};

namespace detail {
template <class T>
struct IsKeyedArchivable : std::bool_constant<KeyedCoding<T>> {};
template <>
struct IsKeyedArchivable<std::string> : std::true_type {};
template <>
struct IsKeyedArchivable<PlistData> : std::true_type {};
template <>
struct IsKeyedArchivable<bool> : std::true_type {};
template <>
struct IsKeyedArchivable<std::int64_t> : std::true_type {};
template <>
struct IsKeyedArchivable<double> : std::true_type {};
template <class T>
struct IsKeyedArchivable<std::vector<T>> : IsKeyedArchivable<T> {};

template <class T>
struct IsArchivedArray : std::false_type {};
template <class T>
struct IsArchivedArray<std::vector<T>> : std::true_type {};
}  // namespace detail

// What can be an object of the table: a string, data, a number (a boolean, a 64-bit integer or a
// double), an array of such objects, or a class that codes itself.
template <class T>
concept KeyedArchivable = detail::IsKeyedArchivable<T>::value;

// The class that an archive records for objects of the type.
template <KeyedArchivable T>
constexpr std::string_view archivedClassName() {
    if constexpr (std::same_as<T, std::string>) {
        return "NSString";
    } else if constexpr (std::same_as<T, PlistData>) {
        return "NSData";
    } else if constexpr (std::same_as<T, bool> || std::same_as<T, std::int64_t> ||
                         std::same_as<T, double>) {
        return "NSNumber";
    } else if constexpr (KeyedCoding<T>) {
        return T::className;
    } else {
        return "NSArray";
    }
}

// Whether archiving that requires secure coding accepts the type, and its elements for an array.
template <KeyedArchivable T>
constexpr bool supportsSecureCoding() {
    if constexpr (KeyedCoding<T>) {
        return T::supportsSecureCoding;
    } else if constexpr (detail::IsArchivedArray<T>::value) {
        return supportsSecureCoding<typename T::value_type>();
    } else {
        return true;
    }
}

// Writes one archive. A class's encodeWithCoder receives it to encode its own keys.
class KeyedArchiver {
public:
    // The archive of the object graph under root. Throws KeyedArchiveError (invalidValueError)
    // when secure coding is required and a class of the graph does not support it, or when a
    // string is not UTF-8 or objects nest deeper than keyed_archive::maxDepth.
    template <KeyedArchivable T>
    static std::vector<std::uint8_t> archivedDataWithRootObject(const T& root,
                                                                bool requiringSecureCoding) {
        KeyedArchiver archiver(requiringSecureCoding);
        const std::uint64_t rootIndex = archiver.add(root);
        return archiver.encodedData(rootIndex);
    }

    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    bool requiresSecureCoding() const { return requiresSecureCoding_; }

    // Values of the object being encoded. A key encoded twice keeps its last value.
    void encodeBool(bool value, std::string_view key);
    void encodeInt64(std::int64_t value, std::string_view key);
    void encodeDouble(double value, std::string_view key);
    template <KeyedArchivable T>
    void encodeObject(const T& value, std::string_view key) {
        setValue(key, PlistObject::uid(add(value)));
    }
    // No value is encoded as the null object, which decodes as no value.
    template <KeyedArchivable T>
    void encodeObject(const std::optional<T>& value, std::string_view key) {
        setValue(key, PlistObject::uid(value ? add(*value) : 0));
    }

private:
    // The object under construction and how deep it sits; restored when it is done.
    class Nesting {
    public:
        Nesting(KeyedArchiver& archiver, PlistDictionary* object);
        ~Nesting();
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        KeyedArchiver& archiver_;
        PlistDictionary* outer_;
    };

    explicit KeyedArchiver(bool requiresSecureCoding);

    template <KeyedArchivable T>
    std::uint64_t add(const T& value) {
        if constexpr (std::same_as<T, std::string>) {
            return addString(value);
        } else if constexpr (std::same_as<T, PlistData>) {
            return append(PlistObject::data(value));
        } else if constexpr (std::same_as<T, bool>) {
            return append(PlistObject::boolean(value));
        } else if constexpr (std::same_as<T, std::int64_t>) {
            return append(PlistObject::integer(value));
        } else if constexpr (std::same_as<T, double>) {
            return append(PlistObject::real(value));
        } else if constexpr (KeyedCoding<T>) {
            if (requiresSecureCoding_ && !T::supportsSecureCoding)
                refuseInsecureClass(T::className);
            // Reserved first, so that an object comes before the objects it holds.
            const std::uint64_t index = append(PlistObject());
            PlistDictionary object = instance(T::className);
            {
                const Nesting nesting(*this, &object);
                value.encodeWithCoder(*this);
            }
            store(index, std::move(object));
            return index;
        } else {
            const std::uint64_t index = append(PlistObject());
            PlistArray elements;
            elements.reserve(value.size());
            {
                const Nesting nesting(*this, nullptr);
                for (const auto& element : value)
                    elements.push_back(PlistObject::uid(add(element)));
            }
            PlistDictionary object = instance(archivedClassName<T>());
            object.emplace(keyed_archive::arrayObjectsKey, PlistObject::array(std::move(elements)));
            store(index, std::move(object));
            return index;
        }
    }

    std::uint64_t addString(const std::string& value);
    std::uint64_t append(PlistObject object);
    void store(std::uint64_t index, PlistDictionary object);
    // An object of the class, holding only its class reference so far.
    PlistDictionary instance(std::string_view className);
    void setValue(std::string_view key, PlistObject value);
    [[noreturn]] static void refuseInsecureClass(std::string_view className);
    std::vector<std::uint8_t> encodedData(std::uint64_t rootIndex) const;

    const bool requiresSecureCoding_;
    PlistArray objects_;
    std::map<std::string, std::uint64_t, std::less<>> strings_;
    std::map<std::string, std::uint64_t, std::less<>> classes_;
    PlistDictionary* current_ = nullptr;
    std::size_t depth_ = 0;
};

// Reads one archive. A class's initWithCoder receives it to decode its own keys.
class KeyedUnarchiver {
public:
    // The root object, which must be of class T, with secure coding required: every class of the
    // graph must support it. No value when the archive's root is the null object. Throws
    // KeyedArchiveError (readCorruptError) for a malformed archive, an object of a class that was
    // not asked for, or what an initWithCoder refuses.
    template <KeyedArchivable T>
    static std::optional<T> unarchivedObjectOfClass(std::span<const std::uint8_t> data) {
        KeyedUnarchiver unarchiver(data, true);
        if (unarchiver.root_ == 0)
            return std::nullopt;
        return unarchiver.decodeReferenced<T>(unarchiver.root_, keyed_archive::rootKey);
    }

    // The root object without secure coding. A root of another class than T is no value, as a
    // root object that does not convert to T would be; a malformed archive still throws.
    template <KeyedArchivable T>
    static std::optional<T> unarchiveTopLevelObjectWithData(std::span<const std::uint8_t> data) {
        KeyedUnarchiver unarchiver(data, false);
        if (unarchiver.root_ == 0 ||
            !unarchiver.isOfClass(unarchiver.root_, archivedClassName<T>())) {
            return std::nullopt;
        }
        return unarchiver.decodeReferenced<T>(unarchiver.root_, keyed_archive::rootKey);
    }

    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    bool requiresSecureCoding() const { return requiresSecureCoding_; }

    // Values of the object being decoded: no value when the key is absent; a value of another
    // type throws.
    bool containsValueForKey(std::string_view key) const;
    std::optional<bool> decodeBoolForKey(std::string_view key) const;
    std::optional<std::int64_t> decodeInt64ForKey(std::string_view key) const;
    // An integer gives its nearest double.
    std::optional<double> decodeDoubleForKey(std::string_view key) const;
    // No value also for the null object; an object of another class throws.
    template <KeyedArchivable T>
    std::optional<T> decodeObjectOfClass(std::string_view key) {
        const std::uint64_t index = referenceForKey(key);
        if (index == 0)
            return std::nullopt;
        return decodeReferenced<T>(index, key);
    }
    template <KeyedArchivable T>
    std::optional<std::vector<T>> decodeArrayOfObjectsOfClass(std::string_view key) {
        return decodeObjectOfClass<std::vector<T>>(key);
    }

    // For initWithCoder: refuses the archive with this description.
    [[noreturn]] void failWithError(const std::string& description) const;

private:
    // One object of the table while it is decoded: checks the reference, the depth and the cost,
    // and marks the object so that a reference back to it is caught as a cycle.
    class Visit {
    public:
        Visit(KeyedUnarchiver& unarchiver, std::uint64_t index, std::string_view key);
        ~Visit();
        Visit(const Visit&) = delete;
        Visit& operator=(const Visit&) = delete;

        const PlistObject& object() const { return object_; }

    private:
        KeyedUnarchiver& unarchiver_;
        std::uint64_t index_;
        const PlistObject& object_;
        const PlistDictionary* outer_;
    };

    KeyedUnarchiver(std::span<const std::uint8_t> data, bool requiresSecureCoding);

    template <KeyedArchivable T>
    T decodeReferenced(std::uint64_t index, std::string_view key) {
        const Visit visit(*this, index, key);
        const PlistObject& object = visit.object();
        if constexpr (std::same_as<T, std::string>) {
            return std::string(stringObject(object, key));
        } else if constexpr (std::same_as<T, PlistData>) {
            return dataObject(object, key);
        } else if constexpr (std::same_as<T, bool>) {
            return numberAsBool(object, key);
        } else if constexpr (std::same_as<T, std::int64_t>) {
            return numberAsInt64(object, key);
        } else if constexpr (std::same_as<T, double>) {
            return numberAsDouble(object, key);
        } else if constexpr (KeyedCoding<T>) {
            const PlistDictionary& instance = instanceOf(object, T::className, key);
            if (requiresSecureCoding_ && !T::supportsSecureCoding)
                refuseInsecureClass(T::className);
            current_ = &instance;
            return T::initWithCoder(*this);
        } else {
            const PlistArray& elements = arrayElements(object, key);
            T values;
            values.reserve(elements.size());
            for (const PlistObject& element : elements)
                values.push_back(
                    decodeReferenced<typename T::value_type>(elementReference(element, key), key));
            return values;
        }
    }

    bool isOfClass(std::uint64_t index, std::string_view className) const;
    const PlistObject& objectAt(std::uint64_t index, std::string_view key) const;
    const PlistObject* valueForKey(std::string_view key) const;
    // The UID under the key, checked against the table; 0 when the key is absent.
    std::uint64_t referenceForKey(std::string_view key) const;
    std::uint64_t elementReference(const PlistObject& element, std::string_view key) const;
    std::string_view stringObject(const PlistObject& object, std::string_view key);
    PlistData dataObject(const PlistObject& object, std::string_view key);
    bool numberAsBool(const PlistObject& object, std::string_view key) const;
    std::int64_t numberAsInt64(const PlistObject& object, std::string_view key) const;
    double numberAsDouble(const PlistObject& object, std::string_view key) const;
    // The object's own dictionary, when it is an instance of exactly that class.
    const PlistDictionary& instanceOf(const PlistObject& object, std::string_view className,
                                      std::string_view key) const;
    const PlistArray& arrayElements(const PlistObject& object, std::string_view key);
    // The class an object of the table belongs to.
    std::string_view classOf(const PlistObject& object, std::string_view key) const;
    void charge(std::uint64_t cost);
    [[noreturn]] void refuseInsecureClass(std::string_view className) const;
    [[noreturn]] static void fail(const std::string& what);

    const bool requiresSecureCoding_;
    PlistObject archive_;
    const PlistArray* objects_ = nullptr;
    std::uint64_t root_ = 0;
    std::vector<std::uint8_t> decoding_;  // objects on the path being decoded: 1
    const PlistDictionary* current_ = nullptr;
    std::size_t depth_ = 0;
    std::uint64_t budget_ = 0;
};

}  // namespace zoral::platform
