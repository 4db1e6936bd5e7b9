#!/usr/bin/env bash
# The disk tier (scripts/disk_tier.py): the program destroys files on NTFS, exFAT and FAT32
# volume images, which are then read as a recovery tool would. Needs root, /dev/fuse and loop
# devices; exits 77 (skipped) without them. Installs the file-system drivers and The Sleuth Kit
# when missing. Only images this script makes are mounted, and they are unmounted again also
# when the tier fails. The tests must be built first (VEXLOR_BUILD_DIR, default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXLOR_BUILD_DIR:-$root/build}
work="$build/disk-tier"

if [ "$(id -u)" -ne 0 ] || [ ! -e /dev/fuse ] || [ ! -e /dev/loop-control ]; then
  echo "the disk tier needs root, /dev/fuse and loop devices" >&2
  exit 77
fi
"$root/scripts/install-deps.sh" ntfs-3g exfat-fuse exfatprogs fusefat dosfstools sleuthkit \
  python3

# Whatever the tier leaves mounted or attached, should it end in the middle.
cleanup() {
  local mounted loop
  for mounted in $(awk -v w="$work/" 'index($2, w) == 1 { print $2 }' /proc/mounts); do
    fusermount -u "$mounted" 2>/dev/null || fusermount -uz "$mounted" 2>/dev/null || true
  done
  for loop in $(losetup -a | grep -F "$work/" | cut -d: -f1); do
    losetup -d "$loop" 2>/dev/null || true
  done
}
trap cleanup EXIT
cleanup
rm -rf "$work"
mkdir -p "$work"
VEXLOR_BUILD_DIR="$build" python3 "$root/scripts/disk_tier.py"
