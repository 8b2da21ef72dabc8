#!/usr/bin/env bash
# AVX2 instructions appear only in the AVX2 objects (imaging/x86/*Avx2.cpp):
# every other object of a static library is disassembled and must hold no
# YMM or ZMM register and no VEX- or EVEX-encoded instruction, so that code
# reached without asking the processor runs on any x86 with SSE.
# Usage: check-avx2-objects.sh OBJDUMP LIBRARY...
set -euo pipefail
objdump=$1
shift

for library in "$@"; do
"$objdump" -d --no-show-raw-insn "$library" | awk '
  # "In archive" headers and member headers: "Name.cpp.o:     file format ..."
  / file format / {
    member = $1
    sub(/:$/, "", member)
    allowed = member ~ /Avx2\.cpp\.o(bj)?$/
    next
  }
  allowed { next }
  # Instruction lines: "  addr:\tmnemonic operands"
  /^ *[0-9a-f]+:\t/ {
    split($0, parts, "\t")
    text = parts[2]
    mnemonic = text
    sub(/ .*/, "", mnemonic)
    vex = mnemonic ~ /^v/ && mnemonic !~ /^(verr|verw|vmcall|vmlaunch|vmresume|vmxon|vmxoff|vmread|vmwrite|vmptrld|vmptrst|vmclear|vmfunc)$/
    if (vex || text ~ /%[yz]mm/) {
      print member ": " text
      found++
    }
  }
  END {
    if (found) {
      print found " AVX instruction(s) outside the AVX2 objects" > "/dev/stderr"
      exit 1
    }
  }
'
echo "no AVX instruction outside the AVX2 objects of $(basename "$library")"
done
