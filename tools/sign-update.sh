#!/bin/sh
# Signs a setup package for the online updater: writes FILE.sig, the 64-byte
# detached Ed25519 signature that the updater fetches from the package's
# address + ".sig" and checks against the key built into it.
#   tools/sign-update.sh KEY FILE       KEY: the private key (PEM)
#   tools/sign-update.sh --public KEY   prints the public key in hex, for
#                                       -DKQ_UPDATE_PUBLIC_KEY=…
# A key pair: openssl genpkey -algorithm ed25519 -out update-key.pem
set -eu

usage() {
    echo "usage: $0 KEY FILE | $0 --public KEY" >&2
    exit 2
}

public_hex() {
    # The DER form ends with the 32 raw key bytes.
    openssl pkey -in "$1" -pubout -outform DER | tail -c 32 | od -An -v -tx1 | tr -d ' \n'
}

[ $# -eq 2 ] || usage
if [ "$1" = "--public" ]; then
    public_hex "$2"
    echo
    exit 0
fi
key=$1
file=$2
[ -f "$key" ] || { echo "$0: no key file $key" >&2; exit 1; }
[ -f "$file" ] || { echo "$0: no file $file" >&2; exit 1; }
if [ "$(openssl pkey -in "$key" -noout -text 2>/dev/null | head -n 1)" != "ED25519 Private-Key:" ]; then
    echo "$0: $key is not an Ed25519 private key" >&2
    exit 1
fi

# Written beside the package under a temporary name, checked, then renamed:
# a failed run leaves no signature that does not match.
tmp="$file.sig.tmp.$$"
trap 'rm -f "$tmp" "$tmp.pub"' EXIT
openssl pkeyutl -sign -inkey "$key" -rawin -in "$file" -out "$tmp"
openssl pkey -in "$key" -pubout -out "$tmp.pub"
openssl pkeyutl -verify -pubin -inkey "$tmp.pub" -rawin -in "$file" -sigfile "$tmp" >/dev/null
mv -f "$tmp" "$file.sig"
echo "$file.sig  (public key $(public_hex "$key"))"
