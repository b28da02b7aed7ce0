#pragma once

// Values attached to an object at run time, the way the system's runtime lets any object carry
// them: an association is the key (its own address, so two associations never collide) and says
// how the value is held. Replacing or removing a value releases the one held before.

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/associated_objects.h"

namespace zoral::shortcuts::GlobalShortcuts {

// How an associated value is held; each case with the runtime's number.
enum class AssociationPolicy : std::uintptr_t {
    // Not owned: held weakly, so a value that is gone reads as none (never as a dangling one).
    assign = 0,
    retainNonatomic = 1,
    // The owner keeps a copy of its own (the value itself, for a type that cannot be copied).
    copyNonatomic = 3,
    retain = 0x301,
    copy = 0x303,
};

// Every object of the system's runtime can carry values.
using AssociatedObjects = platform::AssociatedObjects;

template <class T>
class ObjectAssociation {
public:
    explicit ObjectAssociation(AssociationPolicy how = AssociationPolicy::retainNonatomic)
        : policy(how) {}
    ObjectAssociation(const ObjectAssociation&) = delete;
    ObjectAssociation& operator=(const ObjectAssociation&) = delete;

    const AssociationPolicy policy;

    std::shared_ptr<T> get(const AssociatedObjects& owner) const {
        return std::static_pointer_cast<T>(owner.associatedObject(this));
    }

    // Stores the value as the policy says; null removes it.
    void set(AssociatedObjects& owner, std::shared_ptr<T> value) const {
        bool retained = true;
        if (value) {
            switch (policy) {
                case AssociationPolicy::assign:
                    retained = false;
                    break;
                case AssociationPolicy::copyNonatomic:
                case AssociationPolicy::copy:
                    if constexpr (std::is_copy_constructible_v<T>)
                        value = std::make_shared<T>(*value);
                    break;
                case AssociationPolicy::retainNonatomic:
                case AssociationPolicy::retain:
                    break;
            }
        }
        owner.setAssociatedObject(this, std::move(value), retained);
    }
};

}  // namespace zoral::shortcuts::GlobalShortcuts
