#!/usr/bin/env bash
# Installs the Debian packages Kestrafix needs; only what is missing.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsqlite3-dev sqlite3 libicu-dev libfmt-dev libcli11-dev
  libpq-dev postgresql
  mdbtools-dev mdbtools
  qt6-base-dev libgl-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth jq
  help2man librsvg2-bin desktop-file-utils appstream dpkg-dev file
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  apt_install() {
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@"
  }
  $sudo_cmd apt-get update -qq
  # The tests and benchmarks start throw-away servers of their own: installing postgresql must
  # not make and start a server of the machine as well.
  if [[ " ${missing[*]} " == *" postgresql "* ]]; then
    apt_install postgresql-common
    conf=/etc/postgresql-common/createcluster.conf
    $sudo_cmd sed -ri 's/^#? *(create_main_cluster)\b.*$/\1 = false/' "$conf"
    # A file without the line (another release's) gets it.
    grep -q '^create_main_cluster = false' "$conf" || echo 'create_main_cluster = false' | $sudo_cmd tee -a "$conf" >/dev/null
  fi
  apt_install "${missing[@]}"
fi
