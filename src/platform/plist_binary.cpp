#include "platform/plist_binary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/plist_serialization.h"
#include "platform/plist_unicode.h"
#include "platform/utf8.h"

namespace zoral::platform::detail {

namespace {

constexpr std::string_view magic = "bplist00";
constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

// Object markers: the high nibble is the type, the low nibble a size or count
// (0xF: the count follows as an integer object).
enum Marker : std::uint8_t {
    null = 0x00,
    falseValue = 0x08,
    trueValue = 0x09,
    fill = 0x0F,
    integer = 0x10,
    real = 0x20,
    date = 0x33,
    data = 0x40,
    asciiString = 0x50,
    utf16String = 0x60,
    uid = 0x80,
    array = 0xA0,
    set = 0xC0,
    dictionary = 0xD0,
};
constexpr std::uint8_t countFollows = 0x0F;

// Objects are copied out once per reference, so a small file whose objects
// share children many times over could expand without bound. What one file
// may expand into is capped at this many bytes per byte of file, plus a fixed
// allowance; every object is charged its payload and this overhead.
constexpr std::uint64_t expansionFactor = 64;
constexpr std::uint64_t expansionAllowance = std::uint64_t{16} << 20;
constexpr std::uint64_t objectOverhead = 64;

std::uint64_t readBigEndian(const std::uint8_t* bytes, std::size_t size) {
    // References and offsets take one, two, four or eight bytes in practice.
    switch (size) {
        case 1:
            return bytes[0];
        case 2:
            return static_cast<std::uint64_t>(bytes[0] << 8 | bytes[1]);
        case 4: {
            std::uint32_t value = 0;
            std::memcpy(&value, bytes, 4);
            return std::endian::native == std::endian::little ? __builtin_bswap32(value) : value;
        }
        case 8: {
            std::uint64_t value = 0;
            std::memcpy(&value, bytes, 8);
            return std::endian::native == std::endian::little ? __builtin_bswap64(value) : value;
        }
        default: {
            std::uint64_t value = 0;
            for (std::size_t i = 0; i < size; ++i)
                value = (value << 8) | bytes[i];
            return value;
        }
    }
}

// The index of the first byte of the eight-byte steps that is not ASCII.
std::optional<std::size_t> firstNonAscii(const std::uint8_t* bytes, std::size_t size) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + i, 8);
        if ((word & 0x8080808080808080u) != 0)
            break;
    }
    for (; i < size; ++i) {
        if (bytes[i] >= 0x80)
            return i;
    }
    return std::nullopt;
}

std::string hexByte(std::uint8_t byte) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    return {'0', 'x', digits[byte >> 4], digits[byte & 0xF]};
}

// ---------------------------------------------------------------- reader

class BinaryReader {
public:
    explicit BinaryReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        const std::size_t size = bytes.size();
        if (size < headerSize + trailerSize) {
            fail("file of " + std::to_string(size) + " bytes too short for header and trailer",
                 size);
        }
        const std::size_t trailer = size - trailerSize;
        offsetSize_ = bytes[trailer + 6];
        referenceSize_ = bytes[trailer + 7];
        objectCount_ = readBigEndian(&bytes[trailer + 8], 8);
        topObject_ = readBigEndian(&bytes[trailer + 16], 8);
        tableOffset_ = readBigEndian(&bytes[trailer + 24], 8);
        if (offsetSize_ < 1 || offsetSize_ > 8) {
            fail("offset size " + std::to_string(offsetSize_) + " not between 1 and 8",
                 trailer + 6);
        }
        if (referenceSize_ < 1 || referenceSize_ > 8) {
            fail("object reference size " + std::to_string(referenceSize_) + " not between 1 and 8",
                 trailer + 7);
        }
        if (tableOffset_ < headerSize || tableOffset_ > trailer) {
            fail("offset table offset " + std::to_string(tableOffset_) + " out of range",
                 trailer + 24);
        }
        // The count is checked against the file before anything is sized by it.
        const std::uint64_t tableEntries = (trailer - tableOffset_) / offsetSize_;
        if (objectCount_ == 0 || objectCount_ > tableEntries) {
            fail("object count " + std::to_string(objectCount_) +
                     " does not fit the offset table (" + std::to_string(tableEntries) +
                     " entries)",
                 trailer + 8);
        }
        if (topObject_ >= objectCount_) {
            fail("top object " + std::to_string(topObject_) + " out of range (" +
                     std::to_string(objectCount_) + " objects)",
                 trailer + 16);
        }
        budget_ = expansionFactor * static_cast<std::uint64_t>(size) + expansionAllowance;
        objects_.assign(objectCount_, 0);
    }

    PlistObject read() { return decode(topObject_, 0, bytes_.size() - trailerSize + 16); }

