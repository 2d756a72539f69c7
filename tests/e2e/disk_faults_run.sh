#!/usr/bin/env bash
# Update runs whose installation folder is on a small file system of its own
# (a tmpfs, reached through Wine's Z: drive): full before a cabinet is saved
# whole, full in the middle of the extraction, and read-only. Each ends in
# its error box and exit code 0, starts nothing, keeps every product file as
# it was or as published, and leaves no half-written cabinet or file taking
# up the space. Needs to mount a tmpfs (root): skipped (77) where it can't.
source "$(dirname "$0")/lib.sh"
e2e_begin disk_faults_run

disk=$E2E_DIR/disk
mkdir -p "$disk"
if ! mount -t tmpfs -o size=32m zq-e2e "$disk" 2>/dev/null; then
  echo "SKIP: cannot mount a tmpfs here (needs root and mount rights)"
  exit 77
fi
e2e_exit_hooks+=("umount '$disk'")
E2E_APP=$disk/app
source "$(dirname "$0")/faults_lib.sh"
fault_serve "$E2E_DIR/site"

# leave_free KIB: shrinks the file system to what it holds now plus KIB.
leave_free() {
  local used
  used=$(df -k --output=used "$disk" | tail -n 1)
  mount -o remount,size=$((used + $1))k "$disk"
}
cab_kib=$(( ($(stat -c %s "$E2E_DIR/site/BinZQ/b.cab") + 1023) / 1024 ))
a_kib=$(( ($(stat -c %s "$E2E_DIR/site/BinZQ/a.cab") + $(stat -c %s "$product/a.dll") + 2047) / 1024 ))

# Full before b.cab is saved whole: a.dll is in, b.cab's start is removed.
mount -o remount,size=32m "$disk"
fresh_app
leave_free $((a_kib + cab_kib / 2))
fault_run "Stream write error"
expect_files a.dll=new b.cab=gone b.dat=gone c.dll=old DeskZQ.exe=old
e2e_note "full at the cabinet passed"

# Room for b.cab, not for b.dat: the file comes out short (the setup
# library says nothing of it), the extraction is retried, then reported;
# the part of b.dat written is removed.
mount -o remount,size=32m "$disk"
fresh_app
leave_free $((a_kib + cab_kib + cab_kib / 2))
start=$SECONDS
fault_run "Arquivo: $(winepath_w "$app")\\b.cab => b.dat"
grep -qF "Arquivo incompleto depois da extração: $(winepath_w "$app")\\b.dat (" "$E2E_DIR/last_box.out" ||
  e2e_fail "the short file was not named: $(cat "$E2E_DIR/last_box.out")"
[ $((SECONDS - start)) -ge 6 ] || e2e_fail "the extraction was not retried"
expect_files a.dll=new b.dat=gone c.dll=old DeskZQ.exe=old
e2e_note "full in the extraction passed"

# Read-only: the first cabinet can't be created.
mount -o remount,size=32m "$disk"
fresh_app
mount -o remount,ro "$disk"
fault_run "Cannot create file $(winepath_w "$app")\\a.cab"
expect_files a.dll=old a.cab=gone c.dll=old DeskZQ.exe=old
mount -o remount,rw "$disk"
e2e_note "read-only passed"
fault_stop
e2e_note "disk faults passed"
