#!/bin/sh
# The product executable carries no simulator, fake library or demo code; the
# demo executable, built from the same libraries, does (so the check can see them).
# Usage: check_product_clean.sh <product> <demo>
set -u
product="$1"
demo="$2"
symbols='KrelSim::|FakeHid::|RomSim::|PtyLink|ScriptedHotplugSource|DemoRig'
texts='krelsim/|Demo on simulated devices|KRELFW '
status=0
check() { # <file> <expect: 0 none, 1 some> <what> <count>
  if [ "$2" -eq 0 ] && [ "$4" -ne 0 ]; then echo "$1: $4 $3 found"; status=1; fi
  if [ "$2" -eq 1 ] && [ "$4" -eq 0 ]; then echo "$1: no $3 found"; status=1; fi
}
count_syms() { nm -C "$1" 2>/dev/null | grep -cE "$symbols"; }
count_texts() { strings -a "$1" | grep -cE "$texts"; }
needs_hid() { readelf -d "$1" | grep -c 'NEEDED.*libhidapi'; }
needs_fake() { readelf -d "$1" | grep -c 'NEEDED.*libkrel_fakehid'; }
check "$product" 0 "simulator symbols" "$(count_syms "$product")"
check "$product" 0 "simulator texts" "$(count_texts "$product")"
check "$product" 1 "hidapi link" "$(needs_hid "$product")"
check "$product" 0 "fake hidapi link" "$(needs_fake "$product")"
check "$demo" 1 "simulator symbols" "$(count_syms "$demo")"
check "$demo" 1 "simulator texts" "$(count_texts "$demo")"
check "$demo" 0 "hidapi link" "$(needs_hid "$demo")"
check "$demo" 1 "fake hidapi link" "$(needs_fake "$demo")"
[ $status -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
