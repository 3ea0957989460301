# Installs the Debian packages the build and the suites need, only those that
# are missing. Sourced by tools/test.sh and tools/demo.sh.
PURVEX_PACKAGES=(
  cmake ninja-build g++ googletest libgtest-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 fonts-wine
  xvfb xdotool x11-apps imagemagick
  python3
)

purvex_missing_packages() {
  local pkg
  for pkg in "${PURVEX_PACKAGES[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) == "install ok installed" ]] || echo "$pkg"
  done
}

purvex_ensure_packages() {
  local missing
  mapfile -t missing < <(purvex_missing_packages)
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
