#!/bin/sh
# Checks the include rules of the source tree (run by make test):
#   scripts/check-layers.sh [--graph] [REPO_DIR]
#
# - The folders of src/ form layers, bottom to top, as listed in LAYERS below.
#   A file includes only headers of its own folder and of folders below it.
#   A new folder under src/ must be given its place in LAYERS.
# - SDL, OpenGL, epoxy and FluidSynth headers are included only in src/platform/
#   (anywhere else in src/ and tools/ is an error; tests and benchmarks may).
# - No `extern` declarations in .cpp files: a variable of another file is
#   reached through that file's header. (`extern "C"` is allowed.)
# - The files' own include graph (src/, tools/, tests/, bench/, fuzz/) has no cycle.
#
# With --graph it prints the include counts between the folders of src/
# instead, highest layer first, and checks nothing.
set -eu

LAYERS="core platform formats sound graphics game screens shell"

graph=0
if [ "${1:-}" = "--graph" ]; then
  graph=1
  shift
fi
cd "${1:-$(dirname "$0")/..}"

files=$(find src tools tests bench fuzz -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)
[ -n "$files" ] || { echo "check-layers: no sources found under $(pwd)" >&2; exit 2; }

# shellcheck disable=SC2086
awk -v layers="$LAYERS" -v graph="$graph" -v filelist="$files" '
function dirname(p,   i) { i = match(p, /\/[^\/]*$/); return i ? substr(p, 1, i - 1) : "." }
# Drops "x/.." and "." steps.
function normal(p,   n, parts, out, i, k) {
  n = split(p, parts, "/"); k = 0
  for (i = 1; i <= n; ++i) {
    if (parts[i] == "." || parts[i] == "") continue
    if (parts[i] == ".." && k > 0 && out[k] != "..") { --k; continue }
    out[++k] = parts[i]
  }
  p = ""
  for (i = 1; i <= k; ++i) p = p (i > 1 ? "/" : "") out[i]
  return p
}
# The file an #include "p" of file `from` names: beside it, under src/, or from the top.
function resolve(p, from,   c) {
  c = normal(dirname(from) "/" p); if (c in known) return c
  c = normal("src/" p); if (c in known) return c
  c = normal(p); if (c in known) return c
  return ""
}
function srcfolder(f,   parts) {
  if (substr(f, 1, 4) != "src/") return ""
  split(f, parts, "/")
  return parts[2]
}
function fail(msg) { print msg > "/dev/stderr"; ++errors }
# Depth-first search for a cycle; on finding one prints it and returns 1.
function visit(f,   list, n, i, g, k, path) {
  state[f] = 1; stack[++depth] = f
  n = split(edges[f], list, " ")
  for (i = 1; i <= n; ++i) {
    g = list[i]
    if (state[g] == 1) {
      path = g
      for (k = depth; k >= 1 && stack[k] != g; --k) path = stack[k] " -> " path
      fail("include cycle: " g " -> " path)
      return 1
    }
    if (state[g] == 0 && visit(g)) return 1
  }
  state[f] = 2; --depth
  return 0
}
BEGIN {
  n = split(layers, order, " ")
  for (i = 1; i <= n; ++i) rank[order[i]] = i
  nfiles = split(filelist, all, "\n")
  for (i = 1; i <= nfiles; ++i) { known[all[i]] = 1; state[all[i]] = 0; edges[all[i]] = "" }
  for (i = 1; i <= nfiles; ++i) {
    f = all[i]; folder = srcfolder(f)
    if (folder != "" && !(folder in rank) && !(folder in unplaced)) {
      unplaced[folder] = 1
      fail("src/" folder "/ has no place in the layer order (LAYERS in scripts/check-layers.sh)")
    }
    line = 0
    while ((getline text < f) > 0) {
      ++line
      if (text ~ /^[ \t]*#[ \t]*include[ \t]*"/) {
        p = text; sub(/^[ \t]*#[ \t]*include[ \t]*"/, "", p); sub(/".*/, "", p)
        target = resolve(p, f)
        if (target == "") continue
        edges[f] = edges[f] " " target
        to = srcfolder(target)
        if (folder != "" && to != "" && folder != to) {
          ++between[folder " " to]
          if ((folder in rank) && (to in rank) && rank[to] > rank[folder])
            fail(f ":" line ": includes " p ", but " folder "/ lies below " to "/ (" layers ")")
        }
      } else if (text ~ /^[ \t]*#[ \t]*include[ \t]*<(SDL|GL\/|epoxy\/|fluidsynth)/) {
        if ((folder != "" && folder != "platform") || substr(f, 1, 6) == "tools/")
          fail(f ":" line ": " text ": SDL, OpenGL, epoxy and FluidSynth belong to src/platform/ only")
      } else if (f ~ /\.cpp$/ && text ~ /^[ \t]*extern[ \t]/ && text !~ /^[ \t]*extern[ \t]*"C"/) {
        fail(f ":" line ": extern in a .cpp file: include the header of the file that defines it")
      }
    }
    close(f)
  }
  if (graph) {
    for (i = n; i >= 1; --i) {
      row = ""
      for (j = n; j >= 1; --j)
        if ((order[i] " " order[j]) in between) row = row " " order[j] " (" between[order[i] " " order[j]] ")"
      printf "%-9s->%s\n", order[i], (row == "" ? " nothing" : row)
    }
    exit 0
  }
  for (i = 1; i <= nfiles; ++i) if (state[all[i]] == 0 && visit(all[i])) break
  if (errors) { printf "check-layers: %d problem(s)\n", errors > "/dev/stderr"; exit 1 }
  printf "check-layers: %d files, layers %s: no problems\n", nfiles, layers
}'
