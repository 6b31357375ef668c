#!/usr/bin/env bash
# Proves the README's two commands on a machine with nothing installed: builds a minimal Debian 12 root
# with debootstrap from the package archive this machine uses, puts a clean clone of the committed tree
# in it, and runs `bash tools/demo.sh` and then `bash tools/run_tests.sh` inside it, with /proc, /dev,
# /dev/shm and a private /tmp mounted. Prints the last lines each command printed and its exit code.
# Everything is unmounted and removed afterwards, also on failure or Ctrl-C. Needs root; takes minutes
# and downloads packages, so it is not part of the test suite.
# Usage: tools/fresh_check.sh [--keep-logs DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
logs=""
if [ "${1:-}" = --keep-logs ]; then
    logs="$(mkdir -p "$2" && cd "$2" && pwd)"
fi
[ "$(id -u)" -eq 0 ] || { echo "fresh_check: needs root (debootstrap, mount, chroot)" >&2; exit 2; }

if ! command -v debootstrap >/dev/null; then
    apt-get update -qq || true  # a mirror mid-sync may fail one list; debootstrap comes from the rest
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi
# The archive this machine installs from.
mirror="$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)"
[ -n "$mirror" ] || mirror="$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)"
[ -n "$mirror" ] || { echo "fresh_check: no Debian archive found in /etc/apt" >&2; exit 2; }

# Not under /tmp: the root gets a private /tmp of its own.
work="$(mktemp -d /var/tmp/cadro-fresh.XXXXXX)"
root="$work/root"

mounted_below() { awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/self/mounts; }
cleanup() {
    local m
    # Deepest first; a lazy unmount when something inside still holds a mount busy.
    for m in $(mounted_below | sort -r); do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
    if [ -n "$(mounted_below)" ]; then
        # Never remove a tree that still has the machine's /dev bound inside it.
        echo "fresh_check: still mounted, left in place: $(mounted_below | tr '\n' ' ')" >&2
        return
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "fresh_check: interrupted" >&2; exit 130' INT TERM HUP

started=$SECONDS
echo "fresh_check: debootstrap bookworm from $mirror into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 || {
    tail -20 "$work/debootstrap.log" >&2
    exit 1
}
# The committed tree only: what a new user clones.
git clone -q --no-hardlinks "$repo" "$root/work/cadro"
echo "fresh_check: clean clone of $(git -C "$repo" rev-parse --short HEAD) in /work/cadro"

mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount -t tmpfs -o mode=1777 shm "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmp "$root/tmp"

status=0
for command in "bash tools/demo.sh" "bash tools/run_tests.sh"; do
    name="${command#bash tools/}"
    log="$work/${name%.sh}.log"
    t0=$SECONDS
    set +e
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 TERM=dumb bash -c "cd /work/cadro && $command" </dev/null >"$log" 2>&1
    code=$?
    set -e
    echo "fresh_check: ---- $command: exit $code after $((SECONDS - t0)) s; its last lines:"
    tail -n 25 "$log" | sed 's/^/    /'
    [ -n "$logs" ] && cp "$log" "$logs/"
    [ "$code" -eq 0 ] || status=1
done
echo "fresh_check: $([ $status -eq 0 ] && echo passed || echo FAILED) in $((SECONDS - started)) s"
exit $status
