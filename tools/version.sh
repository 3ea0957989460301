# The program's version texts, all derived from resources/version.h, the one
# place that holds the version. Sourced by tools/package.sh and
# tools/build_manual.sh.
#
#   purvex_file_version    FileVersion as the resource carries it: "1, 0, 2, 0"
#   purvex_release_text    the About box's release text: "10.20"

purvex_version_field() { # NAME (MAJOR, MINOR, PATCH, BUILD)
  local root=${PURVEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
  sed -nE "s/^#define PURVEX_VERSION_$1 ([0-9]+)$/\\1/p" "$root/resources/version.h"
}

purvex_file_version() {
  local major minor patch build
  major=$(purvex_version_field MAJOR) minor=$(purvex_version_field MINOR)
  patch=$(purvex_version_field PATCH) build=$(purvex_version_field BUILD)
  [[ -n $major && -n $minor && -n $patch && -n $build ]] || return 1
  printf '%s, %s, %s, %s\n' "$major" "$minor" "$patch" "$build"
}

# The About box's rule: commas out, then spaces out, a point after the second
# character (at the end when shorter), then one leading "0" dropped.
purvex_release_from_file_version() { # FILEVERSION
  local text=${1//,/}
  text=${text// /}
  [[ -n $text ]] || return 1
  if ((${#text} >= 2)); then text=${text:0:2}.${text:2}; else text=$text.; fi
  [[ $text == 0* ]] && text=${text:1}
  printf '%s\n' "$text"
}

purvex_release_text() {
  local file_version
  file_version=$(purvex_file_version) || return 1
  purvex_release_from_file_version "$file_version"
}
