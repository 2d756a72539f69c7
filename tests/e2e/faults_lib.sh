# Shared by the fault runs: a product of four files and an older copy of
# it, a misbehaving origin, and the checks every failed run must pass.
# Sourced after lib.sh and e2e_begin; E2E_APP may put the installation
# folder elsewhere (on a small or read-only file system).
product=$E2E_DIR/product
e2e_product "$product" DeskZQ.exe=1.0.0.2 a.dll=2.0 c.dll=2.0
head -c 1200000 /dev/urandom >"$product/b.dat"
e2e_publish "$product" "$E2E_DIR/site"
old=$E2E_DIR/old
e2e_product "$old" DeskZQ.exe=1.0.0.1 a.dll=1.0 c.dll=1.0
app=${E2E_APP:-$E2E_DIR/app}
caption="Atualização do Sistema"

# fault_serve SITE PATH=FAULT...: the misbehaving origin; sets E2E_PORT and
# E2E_ACCESS_LOG (request lines).
fault_serve() {
  local site=$1
  shift
  E2E_PORT=$(e2e_free_port)
  E2E_ACCESS_LOG=$E2E_DIR/requests.log
  : >"$E2E_ACCESS_LOG"
  exec {ready}< <(exec python3 "$E2E_TOP/tests/e2e/fault_server.py" 127.0.0.1 "$E2E_PORT" "$site" "$E2E_ACCESS_LOG" "$@")
  e2e_pids+=($!)
  fault_server_pid=$!
  read -r -t 10 -u "$ready" line && [ "$line" = ready ] || e2e_fail "the fault server did not start"
  exec {ready}<&-
}
fault_stop() {
  kill "$fault_server_pid" 2>/dev/null || true
  wait "$fault_server_pid" 2>/dev/null || true
}

# What exists in the work folder outside the installation folder (the
# test's own logs aside).
outside() {
  (cd "$E2E_DIR" && find . \( -path ./app -o -path ./disk -o -name '*.log' -o -name '*.out' \) -prune -o -print | sort)
}

fresh_app() {
  rm -rf "$app"
  mkdir -p "$app"
  cp "$E2E_SETUPZQ" "$app/SetupZQ.exe"
  cp "$old"/* "$app/"
}

# fault_run EXPECTED_BOX_TEXT: an update run that must end in the error box.
fault_run() {
  local before
  before=$(outside)
  E2E_EXE="$app/SetupZQ.exe" e2e_start_setup xctkd "127.0.0.1:$E2E_PORT"
  e2e_confirm_start
  e2e_expect_box "$1" "$caption"
  e2e_wait_setup 30
  e2e_assert_eq "$(e2e_product_starts | wc -l)" 0 "product started after a failure"
  e2e_assert_eq "$(outside)" "$before" "files outside the installation folder"
}

# expect_files NAME=STATE...: STATE is old (as it was), new (as published)
# or gone.
expect_files() {
  local entry name state
  for entry in "$@"; do
    name=${entry%%=*}
    state=${entry#*=}
    case $state in
      old) e2e_assert_same_file "$app/$name" "$old/$name" ;;
      new) e2e_assert_same_file "$app/$name" "$product/$name" ;;
      gone) [ ! -e "$app/$name" ] || e2e_fail "$name should not be there" ;;
    esac
  done
}

