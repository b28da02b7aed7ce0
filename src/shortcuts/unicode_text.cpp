#include "shortcuts/unicode_text.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace zoral::shortcuts {

namespace {

icu::UnicodeString fromUtf8(std::string_view utf8) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    return result;
}

}  // namespace

std::string upperCased(std::string_view utf8) {
    icu::UnicodeString text = fromUtf8(utf8);
    return toUtf8(text.toUpper(icu::Locale::getRoot()));
}

std::string lowerCased(std::string_view utf8) {
    icu::UnicodeString text = fromUtf8(utf8);
    return toUtf8(text.toLower(icu::Locale::getRoot()));
}

std::size_t characterCount(std::string_view utf8) {
    const icu::UnicodeString text = fromUtf8(utf8);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> characters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !characters)
        return static_cast<std::size_t>(text.countChar32());
    characters->setText(text);
    std::size_t count = 0;
    for (std::int32_t boundary = characters->next(); boundary != icu::BreakIterator::DONE;
         boundary = characters->next()) {
        ++count;
    }
    return count;
}

std::string utf8FromUtf16(std::span<const char16_t> units) {
    return toUtf8(icu::UnicodeString(units.data(), static_cast<std::int32_t>(units.size())));
}

}  // namespace zoral::shortcuts
