# Sourced by the run and test scripts: installs the Debian 12 packages Lumora needs, skipping
# apt-get entirely when everything is already there. Run from the top folder.
# Every scripts/packages/*.txt lists packages, one a line; "#" starts a comment. One file per area,
# so work on different areas never edits the same list.
LUMORA_PACKAGES=$(cat scripts/packages/*.txt 2>/dev/null | sed 's/#.*//' | tr -s ' \n' ' ')

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
