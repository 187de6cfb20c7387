# Sourced by ./run and ./test: installs the Debian packages the build needs
# (only those missing) and configures the build folder once.

KESSADON_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n qt6-svg-dev libgl-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  libsuitesparse-dev libopenblas-dev libgdal-dev
  fonts-noto-cjk fonts-texgyre fonts-urw-base35
  xvfb xauth poppler-utils lintian
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

# The release build of the product in build/. Its `all`, and so its package,
# is the program alone: the tests build there only by name (they run in
# build-asan). A folder configured before that setting gets it on the next run.
kessadon_build() {
  local options=(-DKESSADON_TESTS_IN_ALL=OFF "$@")
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}"
  elif [ $# -gt 0 ] || ! grep -qx 'KESSADON_TESTS_IN_ALL:BOOL=OFF' build/CMakeCache.txt; then
    cmake -S . -B build "${options[@]}" >/dev/null
  fi
  cmake --build build "${KESSADON_TARGETS[@]}"
}
