#!/bin/sh
# Installs the Debian packages given as arguments that are not installed yet.
# As root it runs apt-get (updating the package lists once); otherwise it
# prints the command to run.
set -eu
missing=""
for pkg in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $pkg" ;;
    esac
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing"
    echo "Install them with: sudo apt-get update && sudo apt-get install -y$missing"
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
