#pragma once

// Where the program's bundle lies on the simulated disk. The program reads it as its main bundle's
// path (platform/bundle.h): whether it runs from an applications folder, and the URL by which its
// login item is known. A world that states no place leaves the bundle where the executable is.
// When the world goes, the main bundle goes back to the place it had before the world set one.
//
// A component of the world: ProgramBundle::of(world).

#include <optional>
#include <string>

namespace zoral::sim {

class World;

class ProgramBundle {
public:
    static ProgramBundle& of(World& world);

    ProgramBundle() = default;
    ~ProgramBundle();
    ProgramBundle(const ProgramBundle&) = delete;
    ProgramBundle& operator=(const ProgramBundle&) = delete;

    // The place the world gave the bundle; none while it gave none.
    const std::optional<std::string>& path() const { return path_; }
    // Moves the bundle there; none puts it back where it was before.
    void setPath(std::optional<std::string> path);

private:
    std::optional<std::string> path_;
    // The main bundle's place before the world gave one, while it gives one.
    std::optional<std::optional<std::string>> before_;
};

}  // namespace zoral::sim
