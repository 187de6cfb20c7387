# Sourced by ./run and ./test: installs the Debian packages the build needs
# (only those missing) and configures the build folder once.

KESSADON_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n qt6-svg-dev libgl-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  libsuitesparse-dev libopenblas-dev libgdal-dev
  fonts-noto-cjk fonts-texgyre fonts-urw-base35
  xvfb xauth poppler-utils
)

kessadon_install_packages() {
  local missing=()
  local package
  for package in "${KESSADON_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
}

# The release build of the product in build/.
kessadon_build() {
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
  elif [ $# -gt 0 ]; then
    cmake -S . -B build "$@" >/dev/null
  fi
  cmake --build build "${KESSADON_TARGETS[@]}"
}
