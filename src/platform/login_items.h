#pragma once

// The shared file list of the session's login items, as older systems (before 13) keep it: the
// applications that start when the user logs in, in order, each with its URL and properties (the
// hidden flag among them).
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hot_keys.h"
#include "platform/opaque_reference.h"
#include "platform/plist_object.h"

namespace zoral::platform::ls {

// The property of a login item that makes the application start hidden (a boolean).
inline constexpr std::string_view kLSSharedFileListLoginItemHidden = "LoginItemHidden";

// One list of the system's; items are references to its entries, valid while the entry exists.
class SharedFileList;
using SharedFileListRef = std::shared_ptr<SharedFileList>;
using SharedFileListItem = OpaqueReference<struct SharedFileListItemTag>;

// The session's login items; none when the system cannot open the list.
SharedFileListRef sharedFileListCreateSessionLoginItems();

// The entries now, in order; none when no snapshot can be taken.
std::optional<std::vector<SharedFileListItem>> sharedFileListCopySnapshot(
    const SharedFileListRef& list);

// The item's URL (a file URL's text) after resolving it to what it points at; none when the item
// is gone or its target cannot be found.
std::optional<std::string> sharedFileListItemCopyResolvedURL(SharedFileListItem item,
                                                             std::uint32_t flags);

// One property of the item; none when it has none of that name, or the item is gone.
std::optional<PlistObject> sharedFileListItemCopyProperty(SharedFileListItem item,
                                                          std::string_view name);

// Inserts the URL after the item (at the front with a null one) with the properties. A URL that
// the list holds already is not added again: that entry takes the properties and the place. The
// new or updated item; a null one when the list refuses.
SharedFileListItem sharedFileListInsertItemURL(const SharedFileListRef& list,
                                               SharedFileListItem insertAfter,
                                               const std::string& url,
                                               const PlistDictionary& properties);

// Removes the entry; an error status when the list does not hold it.
OSStatus sharedFileListItemRemove(const SharedFileListRef& list, SharedFileListItem item);

}  // namespace zoral::platform::ls
