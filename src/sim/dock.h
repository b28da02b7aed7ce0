#pragma once

// The Dock: a process of its own ("com.apple.dock") whose accessibility tree
// holds one list of tiles, as the system's Dock shows it: application tiles
// (with the bundle's URL), folders, separators, the trash, and one tile for
// each minimised window, which appears when the window is minimised and goes
// when it is restored. Pressing an application tile activates the application
// and brings back its last minimised window (or opens one) when it shows none; pressing a
// minimised window's tile restores that window and focuses it.
//
// A world has a Dock once a test or world file installs one.

#include <memory>
#include <optional>
#include <string>

#include "sim/node.h"

namespace zoral::sim {

class World;
class WindowNode;
class InputPipeline;

inline constexpr std::string_view dockBundleIdentifier = "com.apple.dock";

class DockTileNode : public Node {
public:
    static constexpr std::string_view role = ax::role::dockItem;

    DockTileNode(platform::ProcessId pid, std::string_view subrole);

    // The window a minimised window's tile stands for.
    std::weak_ptr<WindowNode> window;

    ax::Error perform(World& world, std::string_view action) override;
};

class Dock {
public:
    static constexpr platform::ProcessId defaultPid = 90;

    // Adds the Dock process to the world (once); the Dock of a world without one is none.
    static Dock& install(World& world, platform::ProcessId pid = defaultPid);
    static Dock* of(World& world);
    // A tile pressed and released under the pointer acts as when it is pressed through the
    // accessibility interface.
    static void registerInput(InputPipeline& pipeline);

    platform::ProcessId pid() const { return pid_; }
    std::shared_ptr<Node> list() const { return list_; }

    std::shared_ptr<DockTileNode> addApplicationTile(World& world, const std::string& title,
                                                     const std::string& bundleURL);
    std::shared_ptr<DockTileNode> addFolderTile(World& world, const std::string& title,
                                                const std::string& url);
    std::shared_ptr<DockTileNode> addSeparator(World& world);
    std::shared_ptr<DockTileNode> addTrash(World& world);

    // Kept up to date by the windows themselves.
    void windowMinimized(World& world, const std::shared_ptr<WindowNode>& window);
    void windowRestored(const WindowNode& window);
    std::shared_ptr<DockTileNode> tileOf(const WindowNode& window) const;

private:
    std::shared_ptr<DockTileNode> addTile(World& world, std::string_view subrole,
                                          const std::string& title);
    void layOut(World& world);

    platform::ProcessId pid_ = 0;
    std::shared_ptr<Node> list_;
};

}  // namespace zoral::sim
