#include "sim/dock.h"

#include <algorithm>

#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/input_pipeline.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

// Which Dock a world has, kept with the world.
struct DockSlot {
    std::unique_ptr<Dock> dock;
};

constexpr double tileSize = 64;

}  // namespace

DockTileNode::DockTileNode(platform::ProcessId pid, std::string_view subrole)
    : Node(pid, std::string(role)) {
    set(ax::attribute::subrole, subrole);
    setActions({ax::action::press, ax::action::showMenu});
}

ax::Error DockTileNode::perform(World& world, std::string_view action) {
    const ax::Error error = Node::perform(world, action);
    if (error != ax::success || action != ax::action::press)
        return error;
    const ax::Value* storedSubrole = stored(ax::attribute::subrole);
    const auto* subrole = storedSubrole != nullptr ? storedSubrole->getIf<std::string>() : nullptr;
    if (subrole == nullptr)
        return error;
    Workspace& apps = workspace(world);
    if (*subrole == ax::subrole::minimizedDockItem) {
        if (auto target = window.lock(); target && !target->isDestroyed()) {
            target->minimize(world, false);
            target->makeMain(world);
            apps.activateNow(world, target->pid());
        }
    } else if (*subrole == ax::subrole::applicationDockItem) {
        const ax::Value* url = stored(ax::attribute::url);
        const auto* text = url != nullptr ? url->getIf<ax::Url>() : nullptr;
        const auto pid =
            text != nullptr ? apps.processWithBundleURL(world, text->text) : std::nullopt;
        if (!pid)
            return ax::success;
        apps.activateNow(world, *pid);
        auto application =
            std::dynamic_pointer_cast<ApplicationNode>(world.process(*pid)->application);
        if (application && !application->mainWindow()) {
            // Brings back the most recently minimised window, or opens one.
            const auto windows = application->windows();
            const auto minimised = std::find_if(windows.begin(), windows.end(),
                                                [](const auto& w) { return w->isMinimized(); });
            if (minimised != windows.end()) {
                (*minimised)->minimize(world, false);
                (*minimised)->makeMain(world);
            } else {
                application->openWindow(world);
            }
        }
    }
    return ax::success;
}

Dock& Dock::install(World& world, platform::ProcessId pid) {
    DockSlot& slot = world.component<DockSlot>();
    if (!slot.dock) {
        slot.dock = std::make_unique<Dock>();
        slot.dock->pid_ = pid;
        Process& process = world.addProcess(pid, std::string(dockBundleIdentifier), "Dock");
        process.windowOptions = {
            .level = windowLevel::dock, .clickThrough = false, .allSpaces = true};
        workspace(world).info(pid).activationPolicy = platform::ActivationPolicy::prohibited;
        world.bringToBack(pid);
        slot.dock->list_ = world.makeNode(pid, ax::role::list);
        process.application->appendChild(slot.dock->list_);
    }
    return *slot.dock;
}

Dock* Dock::of(World& world) {
    return world.component<DockSlot>().dock.get();
}

namespace {

class TileGrab : public PointerGrab {
public:
    explicit TileGrab(std::shared_ptr<DockTileNode> tile) : tile_(std::move(tile)) {}

    void released(World& world, const platform::CGEvent& event) override {
        const auto tile = tile_.lock();
        if (!tile || tile->isDestroyed())
            return;
        const auto under = WindowServer::of(world).hitTest(world, event.location, tile->pid());
        if (under == tile)
            tile->perform(world, ax::action::press);
    }

private:
    std::weak_ptr<DockTileNode> tile_;
};

}  // namespace

void Dock::registerInput(InputPipeline& pipeline) {
    pipeline.addPressHandler(
        Receiver::dock, [](World&, const Press& press) -> std::shared_ptr<PointerGrab> {
            auto tile = std::dynamic_pointer_cast<DockTileNode>(press.element);
            if (press.event.type != platform::CGEventType::leftMouseDown || !tile)
                return nullptr;
            return std::make_shared<TileGrab>(std::move(tile));
        });
}

std::shared_ptr<DockTileNode> Dock::addTile(World& world, std::string_view subrole,
                                            const std::string& title) {
    auto tile = world.makeNode<DockTileNode>(pid_, subrole);
    if (!title.empty())
        tile->set(ax::attribute::title, title);
    list_->appendChild(tile);
    layOut(world);
    return tile;
}

std::shared_ptr<DockTileNode> Dock::addApplicationTile(World& world, const std::string& title,
                                                       const std::string& bundleURL) {
    auto tile = addTile(world, ax::subrole::applicationDockItem, title);
    tile->set(ax::attribute::url, ax::Url{bundleURL});
    return tile;
}

std::shared_ptr<DockTileNode> Dock::addFolderTile(World& world, const std::string& title,
                                                  const std::string& url) {
    auto tile = addTile(world, ax::subrole::folderDockItem, title);
    tile->set(ax::attribute::url, ax::Url{url});
    return tile;
}

std::shared_ptr<DockTileNode> Dock::addSeparator(World& world) {
    return addTile(world, ax::subrole::separatorDockItem, "");
}

std::shared_ptr<DockTileNode> Dock::addTrash(World& world) {
    return addTile(world, ax::subrole::trashDockItem, "Trash");
}

void Dock::windowMinimized(World& world, const std::shared_ptr<WindowNode>& window) {
    if (tileOf(*window))
        return;
    std::string title;
    if (const ax::Value* value = window->stored(ax::attribute::title)) {
        if (const auto* text = value->getIf<std::string>())
            title = *text;
    }
    auto tile = addTile(world, ax::subrole::minimizedDockItem, title);
    tile->window = window;
}

void Dock::windowRestored(const WindowNode& window) {
    if (auto tile = tileOf(window)) {
        list_->removeChild(tile);
        tile->markDestroyed();
    }
}

std::shared_ptr<DockTileNode> Dock::tileOf(const WindowNode& window) const {
    for (const auto& child : list_->children()) {
        auto tile = std::dynamic_pointer_cast<DockTileNode>(child);
        if (tile && tile->window.lock().get() == &window)
            return tile;
    }
    return nullptr;
}

void Dock::layOut(World& world) {
    // One row along the bottom of the primary display, centred, in top-left coordinates.
    const auto displays = Displays::of(world).displays();
    const platform::CGRect screen =
        displays.empty() ? platform::CGRect(0, 0, 0, tileSize) : displays.front().frame;
    const auto& tiles = list_->children();
    const double width = tileSize * static_cast<double>(tiles.size());
    double x = screen.midX() - width / 2;
    const double y = screen.height() - tileSize;
    for (const auto& tile : tiles) {
        tile->set(ax::attribute::position, platform::CGPoint{x, y});
        tile->set(ax::attribute::size, platform::CGSize{tileSize, tileSize});
        x += tileSize;
    }
    list_->set(ax::attribute::position, platform::CGPoint{screen.midX() - width / 2, y});
    list_->set(ax::attribute::size, platform::CGSize{width, tileSize});
}

}  // namespace zoral::sim
