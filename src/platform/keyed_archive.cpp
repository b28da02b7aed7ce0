#include "platform/keyed_archive.h"

#include <stdexcept>
#include <utility>

#include "platform/plist_serialization.h"

namespace zoral::platform {

namespace {

constexpr std::string_view archiverKey = "$archiver";
constexpr std::string_view versionKey = "$version";
constexpr std::string_view topKey = "$top";
constexpr std::string_view objectsKey = "$objects";
constexpr std::string_view classKey = "$class";
constexpr std::string_view classNameKey = "$classname";
constexpr std::string_view classesKey = "$classes";
constexpr std::string_view rootClassName = "NSObject";

// Objects that the table references more than once are decoded once per reference, so a small
// archive whose objects share children many times over could expand without bound. What one
// archive may decode into is capped at this many bytes per byte of archive, plus a fixed
// allowance; every object is charged its payload and this overhead.
constexpr std::uint64_t expansionFactor = 64;
constexpr std::uint64_t expansionAllowance = std::uint64_t{16} << 20;
constexpr std::uint64_t objectOverhead = 64;

// Keys of the layout start with "$"; a class's own key that does gets one more.
std::string storedKey(std::string_view key) {
    std::string stored;
    if (key.starts_with('$'))
        stored.push_back('$');
    stored.append(key);
    return stored;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool isArrayClass(std::string_view className) {
    return className == "NSArray" || className == "NSMutableArray";
}

}  // namespace

KeyedArchiveError::KeyedArchiveError(std::int64_t code, std::string description)
    : Error(std::string(errorDomain), code, std::move(description)) {}

// ---------------------------------------------------------------- archiver

KeyedArchiver::KeyedArchiver(bool requiresSecureCoding)
    : requiresSecureCoding_(requiresSecureCoding) {
    objects_.push_back(PlistObject::string(std::string(keyed_archive::nullObject)));
}

KeyedArchiver::Nesting::Nesting(KeyedArchiver& archiver, PlistDictionary* object)
    : archiver_(archiver), outer_(std::exchange(archiver.current_, object)) {
    if (++archiver_.depth_ > keyed_archive::maxDepth) {
        throw KeyedArchiveError(
            KeyedArchiveError::invalidValueError,
            "keyed archive: objects nested deeper than " + std::to_string(keyed_archive::maxDepth));
    }
}

KeyedArchiver::Nesting::~Nesting() {
    --archiver_.depth_;
    archiver_.current_ = outer_;
}

void KeyedArchiver::encodeBool(bool value, std::string_view key) {
    setValue(key, PlistObject::boolean(value));
}

void KeyedArchiver::encodeInt64(std::int64_t value, std::string_view key) {
    setValue(key, PlistObject::integer(value));
}

void KeyedArchiver::encodeDouble(double value, std::string_view key) {
    setValue(key, PlistObject::real(value));
}

std::uint64_t KeyedArchiver::addString(const std::string& value) {
    // Equal strings are one object, however often they are encoded.
    if (const auto found = strings_.find(value); found != strings_.end())
        return found->second;
    const std::uint64_t index = append(PlistObject::string(value));
    strings_.emplace(value, index);
    return index;
}

std::uint64_t KeyedArchiver::append(PlistObject object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
}

void KeyedArchiver::store(std::uint64_t index, PlistDictionary object) {
    objects_[index] = PlistObject::dictionary(std::move(object));
}

PlistDictionary KeyedArchiver::instance(std::string_view className) {
    auto found = classes_.find(className);
    if (found == classes_.end()) {
        PlistDictionary entry;
        entry.emplace(classNameKey, PlistObject::string(std::string(className)));
        entry.emplace(classesKey,
                      PlistObject::array({PlistObject::string(std::string(className)),
                                          PlistObject::string(std::string(rootClassName))}));
        found =
            classes_.emplace(className, append(PlistObject::dictionary(std::move(entry)))).first;
    }
    PlistDictionary object;
    object.emplace(classKey, PlistObject::uid(found->second));
    return object;
}

void KeyedArchiver::setValue(std::string_view key, PlistObject value) {
    if (current_ == nullptr)
        throw std::logic_error("keyed archive: a value encoded outside encodeWithCoder");
    current_->insert_or_assign(storedKey(key), std::move(value));
}

void KeyedArchiver::refuseInsecureClass(std::string_view className) {
    throw KeyedArchiveError(KeyedArchiveError::invalidValueError,
                            "keyed archive: class " + quoted(className) +
                                " does not support secure coding, which the archive requires");
}

std::vector<std::uint8_t> KeyedArchiver::encodedData(std::uint64_t rootIndex) const {
    PlistDictionary top;
    top.emplace(keyed_archive::rootKey, PlistObject::uid(rootIndex));
    PlistDictionary archive;
    archive.emplace(archiverKey, PlistObject::string(std::string(keyed_archive::archiverName)));
    archive.emplace(versionKey, PlistObject::integer(keyed_archive::version));
    archive.emplace(topKey, PlistObject::dictionary(std::move(top)));
    archive.emplace(objectsKey, PlistObject::array(objects_));
    try {
        return writePlist(PlistObject::dictionary(std::move(archive)), PlistFormat::binary);
    } catch (const PlistSerializationError& error) {
        throw KeyedArchiveError(KeyedArchiveError::invalidValueError,
                                std::string("keyed archive: ") + error.what());
    }
}

// ---------------------------------------------------------------- unarchiver

KeyedUnarchiver::KeyedUnarchiver(std::span<const std::uint8_t> data, bool requiresSecureCoding)
    : requiresSecureCoding_(requiresSecureCoding) {
    constexpr std::string_view binaryMagic = "bplist";
    if (data.size() < binaryMagic.size() ||
        std::string_view(reinterpret_cast<const char*>(data.data()), binaryMagic.size()) !=
            binaryMagic) {
        fail("not a binary property list");
    }
    try {
        archive_ = readPlist(data).object;
    } catch (const PlistSerializationError& error) {
        fail(error.what());
    }
    if (!archive_.is(PlistObject::Kind::dictionary))
        fail(std::string("the archive is a ") + kindName(archive_.kind()) + ", not a dictionary");

    const PlistObject* archiver = archive_.find(archiverKey);
    if (archiver == nullptr || archiver->stringValue() != keyed_archive::archiverName)
        fail("the archiver is not " + quoted(keyed_archive::archiverName));
    const PlistObject* version = archive_.find(versionKey);
    const auto versionNumber = version != nullptr ? version->integerValue() : std::nullopt;
    if (!versionNumber || versionNumber->int64Value() != keyed_archive::version)
        fail("the version is not " + std::to_string(keyed_archive::version));

    const PlistObject* objects = archive_.find(objectsKey);
    if (objects == nullptr || !objects->is(PlistObject::Kind::array))
        fail("no object table");
    objects_ = objects->getIf<PlistArray>();

    const PlistObject* top = archive_.find(topKey);
    if (top == nullptr || !top->is(PlistObject::Kind::dictionary))
        fail("no top dictionary");
    // No root entry is a null root, as for any absent object.
    if (const PlistObject* root = top->find(keyed_archive::rootKey)) {
        const auto* uid = root->getIf<PlistUid>();
        if (uid == nullptr) {
            fail("the root is a " + std::string(kindName(root->kind())) +
                 ", not a reference to an object");
        }
        root_ = uid->value;
    }

    decoding_.assign(objects_->size(), 0);
    budget_ = expansionFactor * static_cast<std::uint64_t>(data.size()) + expansionAllowance;
}

KeyedUnarchiver::Visit::Visit(KeyedUnarchiver& unarchiver, std::uint64_t index,
                              std::string_view key)
    : unarchiver_(unarchiver),
      index_(index),
      object_(unarchiver.objectAt(index, key)),
      outer_(unarchiver.current_) {
    if (unarchiver_.decoding_[index_] != 0) {
        fail("object " + std::to_string(index_) + " under key " + quoted(key) +
             " contains itself (reference cycle)");
    }
    if (unarchiver_.depth_ >= keyed_archive::maxDepth)
        fail("objects nested deeper than " + std::to_string(keyed_archive::maxDepth));
    unarchiver_.charge(objectOverhead);
    unarchiver_.decoding_[index_] = 1;
    ++unarchiver_.depth_;
}

KeyedUnarchiver::Visit::~Visit() {
    --unarchiver_.depth_;
    unarchiver_.decoding_[index_] = 0;
    unarchiver_.current_ = outer_;
}

bool KeyedUnarchiver::containsValueForKey(std::string_view key) const {
    return valueForKey(key) != nullptr;
}

std::optional<bool> KeyedUnarchiver::decodeBoolForKey(std::string_view key) const {
    const PlistObject* value = valueForKey(key);
    if (value == nullptr)
        return std::nullopt;
    return numberAsBool(*value, key);
}

std::optional<std::int64_t> KeyedUnarchiver::decodeInt64ForKey(std::string_view key) const {
    const PlistObject* value = valueForKey(key);
    if (value == nullptr)
        return std::nullopt;
    return numberAsInt64(*value, key);
}

std::optional<double> KeyedUnarchiver::decodeDoubleForKey(std::string_view key) const {
    const PlistObject* value = valueForKey(key);
    if (value == nullptr)
        return std::nullopt;
    return numberAsDouble(*value, key);
}

void KeyedUnarchiver::failWithError(const std::string& description) const {
    fail(description);
}

bool KeyedUnarchiver::isOfClass(std::uint64_t index, std::string_view className) const {
    const std::string_view found =
        classOf(objectAt(index, keyed_archive::rootKey), keyed_archive::rootKey);
    return found == className || (isArrayClass(found) && isArrayClass(className));
}

const PlistObject& KeyedUnarchiver::objectAt(std::uint64_t index, std::string_view key) const {
    if (index >= objects_->size()) {
        fail("reference " + std::to_string(index) + " under key " + quoted(key) +
             " out of range (" + std::to_string(objects_->size()) + " objects)");
    }
    return (*objects_)[index];
}

const PlistObject* KeyedUnarchiver::valueForKey(std::string_view key) const {
    if (current_ == nullptr)
        throw std::logic_error("keyed archive: a value decoded outside initWithCoder");
    const auto found = current_->find(storedKey(key));
    return found == current_->end() ? nullptr : &found->second;
}

std::uint64_t KeyedUnarchiver::referenceForKey(std::string_view key) const {
    const PlistObject* value = valueForKey(key);
    if (value == nullptr)
        return 0;
    const auto* uid = value->getIf<PlistUid>();
    if (uid == nullptr) {
        fail("value under key " + quoted(key) + " is a " + kindName(value->kind()) +
             ", not a reference to an object");
    }
    return uid->value;
}

std::uint64_t KeyedUnarchiver::elementReference(const PlistObject& element,
                                                std::string_view key) const {
    const auto* uid = element.getIf<PlistUid>();
    if (uid == nullptr) {
        fail("element of the array under key " + quoted(key) + " is a " + kindName(element.kind()) +
             ", not a reference to an object");
    }
    if (uid->value == 0)
        fail("the array under key " + quoted(key) + " holds the null object");
    return uid->value;
}

std::string_view KeyedUnarchiver::stringObject(const PlistObject& object, std::string_view key) {
    const auto text = object.stringValue();
    if (!text)
        fail("value under key " + quoted(key) + " is of class " + quoted(classOf(object, key)) +
             ", not \"NSString\"");
    charge(text->size());
    return *text;
}

PlistData KeyedUnarchiver::dataObject(const PlistObject& object, std::string_view key) {
    const auto* data = object.getIf<PlistData>();
    if (data == nullptr)
        fail("value under key " + quoted(key) + " is of class " + quoted(classOf(object, key)) +
             ", not \"NSData\"");
    charge(data->size());
    return *data;
}

bool KeyedUnarchiver::numberAsBool(const PlistObject& object, std::string_view key) const {
    if (const auto value = object.boolValue())
        return *value;
    fail("value under key " + quoted(key) + " is a " + kindName(object.kind()) + ", not a boolean");
}

std::int64_t KeyedUnarchiver::numberAsInt64(const PlistObject& object, std::string_view key) const {
    if (const auto value = object.integerValue()) {
        if (const auto signedValue = value->int64Value())
            return *signedValue;
        fail("integer under key " + quoted(key) + " is beyond the 64-bit signed range");
    }
    fail("value under key " + quoted(key) + " is a " + kindName(object.kind()) +
         ", not an integer");
}

double KeyedUnarchiver::numberAsDouble(const PlistObject& object, std::string_view key) const {
    if (const auto value = object.realValue())
        return *value;
    if (const auto value = object.integerValue())
        return value->doubleValue();
    fail("value under key " + quoted(key) + " is a " + kindName(object.kind()) + ", not a number");
}

const PlistDictionary& KeyedUnarchiver::instanceOf(const PlistObject& object,
                                                   std::string_view className,
                                                   std::string_view key) const {
    const std::string_view found = classOf(object, key);
    if (found != className) {
        fail("value under key " + quoted(key) + " is of class " + quoted(found) + ", not " +
             quoted(className));
    }
    return *object.getIf<PlistDictionary>();
}

const PlistArray& KeyedUnarchiver::arrayElements(const PlistObject& object, std::string_view key) {
    const std::string_view found = classOf(object, key);
    if (!isArrayClass(found)) {
        fail("value under key " + quoted(key) + " is of class " + quoted(found) +
             ", not \"NSArray\"");
    }
    const PlistObject* elements = object.find(keyed_archive::arrayObjectsKey);
    if (elements == nullptr || !elements->is(PlistObject::Kind::array))
        fail("the array under key " + quoted(key) + " has no elements entry");
    const auto& array = *elements->getIf<PlistArray>();
    charge(array.size() * objectOverhead);
    return array;
}

std::string_view KeyedUnarchiver::classOf(const PlistObject& object, std::string_view key) const {
    switch (object.kind()) {
        case PlistObject::Kind::string:
            return "NSString";
        case PlistObject::Kind::data:
            return "NSData";
        case PlistObject::Kind::boolean:
        case PlistObject::Kind::integer:
        case PlistObject::Kind::real:
            return "NSNumber";
        case PlistObject::Kind::dictionary:
            break;
        case PlistObject::Kind::date:
        case PlistObject::Kind::array:
        case PlistObject::Kind::uid:
            fail("object under key " + quoted(key) + " is a bare " + kindName(object.kind()));
    }
    const PlistObject* reference = object.find(classKey);
    if (reference == nullptr)
        fail("object under key " + quoted(key) + " has no class entry");
    const auto* uid = reference->getIf<PlistUid>();
    if (uid == nullptr)
        fail("the class of the object under key " + quoted(key) + " is no reference");
    const PlistObject& entry = objectAt(uid->value, key);
    const PlistObject* name = entry.find(classNameKey);
    const auto text = name != nullptr ? name->stringValue() : std::nullopt;
    if (!text) {
        fail("object " + std::to_string(uid->value) + ", the class of the object under key " +
             quoted(key) + ", is no class entry");
    }
    return *text;
}

void KeyedUnarchiver::charge(std::uint64_t cost) {
    if (cost > budget_) {
        fail("objects expand beyond " + std::to_string(expansionFactor) +
             " times the archive's size (too many references to shared objects)");
    }
    budget_ -= cost;
}

void KeyedUnarchiver::refuseInsecureClass(std::string_view className) const {
    fail("class " + quoted(className) + " does not support secure coding, which is required");
}

void KeyedUnarchiver::fail(const std::string& what) {
    throw KeyedArchiveError(KeyedArchiveError::readCorruptError, "keyed archive: " + what);
}

}  // namespace zoral::platform
