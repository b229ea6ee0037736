#!/usr/bin/env bash
# Does this machine's kernel run 32-bit programs?  Prints one line: "yes",
# or "no: <why>".  Machines of the same kind differ here, and nothing 32-bit
# (Debian's 32-bit Wine included) can run where the answer is no.
#
# The question is answered by the kernel itself in a millisecond: a 32-bit
# Linux program of three instructions that exits with code 42 through the
# 32-bit system call gate, assembled and linked with binutils' own as and ld.
set -uo pipefail

dir=$(mktemp -d) || { echo "no: cannot make a temporary folder for the probe"; exit 0; }
trap 'rm -rf "$dir"' EXIT

printf '.globl _start\n_start: movl $1,%%eax; movl $42,%%ebx; int $0x80\n' >"$dir/probe.s"
if ! as --32 "$dir/probe.s" -o "$dir/probe.o" 2>"$dir/err" ||
   ! ld -m elf_i386 "$dir/probe.o" -o "$dir/probe" 2>>"$dir/err"; then
  echo "no: the 32-bit probe could not be built ($(head -n 1 "$dir/err"))"
  exit 0
fi
"$dir/probe" 2>"$dir/run"
result=$?
if [ $result -eq 42 ]; then
  echo "yes"
else
  why=$(tr -d '\n' <"$dir/run" | sed 's/.*: //')
  echo "no: the kernel does not run 32-bit programs (a 32-bit test program ended with code $result${why:+: $why})"
fi
