# Sourced by the run and test scripts: installs the Debian 12 packages Lumora needs, skipping
# apt-get entirely when everything is already there.
LUMORA_PACKAGES="build-essential cmake ninja-build ccache pkg-config \
  qt6-base-dev qt6-multimedia-dev libgl-dev \
  libjpeg62-turbo-dev libpng-dev zlib1g-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  fonts-dejavu-core fonts-liberation poppler-utils"

lumora_install_deps() {
  missing=""
  for p in $LUMORA_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
}
