#!/usr/bin/env bash
# Checks the udev rule: `udevadm verify` where udev has it (systemd 253 and
# later), else a syntax check of every line here; then that it does what the
# package promises (uaccess on the vendor's hidraw nodes, ModemManager kept off
# its serial ports) and that its number sorts before 73-seat-late.rules.
set -euo pipefail
rule="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }

if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify --resolve-names=never "$rule"
else
  key='[A-Z_]+(\{[A-Za-z0-9_.*?-]+\})?'
  op='(==|!=|=|\+=|-=|:=)'
  val='"[^"]*"'
  token="$key$op$val"
  n=0
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    line="${line#"${line%%[![:space:]]*}"}"
    [[ -z "$line" || "$line" == \#* ]] && continue
    [[ "$line" =~ ^$token(,[[:space:]]*$token)*[[:space:]]*$ ]] || fail "$rule:$n: not a rule line: $line"
    for t in $(grep -Eo "$key$op" <<<"$line"); do
      k="${t%%[=!+:-]*}"; k="${k%%\{*}"
      case "$k" in
        ACTION|DEVPATH|KERNEL|KERNELS|NAME|SYMLINK|SUBSYSTEM|SUBSYSTEMS|DRIVER|DRIVERS|ATTR|ATTRS|SYSCTL|ENV|CONST|TAG|TAGS|TEST|PROGRAM|RESULT|OWNER|GROUP|MODE|SECLABEL|RUN|LABEL|GOTO|IMPORT|OPTIONS) ;;
        *) fail "$rule:$n: unknown key $k" ;;
      esac
    done
  done <"$rule"
  # Every GOTO has its LABEL.
  for g in $(grep -Eo 'GOTO="[^"]+"' "$rule" | cut -d'"' -f2); do
    grep -q "LABEL=\"$g\"" "$rule" || fail "GOTO $g without LABEL"
  done
fi

grep -Eq '^SUBSYSTEM=="hidraw".*ATTRS\{idVendor\}=="34b7".*TAG\+="uaccess"' "$rule" || fail "no uaccess for hidraw of 34b7"
grep -Eq '^SUBSYSTEM=="tty".*ATTRS\{idVendor\}=="34b7".*ENV\{ID_MM_DEVICE_IGNORE\}="1"' "$rule" \
  || fail "ModemManager not kept off the serial ports of 34b7"
num="$(basename "$rule" | grep -Eo '^[0-9]+')"
[ -n "$num" ] && [ "$num" -lt 73 ] || fail "the rule must sort before 73-seat-late.rules (uaccess)"
echo "udev rule OK: $rule"
