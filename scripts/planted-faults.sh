#!/usr/bin/env bash
# Plants known faults in the game's code one at a time, in a scratch copy of the working tree
# with its own build folder, and reports for each whether the tests that should catch it fail.
# Not part of make check: run it before and after changing the tests, and compare.
#
#   scripts/planted-faults.sh [--ref REV] [NAME-PATTERN]
#     --ref REV      the tests of commit REV rather than of the working tree
#     NAME-PATTERN   only the faults whose name matches (grep -E)
#
# Each fault: a name, a file, a sed expression, and the GoogleTest filter that should catch it.
# The test binary is found by the tests it lists, so a test may move between binaries.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
ref=
if [ "${1:-}" = --ref ]; then ref=$2; shift 2; fi
only=${1:-.}

faults=(
  # name ~ file ~ sed expression ~ tests that should catch it
  "band colours: grass and dirt swapped~terrain/bands.cpp~s/grassColour\[3\] = {0.0f, 1.0f, 0.0f}/grassColour[3] = {0.4f, 0.25f, 0.0f}/;s/dirtColour\[3\] = {0.4f, 0.25f, 0.0f}/dirtColour[3] = {0.0f, 1.0f, 0.0f}/~Grid.*"
  "band colours: water and snow swapped~terrain/bands.cpp~s/{waterColour, grassColour, dirtColour, snowColour}/{snowColour, grassColour, dirtColour, waterColour}/~Grid.*"
  "band bound: 27.5 no longer grass~terrain/bands.cpp~s/z <= 27.5f/z < 27.5f/~Grid.*:Stitching.*"
  "slot offsets: N and S swapped~terrain/grid.cpp~s/{-5, 0}, {5, 0}, {0, 5}/{5, 0}, {-5, 0}, {0, 5}/~Grid.*"
  "slot offsets: NE and NW swapped~terrain/grid.cpp~s/{-5, 5}, {-5, -5}/{-5, -5}, {-5, 5}/~Grid.*"
  "switch keys: b and B swapped~app/keyboard.cpp~s/\"depth test on\", depthOn/\"depth test on\", depthOff/;s/\"depth test off\", depthOff/\"depth test off\", depthOn/~Keyboard.*"
  "switch keys: k and K swapped~app/keyboard.cpp~s/\"lighting on\", lightingOn/\"lighting on\", lightingOff/;s/\"lighting off\", lightingOff/\"lighting off\", lightingOn/~Keyboard.*"
  "stitching: north-east corner misses the east cell~terrain/stitching.cpp~0,/ne.add(centreZ(e));/s/ne.add(centreZ(e));//~Stitching.*"
  "stitching: a join writes the same side in both cells~terrain/stitching.cpp~s/const int opposite = side ^ 1;/const int opposite = side;/~Stitching.*"
  "normals: face normal x component negated~terrain/normals.cpp~s/const float n\[3\] = {u\[1\] \* v\[2\] - u\[2\] \* v\[1\]/const float n[3] = {u[2] * v[1] - u[1] * v[2]/~Normals.*"
  "normals: neighbours' faces left out~terrain/normals.cpp~s/ref.slot < 0 ? this : neighbours\[ref.slot\]/ref.slot < 0 ? this : nullptr/~Normals.*"
  "terrain reader: a last row without newline lost~terrain/terrain_file.cpp~s/if (c == '\\\\n' || c == EOF) countUp(rowCount);/if (c == '\\\\n') countUp(rowCount);/~TerrainFile.*"
  "model reader: subnormal squares taken as normal~models/face_normal.h~s/if (std::isnormal(squares))/if (std::isfinite(squares) \&\& squares > 0)/~MeshFile.*"
  "collision: the ceiling lets 50 through~player/collision.cpp~s/if (z >= 50) return true;/if (z > 50) return true;/~Collision.*"
  "collision: north-east and north-west quadrants swapped~player/collision.cpp~s/north ? (east ? 0 : 1)/north ? (east ? 1 : 0)/~Collision.*"
  "movement: turns go the other way~player/movement.cpp~s/(kind == TurnLeft ? 1 : -1)/(kind == TurnLeft ? -1 : 1)/~Movement.*"
  "movement: forward moves 1 unit along y~player/movement.cpp~s/y += 2 \* pose.headingY;/y += pose.headingY;/~Movement.*"
  "people: rows and columns of a draw swapped~models/people.cpp~s/row = rand() % rows;/row = rand() % cols;/;s/col = rand() % cols;/col = rand() % rows;/~People*.*"
  "people: rescue reach 8 instead of 7~models/people.cpp~s/> 49.0) return false;/> 64.0) return false;/~People*.*:Rescue*.*"
  "cell draw: first triangle wound clockwise~terrain/cell_draw.cpp~s/{{SlotN, 0, 0}, {SlotE, 0, 1}, {SlotNE, 1, 1}}/{{SlotN, 0, 0}, {SlotNE, 1, 1}, {SlotE, 0, 1}}/~CellDraw.*:ManyCells.*"
  "cell draw: first triangle starts at another corner~terrain/cell_draw.cpp~s/{{SlotN, 0, 0}, {SlotE, 0, 1}, {SlotNE, 1, 1}}/{{SlotE, 0, 1}, {SlotNE, 1, 1}, {SlotN, 0, 0}}/~CellDraw.*:ManyCells.*"
  "cell draw: texture coordinates of a corner changed~terrain/cell_draw.cpp~s/{{SlotE, 1, 0}, {SlotS, 0, 1}, {SlotSE, 1, 1}}/{{SlotE, 1, 0}, {SlotS, 1, 0}, {SlotSE, 1, 1}}/~CellDraw.*:ManyCells.*"
  "cell draw: a wire square wound clockwise~terrain/cell_draw.cpp~s/{SlotS, SlotCentre, SlotW, SlotSW}/{SlotS, SlotSW, SlotW, SlotCentre}/~CellDraw.*:ManyCells.*"
  "cell draw: a wire square starts at another corner~terrain/cell_draw.cpp~s/{SlotS, SlotCentre, SlotW, SlotSW}/{SlotCentre, SlotW, SlotSW, SlotS}/~CellDraw.*:ManyCells.*"
  "cell draw: wire frame takes the lit colour~terrain/cell_draw.cpp~s/if (mode == DrawMode::Wire) glColor3fv(v.baseColour);/if (mode == DrawMode::Wire) glColor3fv(v.colour);/~CellDraw.*:ManyCells.*"
  "cell draw: wall texture coordinates swapped~terrain/cell_draw.cpp~s/{{0, 0.5f}, {0, 0}, {1, 0}, {1, 0.5f}}/{{0, 0}, {0, 0.5f}, {1, 0}, {1, 0.5f}}/~OneWall.*:CellWall*.*"
  "cell draw: walls face the higher cell~terrain/cell_draw.cpp~s/facesThisCell(side, self, \*nb) ? 1.0f : -1.0f/facesThisCell(side, self, *nb) ? -1.0f : 1.0f/~OneWall.*:CellWall*.*"
  "checker: the last folder's status wins~tools/checker/cli.cpp~s/status = std::max(status, exitStatus(report));/status = exitStatus(report);/~CheckerCommandLine.*:Checker*.*"
  "manual page: J left out~packaging/vantora.6~s/^\.BR j \", \" J\$/.BR j/~ManualPage.*"
)

