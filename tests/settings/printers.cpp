#include "printers.h"

namespace zoral::platform {

void PrintTo(const PlistObject& object, std::ostream* out) {
    switch (object.kind()) {
        case PlistObject::Kind::string:
            *out << "string \"" << *object.stringValue() << "\"";
            return;
        case PlistObject::Kind::boolean:
            *out << (*object.boolValue() ? "true" : "false");
            return;
        case PlistObject::Kind::integer:
            *out << "integer " << object.integerValue()->toString();
            return;
        case PlistObject::Kind::real:
            *out << "real " << *object.realValue();
            return;
        default:
            *out << kindName(object.kind());
    }
}

}  // namespace zoral::platform
