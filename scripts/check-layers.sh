#!/usr/bin/env bash
# Fails when a file of src/ includes a folder that its layer may not use (DESIGN.md, "layers"):
#
#   platform -> settings, promises, signals, plist -> desktop -> ui -> engine
#            -> shortcuts, loginitems -> app -> preferences
#
# A folder includes only itself and the folders before it; the four foundations do not include
# each other. sim/ implements platform/ and includes nothing else, and no folder of src/ includes
# sim/ (the programs and the tests link it). Inside engine/ the folders follow the gesture's road,
# each including only itself and the folders after it:
#
#   input -> gesture -> resolution -> actions -> tooltips -> windows -> model
#
# and of engine/ only tooltips/ (the tooltip windows) includes ui/.
#
# Usage: scripts/check-layers.sh [root]   (root defaults to the repository)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# Each folder of src/ with the folders it may include besides itself.
layers='
platform:
sim: platform
settings: platform
promises: platform
signals: platform
plist: platform
desktop: platform settings promises signals plist
ui: platform settings promises signals plist desktop
engine: platform settings promises signals plist desktop ui
shortcuts: platform settings promises signals plist desktop ui engine
loginitems: platform settings promises signals plist desktop ui engine
app: platform settings promises signals plist desktop ui engine shortcuts loginitems
preferences: platform settings promises signals plist desktop ui engine shortcuts loginitems app
'
engine_road='input gesture resolution actions tooltips windows model'

find src -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 -r grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' /dev/null |
  awk -v layers="$layers" -v road="$engine_road" '
    BEGIN {
      n = split(layers, lines, "\n")
      for (i = 1; i <= n; i++) {
        if (lines[i] == "") continue
        split(lines[i], parts, ":")
        folder = parts[1]
        known[folder] = 1
        allowed[folder, folder] = 1
        m = split(parts[2], uses, " ")
        for (j = 1; j <= m; j++) allowed[folder, uses[j]] = 1
      }
      m = split(road, steps, " ")
      for (j = 1; j <= m; j++) rank[steps[j]] = j
      faults = 0
    }
    {
      # file:line:#include "folder/..."
      first = index($0, ":"); file = substr($0, 1, first - 1); rest = substr($0, first + 1)
      second = index(rest, ":"); line = substr(rest, 1, second - 1); text = substr(rest, second + 1)
      match(text, /"[^"]+"/); target = substr(text, RSTART + 1, RLENGTH - 2)
      split(file, path, "/"); from = path[2]
      split(target, include, "/"); to = include[1]
      if (!(from in known)) {
        printf "%s:%s: src/%s/ has no place in the layer order (scripts/check-layers.sh)\n", file, line, from
        faults++; next
      }
      if (!(to in known)) next  # a header of a library outside src/
      if (!((from, to) in allowed)) {
        printf "%s:%s: %s/ may not include %s/ (\"%s\"): it sits above it in the layer order\n", file, line, from, to, target
        faults++; next
      }
      if (from == "engine" && path[3] in rank) {
        fromStep = path[3]
        if (to == "ui" && fromStep != "tooltips") {
          printf "%s:%s: engine/%s/ may not include ui/ (\"%s\"): only the tooltip windows use it\n", file, line, fromStep, target
          faults++; next
        }
        if (to == "engine") {
          toStep = include[2]
          if ((toStep in rank) && rank[toStep] < rank[fromStep]) {
            printf "%s:%s: engine/%s/ may not include engine/%s/ (\"%s\"): it runs back up the gesture'"'"'s road\n", file, line, fromStep, toStep, target
            faults++; next
          }
        }
      }
    }
    END {
      if (faults > 0) { printf "Layer order: %d include(s) out of order\n", faults; exit 1 }
      print "Layer order: ok"
    }'
