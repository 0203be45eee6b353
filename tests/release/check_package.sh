#!/usr/bin/env bash
# Packs the Debian package as a release does, from this build's install rules,
# and checks what Debian's tools say of it:
#   check_package.sh CPackConfig.cmake
# - lintian --pedantic reports no tag at all, not even info or pedantic ones;
# - the manual page passes mandoc's lint at the warning level, and has the
#   sections a reader looks for, in the order help2man gives;
# - the changelog's entry is the package's version;
# - packed under umask 000, its folders are still 0755 and nothing in it is
#   writable by others.
set -euo pipefail
config=$1

for tool in cpack dpkg-deb dpkg-parsechangelog lintian mandoc; do
  if ! command -v "$tool" >/dev/null; then
    echo "check_package.sh needs $tool (scripts/install-deps.sh installs it)." >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Under umask 000, so that the package's permissions come from the install
# rules alone, whoever packs it.
(umask 000; cpack --config "$config" -B "$work/out") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/*.deb)
deb=${debs[0]}
status=0

# lintian warns on standard error when run as root; its verdict is its exit code.
if ! lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$deb" \
     2>"$work/lintian.err"; then
  echo "lintian reported the tags above for $(basename "$deb")." >&2
  cat "$work/lintian.err" >&2
  status=1
fi

# No folder but 0755, and nothing that others may write.
loose=$(dpkg-deb -c "$deb" | awk '($1 ~ /^d/ && $1 != "drwxr-xr-x") || ($1 !~ /^l/ && $1 ~ /^.....w|^........w/)')
if [ -n "$loose" ]; then
  echo "The package holds folders other than 0755, or files others may write:" >&2
  echo "$loose" >&2
  status=1
fi

dpkg-deb -x "$deb" "$work/root"
page=$work/root/usr/share/man/man1/tarnwell-cli.1.gz
if ! mandoc -T lint -W warning "$page"; then
  echo "mandoc found the faults above in the manual page." >&2
  status=1
fi
sections=$(zcat "$page" | sed -n 's/^\.SH "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' | paste -sd '|')
expected='NAME|SYNOPSIS|DESCRIPTION|OPTIONS|EXIT STATUS|SECURITY|BUGS|ENVIRONMENT|EXAMPLES|SEE ALSO'
if [ "$sections" != "$expected" ]; then
  echo "The manual page's sections are '$sections', not '$expected'." >&2
  status=1
fi

zcat "$work/root/usr/share/doc/tarnwell-cli/changelog.gz" >"$work/changelog"
entry=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
version=$(dpkg-deb -f "$deb" Version)
if [ "$entry" != "$version" ]; then
  echo "The changelog's entry is version '$entry', the package's '$version'." >&2
  status=1
fi
exit $status
