#include "sim/keyboard_layout.h"

#include <algorithm>
#include <cctype>

#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::tis::InputSource;
using platform::tis::KeyboardLayoutData;

struct KeyText {
    std::uint16_t keyCode;
    const char16_t* plain;
    const char16_t* shifted;
};

// Keys that type the same under every layout: control characters of the editing keys, the
// keypad, the function keys (which all type the function-key character) and the arrows.
constexpr KeyText commonKeys[] = {
    {36, u"\r", u"\r"},      {48, u"\t", u"\t"},      {49, u" ", u" "},
    {51, u"\b", u"\b"},      {53, u"\x1B", u"\x1B"},  {65, u".", u"."},
    {67, u"*", u"*"},        {69, u"+", u"+"},        {71, u"\x1B", u"\x1B"},
    {75, u"/", u"/"},        {76, u"\x03", u"\x03"},  {78, u"-", u"-"},
    {81, u"=", u"="},        {82, u"0", u"0"},        {83, u"1", u"1"},
    {84, u"2", u"2"},        {85, u"3", u"3"},        {86, u"4", u"4"},
    {87, u"5", u"5"},        {88, u"6", u"6"},        {89, u"7", u"7"},
    {91, u"8", u"8"},        {92, u"9", u"9"},        {114, u"\x05", u"\x05"},
    {115, u"\x01", u"\x01"}, {116, u"\x0B", u"\x0B"}, {117, u"\x7F", u"\x7F"},
    {119, u"\x04", u"\x04"}, {121, u"\x0C", u"\x0C"}, {123, u"\x1C", u"\x1C"},
    {124, u"\x1D", u"\x1D"}, {125, u"\x1F", u"\x1F"}, {126, u"\x1E", u"\x1E"},
    {122, u"\x10", u"\x10"}, {120, u"\x10", u"\x10"}, {99, u"\x10", u"\x10"},
    {118, u"\x10", u"\x10"}, {96, u"\x10", u"\x10"},  {97, u"\x10", u"\x10"},
    {98, u"\x10", u"\x10"},  {100, u"\x10", u"\x10"}, {101, u"\x10", u"\x10"},
    {109, u"\x10", u"\x10"}, {103, u"\x10", u"\x10"}, {111, u"\x10", u"\x10"},
    {105, u"\x10", u"\x10"}, {107, u"\x10", u"\x10"}, {113, u"\x10", u"\x10"},
    {106, u"\x10", u"\x10"}, {64, u"\x10", u"\x10"},  {79, u"\x10", u"\x10"},
    {80, u"\x10", u"\x10"},  {90, u"\x10", u"\x10"},
};

constexpr KeyText usKeys[] = {
    {0, u"a", u"A"},  {1, u"s", u"S"},   {2, u"d", u"D"},  {3, u"f", u"F"},   {4, u"h", u"H"},
    {5, u"g", u"G"},  {6, u"z", u"Z"},   {7, u"x", u"X"},  {8, u"c", u"C"},   {9, u"v", u"V"},
    {10, u"§", u"±"}, {11, u"b", u"B"},  {12, u"q", u"Q"}, {13, u"w", u"W"},  {14, u"e", u"E"},
    {15, u"r", u"R"}, {16, u"y", u"Y"},  {17, u"t", u"T"}, {18, u"1", u"!"},  {19, u"2", u"@"},
    {20, u"3", u"#"}, {21, u"4", u"$"},  {22, u"6", u"^"}, {23, u"5", u"%"},  {24, u"=", u"+"},
    {25, u"9", u"("}, {26, u"7", u"&"},  {27, u"-", u"_"}, {28, u"8", u"*"},  {29, u"0", u")"},
    {30, u"]", u"}"}, {31, u"o", u"O"},  {32, u"u", u"U"}, {33, u"[", u"{"},  {34, u"i", u"I"},
    {35, u"p", u"P"}, {37, u"l", u"L"},  {38, u"j", u"J"}, {39, u"'", u"\""}, {40, u"k", u"K"},
    {41, u";", u":"}, {42, u"\\", u"|"}, {43, u",", u"<"}, {44, u"/", u"?"},  {45, u"n", u"N"},
    {46, u"m", u"M"}, {47, u".", u">"},  {50, u"`", u"~"},
};

