#include "platform/hot_keys.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace zoral::platform::carbon {

static_assert(sizeof(EventHotKeyID) == 8 && std::is_trivially_copyable_v<EventHotKeyID>);

Event Event::hotKeyEvent(std::uint32_t kind, EventHotKeyID identifier) {
    Event event(kEventClassKeyboard, kind);
    Parameter parameter{typeEventHotKeyID, std::vector<std::uint8_t>(sizeof identifier)};
    std::memcpy(parameter.bytes.data(), &identifier, sizeof identifier);
    event.setParameter(kEventParamDirectObject, std::move(parameter));
    return event;
}

void Event::setParameter(FourCharCode name, Parameter parameter) {
    parameters_.insert_or_assign(name, std::move(parameter));
}

const Event::Parameter* Event::parameter(FourCharCode name) const {
    const auto found = parameters_.find(name);
    return found == parameters_.end() ? nullptr : &found->second;
}

FourCharCode getEventClass(EventRef event) {
    return event != nullptr ? event->eventClass() : 0;
}

std::uint32_t getEventKind(EventRef event) {
    return event != nullptr ? event->kind() : 0;
}

OSStatus getEventParameter(EventRef event, FourCharCode name, FourCharCode desiredType,
                           FourCharCode* outActualType, std::span<std::uint8_t> buffer,
                           std::size_t* outActualSize) {
    if (event == nullptr)
        return paramErr;
    const Event::Parameter* parameter = event->parameter(name);
    if (parameter == nullptr)
        return eventParameterNotFoundErr;
    if (parameter->type != desiredType)
        return errAECoercionFail;
    std::copy_n(parameter->bytes.begin(), std::min(buffer.size(), parameter->bytes.size()),
                buffer.begin());
    if (outActualType != nullptr)
        *outActualType = parameter->type;
    if (outActualSize != nullptr)
        *outActualSize = parameter->bytes.size();
    return noErr;
}

}  // namespace zoral::platform::carbon