private:
    [[noreturn]] static void fail(const std::string& what, std::uint64_t offset) {
        throw PlistSerializationError("binary property list: " + what + " at offset " +
                                      std::to_string(offset));
    }

    // For the checks made once per object: the message is built out of line,
    // which keeps the check itself small enough to inline.
    template <class Message>
    [[noreturn, gnu::cold, gnu::noinline]] static void failWith(Message message,
                                                                std::uint64_t offset) {
        fail(message(), offset);
    }

    // Objects live between the header and the offset table.
    void need(std::uint64_t position, std::uint64_t length, std::string_view what) const {
        if (position > tableOffset_ || length > tableOffset_ - position) {
            failWith(
                [&] {
                    return std::string(what) + " of " + std::to_string(length) +
                           " bytes runs past the object area";
                },
                position);
        }
    }

    void charge(std::uint64_t cost, std::uint64_t offset) {
        if (cost > budget_) {
            failWith(
                [] {
                    return "objects expand beyond " + std::to_string(expansionFactor) +
                           " times the file size (too many references to shared objects)";
                },
                offset);
        }
        budget_ -= cost;
    }

    std::uint64_t objectOffset(std::uint64_t index) const {
        const std::uint64_t entry = tableOffset_ + index * offsetSize_;
        const std::uint64_t offset = readBigEndian(&bytes_[entry], offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) {
            failWith(
                [&] {
                    return "offset " + std::to_string(offset) + " of object " +
                           std::to_string(index) + " out of range";
                },
                entry);
        }
        return offset;
    }

    std::uint64_t readReference(std::uint64_t position) const {
        const std::uint64_t index = readBigEndian(&bytes_[position], referenceSize_);
        if (index >= objectCount_) {
            failWith(
                [&] {
                    return "object reference " + std::to_string(index) + " out of range (" +
                           std::to_string(objectCount_) + " objects)";
                },
                position);
        }
        return index;
    }

    // The count in a marker's low nibble, or the integer object after it.
    std::uint64_t readCount(std::uint8_t marker, std::uint64_t& position) const {
        if ((marker & 0x0F) != countFollows)
            return marker & 0x0F;
        need(position, 1, "count");
        const std::uint8_t countMarker = bytes_[position];
        if ((countMarker & 0xF0) != Marker::integer || (countMarker & 0x0F) > 3) {
            fail("count marker " + hexByte(countMarker) + " is not an integer of 1 to 8 bytes",
                 position);
        }
        const std::size_t size = std::size_t{1} << (countMarker & 0x0F);
        need(position + 1, size, "count");
        const std::uint64_t count = readBigEndian(&bytes_[position + 1], size);
        position += 1 + size;
        return count;
    }

    // Fails unless `count` items of `itemSize` bytes fit from `position` on.
    void needItems(std::uint64_t position, std::uint64_t count, std::uint64_t itemSize,
                   std::string_view what) const {
        if (position > tableOffset_ || count > (tableOffset_ - position) / itemSize) {
            fail(std::string(what) + " count " + std::to_string(count) + " larger than the file",
                 position);
        }
    }

    PlistObject decodeInteger(std::uint8_t marker, std::uint64_t position) const {
        const unsigned exponent = marker & 0x0F;
        if (exponent > 4) {
            fail("integer of 2^" + std::to_string(exponent) + " bytes too large", position - 1);
        }
        const std::size_t size = std::size_t{1} << exponent;
        need(position, size, "integer");
        const std::uint8_t* bytes = &bytes_[position];
        switch (size) {
            case 1:
            case 2:
            case 4:
                return PlistObject::unsignedInteger(readBigEndian(bytes, size));
            case 8:
                return PlistObject::integer(static_cast<std::int64_t>(readBigEndian(bytes, 8)));
            default: {
                // 128-bit two's complement: only what 64 bits can hold, signed or unsigned.
                const std::uint64_t high = readBigEndian(bytes, 8);
                const std::uint64_t low = readBigEndian(bytes + 8, 8);
                if (high == 0)
                    return PlistObject::unsignedInteger(low);
                if (high == UINT64_MAX && (low >> 63) != 0) {
                    return PlistObject::integer(static_cast<std::int64_t>(low));
                }
                fail("integer too large for 64 bits", position - 1);
            }
        }
    }

    std::string decodeString(std::uint64_t index, std::uint64_t offset) {
        std::uint64_t position = offset + 1;
        const std::uint8_t marker = bytes_[offset];
        const std::uint64_t count = readCount(marker, position);
        if ((marker & 0xF0) == Marker::asciiString) {
            need(position, count, "string");
            charge(count, offset);
            const std::uint8_t* ascii = &bytes_[position];
            if (const auto bad = firstNonAscii(ascii, count)) {
                fail("non-ASCII byte in ASCII string (object " + std::to_string(index) + ")",
                     position + *bad);
            }
            return std::string(reinterpret_cast<const char*>(ascii), count);
        }
        needItems(position, count, 2, "UTF-16 string");
        charge(3 * count, offset);
        std::string text;
        text.reserve(count);
        if (const auto bad = appendUtf16AsUtf8(text, &bytes_[position], count, true)) {
            fail("unpaired surrogate in UTF-16 string (object " + std::to_string(index) + ")",
                 position + 2 * *bad);
        }
        return text;
    }

    PlistObject decode(std::uint64_t index, std::size_t depth, std::uint64_t referencedAt) {
        if ((objects_[index] & beingDecoded) != 0) {
            fail("object " + std::to_string(index) + " contains itself (reference cycle)",
                 referencedAt);
        }
        const std::uint64_t offset = objectOffset(index);
        charge(objectOverhead, offset);
        const std::uint8_t marker = bytes_[offset];
        std::uint64_t position = offset + 1;
        switch (marker & 0xF0) {
            case Marker::null:
                if (marker == Marker::falseValue)
                    return PlistObject::boolean(false);
                if (marker == Marker::trueValue)
                    return PlistObject::boolean(true);
                if (marker == Marker::null)
                    fail("null objects are not supported", offset);
                break;
            case Marker::integer:
                return decodeInteger(marker, position);
            case Marker::real:
                if (marker == (Marker::real | 2)) {
                    need(position, 4, "real");
                    return PlistObject::real(std::bit_cast<float>(
                        static_cast<std::uint32_t>(readBigEndian(&bytes_[position], 4))));
                }
                if (marker == (Marker::real | 3)) {
                    need(position, 8, "real");
                    return PlistObject::real(
                        std::bit_cast<double>(readBigEndian(&bytes_[position], 8)));
                }
                break;
            case Marker::date & 0xF0:
                if (marker == Marker::date) {
                    need(position, 8, "date");
                    return PlistObject::date(
                        Date{std::bit_cast<double>(readBigEndian(&bytes_[position], 8))});
                }
                break;
            case Marker::data: {
                const std::uint64_t count = readCount(marker, position);
                need(position, count, "data");
                charge(count, offset);
                const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(position);
                return PlistObject::data(
                    PlistData(begin, begin + static_cast<std::ptrdiff_t>(count)));
            }
            case Marker::asciiString:
            case Marker::utf16String:
                return PlistObject::string(decodeString(index, offset));
            case Marker::uid: {
                // The low nibble is the byte count less one.
                const std::size_t size = (marker & 0x0F) + std::size_t{1};
                if (size > 8)
                    fail("UID of " + std::to_string(size) + " bytes too large", offset);
                need(position, size, "UID");
                return PlistObject::uid(readBigEndian(&bytes_[position], size));
            }
            case Marker::set:
                fail("sets are not supported", offset);
            case Marker::array: {
                checkDepth(depth, offset);
                const std::uint64_t count = readCount(marker, position);
                needItems(position, count, referenceSize_, "array");
                PlistArray array;
                array.reserve(count);
                objects_[index] |= beingDecoded;
                for (std::uint64_t i = 0; i < count; ++i) {
                    const std::uint64_t at = position + i * referenceSize_;
                    array.push_back(decode(readReference(at), depth + 1, at));
                }
                objects_[index] &= static_cast<std::uint8_t>(~beingDecoded);
                return PlistObject::array(std::move(array));
            }
            case Marker::dictionary: {
                checkDepth(depth, offset);
                const std::uint64_t count = readCount(marker, position);
                needItems(position, count, 2 * std::uint64_t{referenceSize_}, "dictionary");
                std::vector<PlistDictionary::value_type> entries;
                entries.reserve(count);
                objects_[index] |= beingDecoded;
                for (std::uint64_t i = 0; i < count; ++i) {
                    const std::uint64_t keyAt = position + i * referenceSize_;
                    const std::uint64_t valueAt = keyAt + count * referenceSize_;
                    std::string key = decodeKey(readReference(keyAt), keyAt);
                    PlistObject value = decode(readReference(valueAt), depth + 1, valueAt);
                    entries.emplace_back(std::move(key), std::move(value));
                }
                objects_[index] &= static_cast<std::uint8_t>(~beingDecoded);
                return PlistObject::dictionary(PlistDictionary::fromEntries(std::move(entries)));
            }
            default:
                break;
        }
        fail("unknown object marker " + hexByte(marker), offset);
    }

    // A key object is usually shared by every dictionary that has the key.
    // One seen a second time is kept decoded; every copy of it is charged as
    // if decoded again.
    std::string decodeKey(std::uint64_t index, std::uint64_t referencedAt) {
        const std::uint64_t offset = objectOffset(index);
        const bool seenBefore = (objects_[index] & seenAsKey) != 0;
        if (seenBefore) {
            if (const auto found = keys_.find(index); found != keys_.end()) {
                charge(found->second.cost, offset);
                return found->second.text;
            }
        }
        const std::uint8_t type = bytes_[offset] & 0xF0;
        if (type != Marker::asciiString && type != Marker::utf16String) {
            fail("dictionary key (object " + std::to_string(index) + ") is not a string",
                 referencedAt);
        }
        const std::uint64_t before = budget_;
        charge(objectOverhead, offset);
        std::string text = decodeString(index, offset);
        if (seenBefore)
            keys_.emplace(index, DecodedKey{text, before - budget_});
        objects_[index] |= seenAsKey;
        return text;
    }

    static void checkDepth(std::size_t depth, std::uint64_t offset) {
        if (depth >= plistMaxDepth) {
            fail("containers nested deeper than " + std::to_string(plistMaxDepth), offset);
        }
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t topObject_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t budget_ = 0;

    // Per object: flags.
    static constexpr std::uint8_t beingDecoded = 1;  // on the path being decoded
    static constexpr std::uint8_t seenAsKey = 2;
    std::vector<std::uint8_t> objects_;
    struct DecodedKey {
        std::string text;
        std::uint64_t cost;  // what decoding it charged
    };
    std::unordered_map<std::uint64_t, DecodedKey> keys_;  // by object
};

