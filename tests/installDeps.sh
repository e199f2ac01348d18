#!/usr/bin/env bash
# The dependency installer counts only the native architecture's packages: a foreign copy of a
# -dev package (installed for a cross build) must not satisfy it; an "all" package does.
# Arguments: the program (unused), the repository root.
set -u
root=$2
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
# A machine of amd64 where libsdl1.2-dev is present only as arm64, and the caller is not root.
cat >"$fake/dpkg-query" <<'FAKE'
#!/bin/sh
for last; do :; done
case "$last" in
  libsdl1.2-dev) echo "install ok installed arm64" ;;
  libsdl-ttf2.0-dev) printf 'install ok installed arm64\ninstall ok installed amd64\n' ;;
  # As for any "all" package: it answers, but fails on the name with the architecture.
  pkg-config) echo "install ok installed all"; exit 1 ;;
  *) echo "install ok installed amd64" ;;
esac
FAKE
printf '#!/bin/sh\necho amd64\n' >"$fake/dpkg"
printf '#!/bin/sh\necho 1000\n' >"$fake/id"
chmod +x "$fake"/*
output=$(PATH="$fake:$PATH" bash "$root/tools/install-deps.sh" run 2>&1)
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: status $status, expected 1: $output"; exit 1; }
missing=$(sed -n 's/^Missing Debian packages: //p' <<<"$output")
[ "$missing" = "libsdl1.2-dev" ] || { echo "FAIL: reported missing '$missing': $output"; exit 1; }
echo "only the foreign-only package is missing: $missing"
