#!/usr/bin/env bash
# Runs bench_morning_sync (or the benchmark that VELUNORA_BENCH names, such as bench_morning) on a
# stand-in for an SD card in a USB reader: the generated cards copied onto a FAT32 file system
# (ext4 where the kernel has no FAT) in a loop device whose reads are throttled (40 MB/s unless
# given), the page cache dropped before every import. Root only; needs
# losetup, mkfs.vfat (dosfstools) or mkfs.ext4, and the cgroup-v1 blkio controller.
#
#   bench/card_reader.sh [MB_PER_SECOND] [benchmark options…]
#
# The image is kept in build/card-reader/ between runs (copying the cards takes minutes).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rate="${1:-40}"
shift || true
bench="$root/build/release/bench/${VELUNORA_BENCH:-bench_morning_sync}"
cards="$root/build/bench-cards"
work="$root/build/card-reader"
image="$work/card.img"
mountpoint="$work/mount"
blkio=/sys/fs/cgroup/blkio

if grep -qw vfat /proc/filesystems; then
    filesystem=vfat
    format=(mkfs.vfat -F 32 -n VELUNORA)
else
    filesystem=ext4
    format=(mkfs.ext4 -q -L VELUNORA)
fi
for tool in losetup "${format[0]}" mount; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
[[ $(id -u) -eq 0 ]] || { echo "root only: the page cache is dropped and a device mounted" >&2; exit 1; }
[[ -x "$bench" ]] || { echo "build $(basename "$bench") in build/release first" >&2; exit 1; }
for nights in 365 1095; do
    # The benchmark generates the cards it does not find.
    [[ -d "$cards/card-$nights-nights/.complete" ]] || "$bench" --benchmark_filter="firstSync/$nights" >/dev/null
done

mkdir -p "$work" "$mountpoint"
device="$(losetup --find --show "$image" 2>/dev/null || true)"
cleanup() {
    umount "$mountpoint" 2>/dev/null || true
    [[ -n "$device" ]] && losetup --detach "$device" 2>/dev/null || true
    [[ -d "$blkio/velunora-card-reader" ]] && rmdir "$blkio/velunora-card-reader" 2>/dev/null || true
}
trap cleanup EXIT

if [[ ! -f "$work/.complete" ]]; then
    [[ -n "$device" ]] && losetup --detach "$device"
    bytes=$(du -sb "$cards/card-365-nights" "$cards/card-1095-nights" | awk '{ s += $1 } END { printf "%.0f", s }')
    truncate --size=$((bytes * 12 / 10 + (512 << 20))) "$image"
    "${format[@]}" "$image" >/dev/null
    device="$(losetup --find --show "$image")"
    mount -t "$filesystem" "$device" "$mountpoint"
    cp -r "$cards/card-365-nights" "$cards/card-1095-nights" "$mountpoint/"
    umount "$mountpoint"
    touch "$work/.complete"
fi
mount -t "$filesystem" "$device" "$mountpoint"

# Reads of the loop device, and only those, at the rate of a card reader.
numbers="$(lsblk --nodeps --noheadings --output MAJ:MIN "$device" | tr -d ' ')"
mkdir -p "$blkio/velunora-card-reader"
echo "$numbers $((rate * 1000 * 1000))" >"$blkio/velunora-card-reader/blkio.throttle.read_bps_device"
echo "card reader: $device ($numbers) at $rate MB/s, $filesystem at $mountpoint"

(
    echo $BASHPID >"$blkio/velunora-card-reader/cgroup.procs"
    VELUNORA_BENCH_COLD=1 VELUNORA_BENCH_CARD_FOLDER="$mountpoint" exec "$bench" "$@"
)