// ---------------------------------------------------------------- writer

// The smallest of 1, 2, 4 and 8 bytes that holds `value`.
std::size_t sizeFor(std::uint64_t value) {
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFF)
        return 4;
    return 8;
}

// Objects are numbered depth first, the top object first. Equal strings, data
// and numbers become one object referenced from every place they occur.
class BinaryWriter {
public:
    std::vector<std::uint8_t> write(const PlistObject& root) {
        flatten(root, 0);
        referenceSize_ = sizeFor(entries_.size() - 1);

        out_.assign(magic.begin(), magic.end());
        std::vector<std::uint64_t> offsets;
        offsets.reserve(entries_.size());
        for (const Entry& entry : entries_) {
            offsets.push_back(out_.size());
            encode(entry);
        }
        const std::uint64_t tableOffset = out_.size();
        const std::size_t offsetSize = sizeFor(offsets.back());
        for (const std::uint64_t offset : offsets)
            appendBigEndian(offset, offsetSize);

        out_.insert(out_.end(), 6, 0);  // unused, and the sort version
        out_.push_back(static_cast<std::uint8_t>(offsetSize));
        out_.push_back(static_cast<std::uint8_t>(referenceSize_));
        appendBigEndian(entries_.size(), 8);
        appendBigEndian(0, 8);  // the top object
        appendBigEndian(tableOffset, 8);
        return std::move(out_);
    }

private:
    struct Entry {
        const PlistObject* object;  // null for a dictionary key
        std::string_view key;
        std::size_t firstReference = 0;  // into references_, for containers
        std::size_t referenceCount = 0;
    };

