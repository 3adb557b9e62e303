# Sourced by ./run and ./test: installs the Debian packages the project needs when any is missing.
MX_PACKAGES="cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth googletest \
libbenchmark-dev libstb-dev imagemagick x11-utils nasm dpkg-dev libjpeg62-turbo-dev libgif-dev libjpeg-turbo-progs \
libwebp-dev webp libpng-dev zlib1g-dev libimage-exiftool-perl nsis zip xserver-xephyr"
mx_ensure_packages() {
  local missing=() p
  for p in $MX_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]} ..."
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures and builds one tree: mx_build DIR [cmake options...] [-- build options...]
mx_build() {
  local dir=$1; shift
  local configure=() build=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do configure+=("$1"); shift; done
  [ $# -gt 0 ] && shift && build=("$@")
  cmake -S . -B "$dir" -G Ninja "${configure[@]}" >/dev/null
  cmake --build "$dir" "${build[@]}"
}
