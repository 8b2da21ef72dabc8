#!/usr/bin/env bash
# SSE2 instructions appear only in the functions of the SSE2 and AVX2 kernels
# (imaging/x86/*Sse2.cpp, *Avx2.cpp), which run only when the processor says
# it has SSE2. The linked product (the DLL, or the .so) is disassembled, and
# every instruction beyond SSE (sse-instructions.txt says which) must lie in a
# kernel function: a static function that the product's symbol table lists
# under a kernel source file, or a global one (made local by the linker or
# not) defined by the kernel objects and by no other object of the layers'
# static libraries (an inline function
# defined in both could be the copy compiled for SSE2). Functions of the
# statically linked runtime count as others. With --planted no function is
# allowed, so the check must find the kernels' instructions: proof that it
# sees them at all.
# Usage: check-sse2-functions.sh [--planted] OBJDUMP NM LIST PRODUCT LIBRARY...
set -euo pipefail
planted=0
if [ "$1" = "--planted" ]; then
  planted=1
  shift
fi
objdump=$1 nm=$2 list=$3 product=$4
shift 4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Global functions defined by the kernel objects only.
"$nm" --defined-only -A "$@" | awk '
  NF >= 3 && $(NF - 1) ~ /^[TW]$/ {
    member = $1
    sub(/:[0-9a-f]+$/, "", member)
    if (member ~ /(Sse2|Avx2)\.cpp\.o(bj)?$/) kernel[$NF] = 1
    else other[$NF] = 1
  }
  END { for (name in kernel) if (!(name in other)) print name }
' > "$tmp/kernel-globals"

# The kernel functions' addresses, from the section headers and the symbol
# table (ELF: "ADDR FLAGS SECTION SIZE NAME", a file symbol before its
# statics; PE/COFF: "[i](sec s)(fl f)(ty t)(scl c) (nx n) 0xVALUE NAME", a
# file record (scl 103) before its object's symbols, values within sections).
{ "$objdump" -h "$product"; echo SYMBOLS; "$objdump" -t "$product"; } | awk \
    -v globals="$tmp/kernel-globals" '
  function hex(s,   i, n) {
    n = 0
    s = tolower(s)
    sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n
  }
  function field(name,   rest) {
    if (!match($0, "\\(" name " *-?[0-9a-fx]+\\)")) return ""
    rest = substr($0, RSTART + length(name) + 1, RLENGTH - length(name) - 2)
    gsub(/ /, "", rest)
    return rest
  }
  # A static function of a kernel file, or a global one (the linker may have
  # made it local) defined by the kernel objects only.
  function emit(address, static, name) {
    if ((static && file ~ /(Sse2|Avx2)(\.c[a-z]*)?$/) || name in kernelGlobal) printf "%.0f\n", address
  }
  BEGIN { while ((getline name < globals) > 0) kernelGlobal[name] = 1 }
  /^SYMBOLS$/ { symbols = 1; next }
  !symbols && $1 ~ /^[0-9]+$/ && NF >= 4 { vma[$1 + 1] = hex($4); next }
  !symbols { next }
  /^\[/ {
    if (field("scl") == "103") { file = $NF; next }
    if (field("ty") != "20") next
    address = vma[field("sec")] + hex($(NF - 1))
    emit(address, field("scl") == "3", $NF)
    next
  }
  /^[0-9a-f]+ / {
    flags = substr($0, length($1) + 2, 7)
    if (substr(flags, 7, 1) == "f") { file = $NF; next }
    if (substr(flags, 7, 1) != "F") next
    emit(hex($1), substr(flags, 1, 1) == "l", $NF)
  }
' > "$tmp/kernel-addresses"
[ "$planted" = 1 ] && : > "$tmp/kernel-addresses"

"$objdump" -d --no-show-raw-insn "$product" | awk -v planted="$planted" -v list="$list" \
    -v kernels="$tmp/kernel-addresses" '
  function hex(s,   i, n) {
    n = 0
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n
  }
  BEGIN {
    while ((getline line < list) > 0) {
      if (line ~ /^#/ || split(line, words, " ") < 2) continue
      for (i = 2; i in words; i++) listed[words[1] " " words[i]] = 1
      delete words
    }
    while ((getline line < kernels) > 0) kernel[line] = 1
  }
  # Function labels: "62d567b0 <name>:". The exception tables the PE linker
  # places in .text are data: disassembled, their bytes make up instructions.
  /^[0-9a-f]+ <.*>:$/ {
    function_name = $2
    address = sprintf("%.0f", hex($1))
    allowed = (address in kernel) || function_name ~ /^<\.gcc_except_table/
    next
  }
  # Instruction lines: "  addr:\tmnemonic operands"
  /^ *[0-9a-f]+:\t/ {
    split($0, fields, "\t")
    text = fields[2]
    mnemonic = text
    sub(/ .*/, "", mnemonic)
    beyond = ("beyond " mnemonic) in listed || text ~ /%[yz]mm/ ||
             (text ~ /%xmm/ && !(("xmm " mnemonic) in listed))
    if (beyond && !allowed) {
      if (!planted) print function_name " " text
      found++
    }
  }
  END {
    if (planted) {
      if (!found) {
        print "no instruction beyond SSE found even with no function allowed" > "/dev/stderr"
        exit 1
      }
      print found " instruction(s) beyond SSE found with no function allowed"
      exit 0
    }
    if (found) {
      print found " instruction(s) beyond SSE outside the SSE2 and AVX2 kernels" > "/dev/stderr"
      exit 1
    }
  }
'
[ "$planted" = 1 ] || echo "no instruction beyond SSE outside the SSE2 and AVX2 kernels of $(basename "$product")"