    [[noreturn]] static void fail(const std::string& what) {
        throw PlistSerializationError("binary property list: cannot write " + what);
    }

    std::uint64_t add(const PlistObject* object, std::string_view key = {}) {
        entries_.push_back(Entry{object, key});
        return entries_.size() - 1;
    }

    template <class Map, class Key>
    std::uint64_t unique(Map& map, const Key& key, const PlistObject* object) {
        const auto [found, inserted] = map.try_emplace(key, entries_.size());
        if (inserted)
            add(object);
        return found->second;
    }

    std::uint64_t flattenString(std::string_view text, const PlistObject* object) {
        const auto [found, inserted] = strings_.try_emplace(text, entries_.size());
        if (inserted)
            add(object, text);
        return found->second;
    }

    std::uint64_t flatten(const PlistObject& object, std::size_t depth) {
        switch (object.kind()) {
            case PlistObject::Kind::string:
                return flattenString(object.get<std::string>(), &object);
            case PlistObject::Kind::boolean: {
                auto& slot = booleans_[object.get<bool>() ? 1 : 0];
                if (!slot)
                    slot = add(&object);
                return *slot;
            }
            case PlistObject::Kind::integer:
                return unique(integers_, object.get<PlistInteger>(), &object);
            case PlistObject::Kind::real:
                // By bits, so that 0.0 and -0.0 stay apart and NaN finds itself.
                return unique(reals_, std::bit_cast<std::uint64_t>(object.get<double>()), &object);
            case PlistObject::Kind::date:
                return unique(
                    dates_,
                    std::bit_cast<std::uint64_t>(object.get<Date>().secondsSinceReferenceDate),
                    &object);
            case PlistObject::Kind::data: {
                const auto& data = object.get<PlistData>();
                return unique(
                    datas_,
                    std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                    &object);
            }
            case PlistObject::Kind::uid:
                return add(&object);
            case PlistObject::Kind::array: {
                checkDepth(depth);
                const std::uint64_t index = add(&object);
                std::vector<std::uint64_t> children;
                const auto& array = object.get<PlistArray>();
                children.reserve(array.size());
                for (const auto& item : array)
                    children.push_back(flatten(item, depth + 1));
                setReferences(index, children);
                return index;
            }
            case PlistObject::Kind::dictionary: {
                checkDepth(depth);
                const std::uint64_t index = add(&object);
                const auto& dictionary = object.get<PlistDictionary>();
                std::vector<std::uint64_t> children;
                children.reserve(2 * dictionary.size());
                for (const auto& entry : dictionary) {
                    children.push_back(flattenString(entry.first, nullptr));
                }
                for (const auto& entry : dictionary) {
                    children.push_back(flatten(entry.second, depth + 1));
                }
                setReferences(index, children);
                return index;
            }
        }
        fail("an object of unknown kind");
    }

