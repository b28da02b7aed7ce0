#pragma once

// Scripts of the world runner: a JSON array of steps run in order against the current simulated
// world, each on the virtual clock.
//
//   {"advance": 0.5}                                      let time pass (up to a day): the virtual
//       clock moves on, the machine's clock is waited for
//   {"read": {"element": "notes", "attribute": "AXTitle"}}  print an attribute
//   {"set": {"element": "notes", "attribute": "AXPosition", "value": {"point": [0, 25]}}}
//   {"perform": {"element": "notes-close", "action": "AXPress"}}
//   {"hitTest": [130, 90]}                                print the element under a point
//   {"trusted": false}                                    change the permission
//   {"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchTrackpad":
//       {"TrackpadPinch": true}}}}                        each part of the system's settings that
//       the step names (as a world file states them) becomes what it says; the others stay
//   {"loginItems": {"serviceStatus": "enabled"}}         the login items become these, as a
//       world file states them
//   {"programBundle": "/Applications/Zoral.app"}         the program's bundle moves there
//   {"hang": 501} / {"unhang": 501}                       make a process stop or start answering
//   {"drag": {"window": "notes", "by": [100, 50], "moves": 5, "modifiers": ["option"]}}
//       the user's hands take the window by its title bar with the left button and the modifier
//       keys (shift, control, option, command, fn) held, move it in that many moves a sixtieth of
//       a second apart, and let go; the step prints the window's frame at the end
//   {"resize": {"window": "notes", "edges": ["right", "bottom"], "by": [40, 20], "moves": 2}}
//       the same, taking the window by an edge or a corner (left, right, top, bottom)
//   {"journal": {"clear": true}}                          print what the program asked of the
//       system (posted events, warps, workspace requests, permission prompts, enhanced-interface
//       writes, alerts and their answers, beeps, the displays' sleep and wake, processes started),
//       one line an entry with its virtual time, and forget it when "clear" is true
//   {"hardware": [{"scroll": {"moves": [{"travel": [-200, 0]}]}}, {"pause": 0.5}]}
//       the hardware's input (steps as sim/hardware_script.h writes them) enters the input
//       pipeline, through the event taps of an engine when one is attached; the clock runs until
//       it is over and a second more, so that what it started finishes; prints the steps' count
//   {"windows": {}}                                       print every window's frame (top-left
//       coordinates) and whether it is minimised, application by application
//   {"clickStatusItem": {"item": 0, "button": "right"}}    the user's hands click one of the
//       program's status items (by its place, 0 the oldest; the left button unless given)
//   {"dragStatusItemOut": {"item": 0}}                    the hands Command-drag the item out of
//       the menu bar; prints whether it was removed
//   {"chooseMenuItem": ["Preferences…"]}                  the hands choose an item of the open menu
//       by its title (the titles of the submenus that lead to it first)
//   {"answerAlert": "OK"} / {"answerAlert": 0}           the user presses a button of the newest
//       alert on screen, by its title or its place
//   {"statusBar": {}}                                     print the program's status items (their
//       visibility, frame and image), the open menu's items and the alerts on screen
//   {"meanwhile": {"in": 0.12, "quit": 501}}               something happens to the world that
//       many seconds on, while the steps after this one run (0 when "in" is left out): "hang" or
//       "unhang" a pid, "quit" a pid (at once, as a crash), "close" a window, "trusted" true or
//       false, "removeDisplay" a number, "addDisplay" a display as world files write it (without
//       spaces), "defaults" {"key": "tooltipShow", "value": false} (a setting of the program;
//       null removes it), "overview" "missionControl", "appExpose" or null (the user opens Mission
//       Control or App Exposé, or closes it); nothing happens when what it names is gone by then
//   Each of these lets the program's ready work run afterwards, since the user's actions reach it
//   on its main queue.
//   {"enable": ["menubarAppSwitcher", "appChain"]}       turn on kinds of action (the setting
//       "actions" as the preferences would)
//   {"plugDisplay": {"number": 3, "uuid": "...", "frame": [1440, 0, 1920, 1080],
//                    "menuBarHeight": 25}}                the user plugs in a display (bottom-left
//       coordinates, as in world files); the system announces the new screens
//   {"unplugDisplay": 2}                                  the user unplugs the display with that
//       number; its windows come onto the primary display
//   {"appearance": "dark"} / {"appearance": "light"}      the user switches the system's appearance
//   {"recordShortcut": {"name": "fixPinchAndSwipe", "keyCode": 2,
//                       "modifiers": ["control", "option"]}}  the user records a shortcut for one
//       of the program's named global shortcuts (virtual key code; shift, control, option, command)
//
// The programs add steps of their own:
//   zoral-world  {"engine": true} attaches the program's gesture engine to the world (the world
//                must grant the Accessibility permission): the hardware steps that follow reach
//                it through the event tap, and its log lines print among the steps' own;
//                {"engine": false} detaches it
//   zoral        {"launch": {}} starts the program there (without it, before the first step);
//                {"quit": {}} quits it as its menu would, the steps after it seeing the desktop it
//                left. The engine is the program's own: it comes and goes with the permission.
//
// Values are written as in world files. Reads, writes, actions and hit tests go through the
// accessibility calls, so they are counted and cost virtual time like the program's own, and
// their result codes print with the names the program gives them ("error InvalidUIElement").
// Steps are checked as world files are: an unknown key, a wrong type or an unknown element stops
// the script at that step, with its place.

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/json.h"

namespace zoral::world_runner {

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A step that the runner adds to these (the engine's, which this library does not link): it
// reads its arguments and throws ScriptError for bad ones.
using ExtraStep = std::function<void(const platform::Json& arguments)>;
using ExtraSteps = std::map<std::string, ExtraStep, std::less<>>;

// Runs the steps; prints one line per step through the output sink. Throws ScriptError.
void runScript(const platform::Json& script, const ExtraSteps& extraSteps = {});

}  // namespace zoral::world_runner
