#!/usr/bin/env bash
# Instructions needed to turn a 256 KiB image in Intel HEX (16-byte records, segment records)
# into the flat binary, counted by callgrind for hex2fls, objcopy and srec_cat in the same run
# and reported as ratios. Goals: hex2fls at most a third of objcopy and a tenth of srec_cat.
# Usage: bench/hex_convert.sh BUILD_DIR   (exit status 1 when a goal is missed)
set -euo pipefail
build=${1:?build directory}
hex2fls=$build/tools/hex2fls
[ -x "$hex2fls" ] || { echo "missing $hex2fls"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

head -c 262144 /dev/urandom >"$work/image.bin"
srec_cat "$work/image.bin" -Binary -o "$work/in.hex" -Intel -address-length=3 -obs 16

# instructions NAME COMMAND...: total instructions of the command and its children.
instructions() {
    local name=$1; shift
    valgrind --tool=callgrind --callgrind-out-file="$work/$name.out" "$@" \
        >/dev/null 2>"$work/$name.log" || { cat "$work/$name.log"; exit 1; }
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/$name.log" | tail -1
}

ours=$(instructions hex2fls "$hex2fls" "$work/in.hex" "$work/out.fls")
objcopy_ir=$(instructions objcopy objcopy -I ihex -O binary --gap-fill 0xFF "$work/in.hex" \
    "$work/objcopy.bin")
srec_ir=$(instructions srec_cat srec_cat "$work/in.hex" -Intel -fill 0xFF 0 0x40000 \
    -o "$work/srec.bin" -Binary)

# The three must have produced the same image, or the comparison means nothing.
tail -c +5 "$work/out.fls" | cmp -s - "$work/srec.bin" || { echo "images differ"; exit 1; }

lines=$(wc -l <"$work/in.hex")
awk -v lines="$lines" -v o="$ours" -v c="$objcopy_ir" -v s="$srec_ir" 'BEGIN {
    printf "input: 256 KiB image as Intel HEX, 16-byte records, %d lines\n", lines
    printf "hex2fls   %12d instructions\n", o
    printf "objcopy   %12d instructions  hex2fls/objcopy  = %.3f (goal <= 0.333)\n", c, o / c
    printf "srec_cat  %12d instructions  hex2fls/srec_cat = %.3f (goal <= 0.100)\n", s, o / s
    exit !(o * 3 <= c && o * 10 <= s)
}'
