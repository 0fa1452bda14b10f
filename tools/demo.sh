#!/usr/bin/env bash
# The main job on the bundled example: what `make demo` runs.
# Usage: demo.sh ZELVAN [EXAMPLES]   (default: the examples folder of this repository;
# an installed zelvan has its own in <prefix>/share/doc/zelvan/examples)
set -euo pipefail
zelvan=$(realpath "$1")
examples=$(realpath "${2:-$(dirname "$0")/../examples}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Work on a copy, so the example stays as it is.
cp -rp "$examples" "$work/examples"
cd "$work/examples"
echo "== zelvan on the example (copied to $work/examples)"
run() { echo "\$ zelvan $*"; "$zelvan" "$@"; echo; }

echo "== profile files"
run ini sections Motor/Motor.kbp
run ini keys Motor/Motor.kbp 'PROJECT!MACRO!Debug'
run ini get Motor/Motor.kbp PROJECT CPU
run ini get Motor/Motor.kbp PROJECT Missing --default '(none)'

echo "== the toolchain"
run cpu list
run cpu show MX-520
run options format --cpu MX-520 --table compiler -- -I ..\\include -O2 -g -w1
run scan Motor/motor.h

echo "== the workspace"
run projects
run get Motor Debug compile
run get Motor Debug link
run set Motor Debug output '.\bin'
run get Motor Debug link
run target add Sensor Release Trace
run get Sensor Trace output
run link add Sensor MathLib
run projects
run activate Sensor Trace
run target remove Sensor Trace
run link remove Sensor MathLib

echo "== the files of a project"
run files Motor --target Debug
printf 'int pwm_duty;\n' > Motor/pwm.c
run add-file Motor Motor/pwm.c
run file-set Motor Release pwm.c compile -- '-O3 -DPWM'
run file-set Motor Debug Motor.lcf nolcf 1
run files Motor --target Release
echo "\$ zelvan get Motor Final compile    (fails: no such target)"
"$zelvan" get Motor Final compile || echo "(exit status $?)"

echo "== makefiles"
echo "\$ zelvan makefile --check    (exit status 1: no makefile written yet)"
"$zelvan" makefile --check || echo "(exit status $?)"
echo
run makefile
run makefile MathLib
run makefile Motor
run makefile --check
run makefile Motor --target Debug --stdout
run build-makefile Motor Debug --pre-build
run build-step Motor Debug after-build
echo "== a real build with GNU make and the stub toolchain of the demo installation"
echo "\$ zelvan makefile --gnu Motor --alone --stdout | head -12"
"$zelvan" makefile --gnu Motor --alone --stdout | sed -n 1,12p
echo
run build Motor
echo "\$ cat Motor/bin/Motor.abs    (the link options name .\\bin since the set above)"
cat Motor/bin/Motor.abs
echo
run build Motor --target Release
run build Motor --target Release
run compile-commands Motor --target Debug
run clean Motor
echo "== new projects, copies and new names"
run new Pump --cpu MX-520/R1
run new Probe --cpu MR44 --type full
echo "\$ head -12 Probe/link.lcf"
head -12 Probe/link.lcf | tr -d '\r'
echo
run copy Motor
run link add Sensor Pump
run rename Pump Valve
run projects

echo "== include dependencies"
run deps --all
run deps show Motor main.c
run deps show Motor startup.asm
run deps show MathLib filter.c --target Release
echo "\$ head -8 Motor/Motor.kde"
head -8 Motor/Motor.kde | tr -d '\r'
echo
# A header of the shared include folder changes: the next refresh scans the
# sources that include it, and reports the include it cannot find.
sleep 1
printf '#include "missing.h"\n' >> include/board.h
run --verbose deps Motor
run deps show Motor main.c

echo "== the component module, called by name as a script would"
# A registry file of the demo's own, so the user's stays as it is.
export ZELVAN_REGISTRY="$work/registry.ini"
run register
run call Version.Method7
echo "\$ zelvan call Service.GetProjectInfo --long 2 \"\" \"\"    (fails: no workspace is open)"
"$zelvan" call Service.GetProjectInfo --long 2 "" "" || echo "(exit status $?)"
echo
run -w Example.kws call Service.GetProjectInfo --long 2 "" ""
run -w Example.kws call Service.GetCpuInfo --long 1 MX-520 --empty
run -w Example.kws call --save Service.SetProjectInfo --long 9 Motor "Source Files" "c;cpp"
run ini get Motor/Motor.kbp "Source Files" FILTER
run unregister
