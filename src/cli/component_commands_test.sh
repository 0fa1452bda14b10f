#!/usr/bin/env bash
# Runs `zelvan call`, `register` and `unregister` on a copy of the example
# workspace: each call loads the component module, connects it to the
# headless host and prints the HRESULT, the out values and the status.
# Usage: component_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"
export ZELVAN_REGISTRY="$work/registry.ini"

after_check() { no_working_copies "$1"; }

check "targets" 0 'HRESULT 0x00000000
out: "Debug;Release;"
status 0x00000000' -- "$zelvan" -w Example.kws call Service.GetProjectInfo --long 6 Motor ""
check "two outs" 0 'HRESULT 0x00000000
out[0]: 1
out[1]: 0
status 0x00000000' -- "$zelvan" call version.method7
check "a list" 0 'HRESULT 0x00000000
out: ["K:\Shared\include", "K:\Tools\MX520\include"]
status 0x00000000' -- "$zelvan" call Service.GetCpuInfo --long 1 MX-520 --empty
check "listed projects" 0 'HRESULT 0x00000000
status 0x00000000' -- "$zelvan" -w Example.kws call Service.Method73 --long 10004 \
  --strings 'Motor;Sensor' --long 0 --empty
check "no workspace" 1 'HRESULT 0x00000001
status 0x40031000: No workspace is open.' -- "$zelvan" call Service.AddLinkProject Motor MathLib
check "wrong argument type" 1 'HRESULT 0x80020005 (argument 1)
status 0x00000000' -- "$zelvan" call Service.GetProjectInfo Motor "" ""
check "unknown method" 2 "" -- "$zelvan" call Service.Nothing
stderr_has "unknown method" "has no method Nothing"
check "unknown object" 2 "" -- "$zelvan" call Nothing.Method8
check "value missing" 2 "" -- "$zelvan" call Service.GetProjectInfo --long
stderr_has "value missing" "--long needs a value"

# A change is kept with --save only.
check "add a target" 0 'HRESULT 0x00000000
status 0x00000000' -- "$zelvan" -w Example.kws call --save Service.AddTarget Motor Debug Trace
check "the target is there" 0 '.\Trace' -- "$zelvan" get Motor Trace output

# A new project through the Project object: the name and the CPU, then the
# folder, the type and the memory size, each of which may be left out.
check "new library of 128k" 0 'HRESULT 0x00000000
status 0x00000000' -- "$zelvan" -w Example.kws call --save Project.NewProject Gear MX-310/P1 \
  gear lib --long 128
grep -q $'^OUTPUT=Gear.lib\r$' gear/Gear.KBP || fail "new library: not a library"
check "new library: options" 0 '-g -O0 -Nc3' -- "$zelvan" get Gear Debug compile
check "new of a name and a CPU" 0 'HRESULT 0x00000000
status 0x00000000' -- "$zelvan" -w Example.kws call --save Project.NewProject Pump MX-520
grep -q $'^OUTPUT=Pump.abs\r$' Pump.KBP || fail "new of a name and a CPU: not in the workspace folder"
check "new: type left out" 0 'HRESULT 0x00000000
status 0x00000000' -- "$zelvan" -w Example.kws call Project.NewProject Fan MX-520 fan --missing 96
check "new: no size" 1 'HRESULT 0x80004005
status 0x40030005: An argument is not acceptable.' -- "$zelvan" -w Example.kws call \
  Project.NewProject X MX-520 "" abs big

# Registration writes the classes and removes exactly them.
printf '; mine\r\n[Software\\Other]\r\nX=1\r\n' > "$work/registry.ini"
cp "$work/registry.ini" "$work/registry.before"
module=$(dirname "$zelvan")/libzelvan_component.so
check "register" 0 "HRESULT 0x00000000
registered $(realpath "$module")" -- "$zelvan" register
grep -q '^@=Zelvan.Service.1' "$work/registry.ini" || fail "register: no CurVer of Zelvan.Service"
check "through the registry" 0 'HRESULT 0x00000000
out: "COMPONENT"
status 0x00000000' -- "$zelvan" call Connect.GetComponentKind
check "unregister" 0 "HRESULT 0x00000000
unregistered $(realpath "$module")" -- "$zelvan" unregister
cmp -s "$work/registry.ini" "$work/registry.before" || fail "unregister: registry differs"

# A registered module that cannot be loaded gives way to the one beside
# zelvan.
printf '[Software\\Classes\\Zelvan.Connect\\CLSID]\r\n@={6A3F2B11-1C4D-4E5F-8A9B-0C1D2E3F4A51}\r\n' \
  > "$work/registry.ini"
printf '[Software\\Classes\\CLSID\\{6A3F2B11-1C4D-4E5F-8A9B-0C1D2E3F4A51}\\InprocServer32]\r\n@=Z:\\none.so\r\n' \
  >> "$work/registry.ini"
check "a module that is not there" 0 'HRESULT 0x00000000
out: "COMPONENT"
status 0x00000000' -- "$zelvan" call Connect.GetComponentKind
stderr_has "a module that is not there" "cannot be loaded"
# What a method refuses is refused on the command line too: the IDE's
# dialogs take no output directory with a colon.
check "output with a colon" 1 "" -- "$zelvan" set Motor Debug output 'C:\out'
stderr_has "output with a colon" "error 0x000013BF"

finish component