    static void checkDepth(std::size_t depth) {
        if (depth >= plistMaxDepth) {
            fail("containers nested deeper than " + std::to_string(plistMaxDepth));
        }
    }

    void setReferences(std::uint64_t index, const std::vector<std::uint64_t>& children) {
        entries_[index].firstReference = references_.size();
        entries_[index].referenceCount = children.size();
        references_.insert(references_.end(), children.begin(), children.end());
    }

    void appendBigEndian(std::uint64_t value, std::size_t size) {
        for (std::size_t i = size; i-- > 0;)
            out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    void appendMarker(std::uint8_t type, std::uint64_t count) {
        if (count < countFollows) {
            out_.push_back(static_cast<std::uint8_t>(type | count));
            return;
        }
        out_.push_back(static_cast<std::uint8_t>(type | countFollows));
        appendUnsigned(count);
    }

    void appendUnsigned(std::uint64_t value) {
        const std::size_t size = sizeFor(value);
        out_.push_back(static_cast<std::uint8_t>(Marker::integer | std::countr_zero(size)));
        appendBigEndian(value, size);
    }

    void encodeString(std::string_view text) {
        bool ascii = true;
        for (const char c : text)
            ascii = ascii && static_cast<std::uint8_t>(c) < 0x80;
        if (ascii) {
            appendMarker(Marker::asciiString, text.size());
            out_.insert(out_.end(), text.begin(), text.end());
            return;
        }
        std::vector<std::uint16_t> units;
        units.reserve(text.size());
        std::size_t position = 0;
        while (position < text.size()) {
            const auto codePoint = utf8::decode(text, position);
            if (!codePoint) {
                fail("a string that is not valid UTF-8 (byte " + std::to_string(position) + ")");
            }
            if (*codePoint >= 0x10000) {
                const char32_t value = *codePoint - 0x10000;
                units.push_back(static_cast<std::uint16_t>(0xD800 + (value >> 10)));
                units.push_back(static_cast<std::uint16_t>(0xDC00 + (value & 0x3FF)));
            } else {
                units.push_back(static_cast<std::uint16_t>(*codePoint));
            }
        }
        appendMarker(Marker::utf16String, units.size());
        for (const std::uint16_t unit : units)
            appendBigEndian(unit, 2);
    }

    void appendReferences(const Entry& entry, std::size_t first, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            appendBigEndian(references_[entry.firstReference + first + i], referenceSize_);
        }
    }

