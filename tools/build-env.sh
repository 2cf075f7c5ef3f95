# Shared set-up of ./test.sh and ./run.sh: packages, configuration and builds.
# Sourced, not run.

LUMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build needs.
LUMORA_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  libsqlite3-dev liblnk-utils
  libpng-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  libjpeg62-turbo-dev libjpeg-turbo-progs
  libsdl2-dev xvfb xdotool x11-utils x11-xserver-utils openbox imagemagick python3
  librsvg2-bin fonts-comfortaa fonts-quicksand fonts-dancingscript fonts-lobster
  tidy
  desktop-file-utils xdg-utils shared-mime-info libglib2.0-bin makeself
  xclip
)

lumora_install_packages() {
  local missing=()
  local package
  for package in "${LUMORA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# lumora_configure FOLDER [ENV=VALUE ...] [-DOPTION=VALUE ...]
lumora_configure() {
  local folder=$1
  shift
  local envs=() options=()
  local arg
  for arg in "$@"; do
    case "$arg" in
      -*) options+=("$arg") ;;
      *) envs+=("$arg") ;;
    esac
  done
  local generator=(-G Ninja)
  # A folder configured before keeps its generator and compiler.
  [ -f "$LUMORA_ROOT/$folder/CMakeCache.txt" ] && generator=()
  env "${envs[@]}" cmake -S "$LUMORA_ROOT" -B "$LUMORA_ROOT/$folder" "${generator[@]}" "${options[@]}" >/dev/null
}

lumora_build() {
  echo "== building $1"
  cmake --build "$LUMORA_ROOT/$1"
}

# build/bin holds the tools of the normal build.
lumora_link_bin() {
  ln -sfn normal/bin "$LUMORA_ROOT/build/bin"
}
