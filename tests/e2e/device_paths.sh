#!/usr/bin/env bash
# Device paths as port values on Linux, and what --list shows of a machine.
# - A download to printer-sim's pseudo-terminal named by its path, from the command line and
#   from PORTTYPE, with the serial defaults and -b.
# - --list over a fixture device tree and sysfs tree with a private cupsd: serial ports with
#   their COM names and MIRELITH_COMn mappings, parallel ports, a USB printer with its ids,
#   model and node, the CUPS queues on each device, and (as root, listing as nobody) which
#   group to join for a device the user may not open.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

# The fixture machine: two UARTs of which one has no hardware, a USB serial adapter, a
# parallel port and a USB printer of model 1112 (placeholder ids f0a0:0025) bound to usblp.
DEV="$WORK/dev"
SYS="$WORK/sys"
mkdir -p "$DEV/usb" "$SYS/class/tty/ttyS0" "$SYS/class/tty/ttyS1" "$SYS/bus/usb/devices" \
    "$SYS/bus/usb/drivers/usblp"
for node in ttyS0 ttyS1 ttyUSB0 lp0 usb/lp0; do : >"$DEV/$node"; done
echo 4 >"$SYS/class/tty/ttyS0/type"
echo 0 >"$SYS/class/tty/ttyS1/type"
printer="$SYS/devices/pci0000:00/1-2"
mkdir -p "$printer/1-2:1.0/usbmisc/lp0"
printf 'f0a0\n' >"$printer/idVendor"
printf '0025\n' >"$printer/idProduct"
printf '1\n' >"$printer/busnum"
printf '5\n' >"$printer/devnum"
printf 'PRM1\n' >"$printer/serial"
ln -s "$SYS/bus/usb/drivers/usblp" "$printer/1-2:1.0/driver"
ln -s "$printer" "$SYS/bus/usb/devices/1-2"
export MIRELITH_DEV_ROOT="$DEV" MIRELITH_SYSFS_ROOT="$SYS" MIRELITH_COM7="/dev/pts/77"

if start_private_cupsd optional; then
  lpadmin -p Receipts -E -v "serial:$DEV/ttyUSB0?baud=115200" || fail "cannot add a queue"
  lpadmin -p Tickets -E -v "usb://Maker/T90%20Prime?serial=PRM1" || fail "cannot add a queue"
else
  echo "cupsd not available: the list is checked without queues" >&2
fi

run_mirelith --list
expect_status 0 "--list"
out="$WORK/mirelith.out"
expect_line() {
  grep -qE -- "$1" "$out" || { cat "$out" >&2; fail "--list: no line matching $1"; }
}
expect_line "^  $DEV/ttyS0 +COM1 +can open"
grep -q "ttyS1" "$out" && fail "--list shows a UART without hardware"
expect_line "^  $DEV/ttyUSB0 +- +can open"
expect_line "^  /dev/pts/77 +COM7 \(MIRELITH_COM7\) +missing"
expect_line "^  $DEV/lp0 +LPT1 +can open"
expect_line "^  vid_f0a0&pid_0025  model 1112 \(T90 Prime\)  $DEV/usb/lp0  can open"
expect_line "port name \\\\\\\\\?\\\\usb#vid_f0a0&pid_0025#PRM1#"
expect_line "^  T90 Prime +model 1112"
if [ -n "$CUPS_DIR" ]; then
  # Each queue under its device.
  awk '/ttyUSB0/{f=1;next} /^  \//{f=0} f' "$out" | grep -q "CUPS queue Receipts" ||
    { cat "$out" >&2; fail "--list: Receipts not under $DEV/ttyUSB0"; }
  awk '/^USB printers/{f=1} /^Models/{f=0} f' "$out" | grep -q "CUPS queue Tickets" ||
    { cat "$out" >&2; fail "--list: Tickets not among the USB printers"; }
fi
pass "--list over the fixture machine"

if [ "$(id -u)" -eq 0 ] && getent group dialout >/dev/null && id nobody >/dev/null 2>&1; then
  chgrp dialout "$DEV/ttyUSB0"
  chmod 660 "$DEV/ttyUSB0"
  chmod 755 "$WORK/bin" "$WORK/run" "$DEV"
  (cd "$WORK/run" && runuser -u nobody -- env MIRELITH_DEV_ROOT="$DEV" MIRELITH_SYSFS_ROOT="$SYS" \
      "$MIRELITH" --list) >"$out" 2>&1
  expect_line "^  $DEV/ttyUSB0 +- +no access: join the group dialout"
  pass "--list names the group to join"
fi

unset MIRELITH_DEV_ROOT MIRELITH_SYSFS_ROOT MIRELITH_COM7 CUPS_SERVER
make_image "$WORK/run/fw.fls" 30011
# A device that a port name leads to is that port: here COM3, mapped to the pseudo-terminal.
start_sim --pty
MIRELITH_COM3="$SIM_PTY" run_mirelith -s -m "T90 Prime" -f fw.fls -p "$SIM_PTY" -b 57600
expect_status 0 "download to $SIM_PTY as COM3"
expect_received "$WORK/run/fw.fls"
grep -qF "on COM3 ($SIM_PTY)" "$WORK/mirelith.err" || { cat "$WORK/mirelith.err" >&2; fail "not sent as COM3"; }
pass "command line -p $SIM_PTY (COM3)"

# A device path of no port kind stays invalid, and the value is not upper-cased into one.
run_mirelith -s -m "T90 Prime" -f fw.fls -p /dev/sda
expect_status 1 "-p /dev/sda"
pass "-p /dev/sda is invalid"

# A device no port name leads to is driven as what its path says, here from PORTTYPE.
start_sim --pty
printf '[NUV]\nPORTTYPE=%s\nMODELNAME=KEW_T90\nFWNAME=fw.fls\n' "$SIM_PTY" >"$WORK/run/qemnuv.ini"
run_mirelith
rm "$WORK/run/qemnuv.ini"
expect_status 0 "download to PORTTYPE=$SIM_PTY"
expect_received "$WORK/run/fw.fls"
pass "PORTTYPE=$SIM_PTY"