    void encode(const Entry& entry) {
        if (entry.object == nullptr)
            return encodeString(entry.key);
        const PlistObject& object = *entry.object;
        switch (object.kind()) {
            case PlistObject::Kind::string:
                return encodeString(object.get<std::string>());
            case PlistObject::Kind::boolean:
                out_.push_back(object.get<bool>() ? Marker::trueValue : Marker::falseValue);
                return;
            case PlistObject::Kind::integer: {
                const PlistInteger value = object.get<PlistInteger>();
                if (value.isLargeUnsigned()) {
                    // Only the 16-byte form holds unsigned values above INT64_MAX.
                    out_.push_back(Marker::integer | 4);
                    appendBigEndian(0, 8);
                    appendBigEndian(*value.uint64Value(), 8);
                } else if (value.isNegative()) {
                    out_.push_back(Marker::integer | 3);
                    appendBigEndian(static_cast<std::uint64_t>(*value.int64Value()), 8);
                } else {
                    appendUnsigned(*value.uint64Value());
                }
                return;
            }
            case PlistObject::Kind::real:
                out_.push_back(Marker::real | 3);
                appendBigEndian(std::bit_cast<std::uint64_t>(object.get<double>()), 8);
                return;
            case PlistObject::Kind::date:
                out_.push_back(Marker::date);
                appendBigEndian(
                    std::bit_cast<std::uint64_t>(object.get<Date>().secondsSinceReferenceDate), 8);
                return;
            case PlistObject::Kind::data: {
                const auto& data = object.get<PlistData>();
                appendMarker(Marker::data, data.size());
                out_.insert(out_.end(), data.begin(), data.end());
                return;
            }
            case PlistObject::Kind::uid: {
                const std::uint64_t value = object.get<PlistUid>().value;
                const std::size_t size = sizeFor(value);
                out_.push_back(static_cast<std::uint8_t>(Marker::uid | (size - 1)));
                appendBigEndian(value, size);
                return;
            }
            case PlistObject::Kind::array:
                appendMarker(Marker::array, entry.referenceCount);
                appendReferences(entry, 0, entry.referenceCount);
                return;
            case PlistObject::Kind::dictionary:
                appendMarker(Marker::dictionary, entry.referenceCount / 2);
                appendReferences(entry, 0, entry.referenceCount);
                return;
        }
    }

    std::vector<Entry> entries_;
    std::vector<std::uint64_t> references_;
    std::size_t referenceSize_ = 1;
    std::vector<std::uint8_t> out_;
    std::unordered_map<std::string_view, std::uint64_t> strings_;
    std::unordered_map<std::string_view, std::uint64_t> datas_;
    std::map<PlistInteger, std::uint64_t> integers_;
    std::unordered_map<std::uint64_t, std::uint64_t> reals_;
    std::unordered_map<std::uint64_t, std::uint64_t> dates_;
    std::array<std::optional<std::uint64_t>, 2> booleans_;
};

}  // namespace

PlistObject readBinaryPlist(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < magic.size() ||
        !std::equal(magic.begin(), magic.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
        throw PlistSerializationError("binary property list: no bplist00 header at offset 0");
    }
    return BinaryReader(bytes).read();
}

std::vector<std::uint8_t> writeBinaryPlist(const PlistObject& object) {
    return BinaryWriter().write(object);
}

}  // namespace zoral::platform::detail