scratch=$(mktemp -d /tmp/planted-faults.XXXXXX)
xvfb_started=0
cleanup() {
  if [ "$xvfb_started" = 1 ]; then xvfb_stop || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# The working tree as it stands (tracked and new files alike), without build folders.
tree="$scratch/tree"
mkdir -p "$tree"
if [ -n "$ref" ]; then
  (cd "$source_dir" && git archive "$ref") | tar -xf - -C "$tree"
else
  (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
     xargs -0 -I{} sh -c 'test -e "{}" && printf "%s\0" "{}"' |
     tar --null -T - -cf -) | tar -xf - -C "$tree"
fi
build="$scratch/build"
binaries=(app_tests terrain_tests models_tests player_tests tools_tests gl_tests)

echo "building the test binaries in $build ..."
cmake -S "$tree" -B "$build" -DVANTORA_BENCH=OFF >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; exit 1; }
cmake --build "$build" -j2 --target "${binaries[@]}" >"$scratch/build.log" 2>&1 ||
  { tail -40 "$scratch/build.log"; exit 1; }

# shellcheck source=scripts/xvfb.sh
source "$tree/scripts/xvfb.sh"
xvfb_start 640x640
xvfb_started=1

bin_of() { find "$build/tests" -maxdepth 1 -name "$1" -type f; }
declare -A listed
for b in "${binaries[@]}"; do
  listed[$b]=$("$(bin_of "$b")" --gtest_list_tests |
               awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
done

# The binaries that hold a test the filter names.
binaries_for() {
  local filter=$1 b pattern found
  for b in "${binaries[@]}"; do
    found=0
    IFS=: read -ra patterns <<<"$filter"
    for pattern in "${patterns[@]}"; do
      local regex="^${pattern//./\\.}\$"
      regex=${regex//\*/.*}
      if grep -Eq "$regex" <<<"${listed[$b]}"; then found=1; fi
    done
    [ "$found" = 1 ] && echo "$b"
  done
}

caught=0 missed=0
printf '%-58s %s\n' "FAULT" "RESULT"
for entry in "${faults[@]}"; do
  IFS='~' read -r name file expression filter <<<"$entry"
  grep -Eq "$only" <<<"$name" || continue
  cp "$tree/$file" "$scratch/original"
  sed -i -e "$expression" "$tree/$file" 2>"$scratch/sed.log" || true
  if cmp -s "$tree/$file" "$scratch/original"; then
    printf '%-58s %s\n' "$name" "PLANT FAILED (the sed changed nothing)"
    missed=$((missed + 1))
    continue
  fi
  mapfile -t targets < <(binaries_for "$filter")
  failed=()
  if [ "${#targets[@]}" = 0 ]; then
    :
  elif ! cmake --build "$build" -j2 --target "${targets[@]}" >"$scratch/fault-build.log" 2>&1; then
    cp "$scratch/original" "$tree/$file"
    printf '%-58s %s\n' "$name" "BUILD FAILED (the planted fault does not compile)"
    missed=$((missed + 1))
    continue
  else
    for b in "${targets[@]}"; do
      status=0
      out=$(timeout 300 "$(bin_of "$b")" --gtest_filter="$filter" 2>&1) || status=$?
      mapfile -t more < <(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_]*\.[A-Za-z0-9_/]*\).*/\1/p' <<<"$out" |
                          sort -u)
      # A test that crashes names no failure: the one that was running when it did.
      if [ "${#more[@]}" = 0 ] && [ "$status" != 0 ]; then
        more=("$(sed -n 's/^\[ RUN      \] //p' <<<"$out" | tail -n 1) (crashed, status $status)")
      fi
      failed+=("${more[@]}")
    done
  fi
  cp "$scratch/original" "$tree/$file"
  if [ "${#failed[@]}" -gt 0 ]; then
    printf '%-58s caught by %s\n' "$name" "$(IFS=' '; echo "${failed[*]}")"
    caught=$((caught + 1))
  else
    printf '%-58s NOT CAUGHT (%s in %s)\n' "$name" "$filter" "${targets[*]:-no binary}"
    missed=$((missed + 1))
  fi
done
echo "$caught caught, $missed not"
[ "$missed" = 0 ]
