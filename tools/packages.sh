# Installs Debian packages that are missing, and only those: the one place the
# tools call apt-get. Sourced by tools/test.sh, tools/demo.sh, tools/fuzz.sh,
# tools/manual_screenshots.sh, tools/build_manual.sh and tools/package.sh.
# The packages the build and the suites need:
PURVEX_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 fonts-wine
  xvfb xdotool x11-apps imagemagick
  python3
)

# purvex_missing_packages PKG...: the named packages that are not installed.
purvex_missing_packages() {
  local pkg
  for pkg in "$@"; do
    [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) == "install ok installed" ]] || echo "$pkg"
  done
}

# purvex_install_packages PKG...: installs those of the named packages that
# are missing; root installs directly, a normal user through sudo.
purvex_install_packages() {
  local missing
  mapfile -t missing < <(purvex_missing_packages "$@")
  ((${#missing[@]})) || return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  if [[ $(id -u) != 0 ]]; then
    command -v sudo >/dev/null || { echo "need root to install ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null || return 1
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null || return 1
}

# Everything the build and the suites need.
purvex_ensure_packages() { purvex_install_packages "${PURVEX_PACKAGES[@]}"; }