// The French layout: letters moved (A and Q, Z and W, M beside L), the digits on Shift and
// accented letters and punctuation unshifted on the top row. Its accent keys type the accent.
constexpr KeyText frenchKeys[] = {
    {0, u"q", u"Q"},   {1, u"s", u"S"},  {2, u"d", u"D"},  {3, u"f", u"F"},  {4, u"h", u"H"},
    {5, u"g", u"G"},   {6, u"w", u"W"},  {7, u"x", u"X"},  {8, u"c", u"C"},  {9, u"v", u"V"},
    {10, u"@", u"#"},  {11, u"b", u"B"}, {12, u"a", u"A"}, {13, u"z", u"Z"}, {14, u"e", u"E"},
    {15, u"r", u"R"},  {16, u"y", u"Y"}, {17, u"t", u"T"}, {18, u"&", u"1"}, {19, u"é", u"2"},
    {20, u"\"", u"3"}, {21, u"'", u"4"}, {22, u"§", u"6"}, {23, u"(", u"5"}, {24, u"-", u"_"},
    {25, u"ç", u"9"},  {26, u"è", u"7"}, {27, u")", u"°"}, {28, u"!", u"8"}, {29, u"à", u"0"},
    {30, u"$", u"*"},  {31, u"o", u"O"}, {32, u"u", u"U"}, {33, u"^", u"¨"}, {34, u"i", u"I"},
    {35, u"p", u"P"},  {37, u"l", u"L"}, {38, u"j", u"J"}, {39, u"ù", u"%"}, {40, u"k", u"K"},
    {41, u"m", u"M"},  {42, u"`", u"£"}, {43, u";", u"."}, {44, u"=", u"+"}, {45, u"n", u"N"},
    {46, u",", u"?"},  {47, u":", u"/"}, {50, u"<", u">"},
};

std::shared_ptr<const InputSource> makeLayout(std::string identifier, std::string name,
                                              std::span<const KeyText> keys) {
    std::map<std::uint16_t, KeyboardLayoutData::Row> rows;
    for (const auto& table : {std::span<const KeyText>(commonKeys), keys}) {
        for (const KeyText& key : table)
            rows.insert_or_assign(key.keyCode, KeyboardLayoutData::Row{key.plain, key.shifted});
    }
    return std::make_shared<const InputSource>(
        InputSource{std::move(identifier), std::move(name),
                    std::make_shared<const KeyboardLayoutData>(std::move(rows))});
}

}  // namespace

KeyboardLayouts::KeyboardLayouts() {
    layouts_.emplace(usLayout, makeLayout(usLayout, "U.S.", usKeys));
    layouts_.emplace(frenchLayout, makeLayout(frenchLayout, "French", frenchKeys));
    current_ = layouts_.at(usLayout);
}

KeyboardLayouts& KeyboardLayouts::of(World& world) {
    return world.component<KeyboardLayouts>();
}

KeyboardLayouts& KeyboardLayouts::current() {
    return of(World::current());
}

std::vector<std::string> KeyboardLayouts::layoutIdentifiers() const {
    const platform::MutexLock lock(mutex_);
    std::vector<std::string> identifiers;
    for (const auto& [identifier, layout] : layouts_)
        identifiers.push_back(identifier);
    return identifiers;
}

bool KeyboardLayouts::selectLayout(std::optional<std::string> identifier) {
    const platform::MutexLock lock(mutex_);
    if (!identifier) {
        current_.reset();
        return true;
    }
    const auto found = layouts_.find(*identifier);
    if (found == layouts_.end())
        return false;
    current_ = found->second;
    return true;
}

platform::tis::InputSourceRef KeyboardLayouts::currentLayout() const {
    const platform::MutexLock lock(mutex_);
    return current_;
}

}  // namespace zoral::sim

namespace zoral::platform::tis {

using sim::KeyboardLayouts;

InputSourceRef copyCurrentASCIICapableKeyboardLayoutInputSource() {
    return KeyboardLayouts::current().currentLayout();
}

std::shared_ptr<const KeyboardLayoutData> getUnicodeKeyLayoutData(const InputSourceRef& source) {
    return source ? source->unicodeKeyLayoutData : nullptr;
}

std::uint8_t getKeyboardType() {
    return KeyboardLayouts::keyboardType;
}

OSStatus ucKeyTranslate(const KeyboardLayoutData* layout, std::uint16_t virtualKeyCode,
                        std::uint16_t keyAction, std::uint32_t modifierKeyState,
                        std::uint32_t keyboardType, std::uint32_t keyTranslateOptions,
                        std::uint32_t* deadKeyState, std::span<char16_t> buffer,
                        std::size_t* actualStringLength) {
    // One variant per layout, and no dead keys whose handling the options could change.
    (void)keyboardType;
    (void)keyTranslateOptions;
    if (layout == nullptr || deadKeyState == nullptr || keyAction > kUCKeyActionDisplay)
        return carbon::paramErr;
    constexpr std::uint32_t shift = 0x02;
    constexpr std::uint32_t capsLock = 0x04;
    std::u16string text;
    if (keyAction != kUCKeyActionUp) {
        if (const KeyboardLayoutData::Row* row = layout->row(virtualKeyCode)) {
            text = (modifierKeyState & shift) != 0 ? row->shifted : row->plain;
            const bool letter = text.size() == 1 && text[0] < 0x80 &&
                                std::islower(static_cast<unsigned char>(text[0])) != 0;
            if ((modifierKeyState & capsLock) != 0 && letter)
                text = row->shifted;
        }
    }
    if (text.size() > buffer.size())
        return kUCOutputBufferTooSmall;
    std::ranges::copy(text, buffer.begin());
    *deadKeyState = 0;
    if (actualStringLength != nullptr)
        *actualStringLength = text.size();
    return carbon::noErr;
}

}  // namespace zoral::platform::tis
