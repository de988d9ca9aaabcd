#!/usr/bin/env bash
# hex2fls must produce, byte for byte, what srec_cat makes of the same HEX or S-record file
# (filled with 0xFF over the 256 KiB image), for files written by srec_cat and objcopy from
# random images: 16- and 32-byte records, type-02 segments, S1 mixed with S2, S3, gaps and
# data that does not start at 0. Files the converter must refuse are checked to fail.
# Usage: hex_agreement.sh BUILD_DIR
set -euo pipefail
build=${1:?build directory}
hex2fls=$build/tools/hex2fls
[ -x "$hex2fls" ] || { echo "missing $hex2fls"; exit 1; }
command -v srec_cat >/dev/null && command -v objcopy >/dev/null ||
    { echo "srec_cat and objcopy are needed"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

# agree NAME FORMAT FILE: hex2fls's image equals 1B 23 6D 6B + srec_cat's filled binary.
agree() {
    local name=$1 format=$2 file=$3
    srec_cat "$file" "$format" -fill 0xFF 0 0x40000 -o "$work/ref.bin" -Binary 2>/dev/null
    { printf '\033#mk'; cat "$work/ref.bin"; } >"$work/ref.fls"
    checked=$((checked + 1))
    if ! "$hex2fls" "$file" "$work/out.fls"; then
        echo "FAIL $name: hex2fls refused the file"; failures=$((failures + 1)); return
    fi
    if ! cmp -s "$work/ref.fls" "$work/out.fls"; then
        echo "FAIL $name: image differs from srec_cat's"; cmp "$work/ref.fls" "$work/out.fls" | head -1
        failures=$((failures + 1)); return
    fi
    echo "ok   $name"
}

# refuse NAME FILE: hex2fls fails with status 1 and writes no image.
refuse() {
    local name=$1 file=$2 status=0
    rm -f "$work/out.fls"
    checked=$((checked + 1))
    "$hex2fls" "$file" "$work/out.fls" 2>"$work/err" || status=$?
    if [ "$status" -ne 1 ] || [ -e "$work/out.fls" ]; then
        echo "FAIL $name: expected a refusal (status 1, no output), got status $status"
        failures=$((failures + 1)); return
    fi
    echo "ok   $name (refused: $(cat "$work/err"))"
}

for round in 1 2; do
    full=$work/full$round.bin
    head -c 262144 /dev/urandom >"$full"
    part=$work/part$round.bin
    head -c 100000 /dev/urandom >"$part"

    for obs in 16 32; do
        # Intel HEX with segment (02) records, as srec_cat and objcopy write it.
        srec_cat "$full" -Binary -o "$work/seg.hex" -Intel -address-length=3 -obs $obs
        agree "r$round srec_cat Intel segments, $obs-byte records" -Intel "$work/seg.hex"
        # S1 below 64 KiB mixed with S2 above.
        srec_cat "$full" -Binary -o "$work/mix.s19" -Motorola -obs $obs
        agree "r$round srec_cat S1+S2, $obs-byte records" -Motorola "$work/mix.s19"
        # S3 throughout.
        srec_cat "$full" -Binary -o "$work/s3.s37" -Motorola -address-length=4 -obs $obs
        agree "r$round srec_cat S3, $obs-byte records" -Motorola "$work/s3.s37"
        # Gaps and a start above 0, in all three forms.
        srec_cat "$part" -Binary -offset 0x1234 -exclude 0x8000 0x9001 -exclude 0x10000 0x10100 \
            -o "$work/gaps.hex" -Intel -address-length=3 -obs $obs
        agree "r$round srec_cat Intel with gaps, $obs-byte records" -Intel "$work/gaps.hex"
        srec_cat "$part" -Binary -offset 0x20000 -exclude 0x21000 0x22000 \
            -o "$work/gaps.s19" -Motorola -obs $obs
        agree "r$round srec_cat S2 at 0x20000 with a gap, $obs-byte records" -Motorola "$work/gaps.s19"
        srec_cat "$part" -Binary -offset 0x7 -exclude 0x100 0x200 \
            -o "$work/gaps.s37" -Motorola -address-length=4 -obs $obs
        agree "r$round srec_cat S3 at 7 with a gap, $obs-byte records" -Motorola "$work/gaps.s37"
    done

    # objcopy's own writers.
    objcopy -I binary -O ihex "$full" "$work/objcopy.hex"
    agree "r$round objcopy Intel HEX" -Intel "$work/objcopy.hex"
    objcopy -I binary -O srec "$full" "$work/objcopy.s28"
    agree "r$round objcopy S2" -Motorola "$work/objcopy.s28"
    objcopy -I binary -O srec --srec-forceS3 --change-addresses 0x10 "$part" "$work/objcopy.s37"
    agree "r$round objcopy S3 at 0x10" -Motorola "$work/objcopy.s37"

    # objcopy -O binary starts its output at the file's lowest address, so it is a second
    # reference only for a file that starts at 0 and fills the whole image.
    objcopy -I ihex -O binary "$work/objcopy.hex" "$work/objcopy.bin"
    "$hex2fls" "$work/objcopy.hex" "$work/out.fls"
    checked=$((checked + 1))
    if tail -c +5 "$work/out.fls" | cmp -s - "$work/objcopy.bin"; then
        echo "ok   r$round objcopy -O binary agrees"
    else
        echo "FAIL r$round objcopy -O binary disagrees"; failures=$((failures + 1))
    fi
done

# Linear (04) records are ignored: below 64 KiB that is harmless...
head -c 30000 /dev/urandom >"$work/small.bin"
srec_cat "$work/small.bin" -Binary -o "$work/small04.hex" -Intel -address-length=4
grep -q '^:02000004' "$work/small04.hex" || { echo "FAIL: expected a type-04 record"; exit 1; }
agree "Intel with a type-04 record below 64 KiB" -Intel "$work/small04.hex"
# ...above it the upper half would fold onto the lower half: refused, never sent corrupted.
srec_cat "$work/full1.bin" -Binary -o "$work/linear.hex" -Intel -address-length=4
refuse "Intel above 64 KiB with type-04 records" "$work/linear.hex"
# More data than the image holds, and data beyond its end.
srec_cat "$work/full1.bin" -Binary -offset 1 -o "$work/over.s37" -Motorola -address-length=4
refuse "S3 data one byte past the image" "$work/over.s37"
# Only S1 records: no S2 or S3 record decides the format.
srec_cat "$work/small.bin" -Binary -o "$work/only.s19" -Motorola
refuse "S1 records only" "$work/only.s19"
# A file cut short inside a record header, as srec_cat refuses it too.
{ head -n 20 "$work/small04.hex"; printf ':1007D'; } >"$work/cut.hex"
if srec_cat "$work/cut.hex" -Intel -o /dev/null -Binary 2>/dev/null; then
    echo "FAIL srec_cat took the cut file"; failures=$((failures + 1))
fi
refuse "Intel cut inside a record header" "$work/cut.hex"
{ printf '\177ELF\001\001\001\000'; head -c 4096 "$work/full1.bin"; } >"$work/binary.elf"
refuse "a binary file" "$work/binary.elf"

# Usage errors.
status=0; "$hex2fls" >/dev/null 2>&1 || status=$?
checked=$((checked + 1))
if [ $status -eq 2 ] && "$hex2fls" --help | grep -q '^Usage: hex2fls IN OUT'; then
    echo "ok   usage"
else
    echo "FAIL usage (status $status)"; failures=$((failures + 1))
fi
status=0; "$hex2fls" "$work/seg.hex" "$work/no/such/dir/out.fls" 2>/dev/null || status=$?
checked=$((checked + 1))
if [ $status -eq 3 ]; then echo "ok   unwritable output"; else
    echo "FAIL unwritable output (status $status)"; failures=$((failures + 1)); fi

echo "$checked checks, $failures failures"
[ "$failures" -eq 0 ]
