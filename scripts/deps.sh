# Installs the Debian packages the build and the tests need, once: a second
# call finds them all present and returns at once.
vantor_packages=(cmake ninja-build g++ libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev fonts-liberation hp2xx desktop-file-utils
  poppler-utils libopenmpi-dev openmpi-bin libgsl-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib python3-pandas
  libhdf5-dev python3-h5py python3-hdmf libsleef-dev)

vantor_install_deps() {
  local missing=()
  for p in "${vantor_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

vantor_build() {
  # A compiler cache, when the machine has one, makes rebuilds of several
  # checkouts cheap; paths are taken relative to the checkout.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$PWD"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
  cmake --build build -j "$(nproc)"
}
