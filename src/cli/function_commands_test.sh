#!/usr/bin/env bash
# Runs `zelvan functions` on a copy of the example workspace: the listing,
# the function database files --refresh writes and a listing reads back, a changed source
# parsed again, the tags format, and bad requests refused with a message
# (the unit tests hold damaged databases).
# Usage: function_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

all='MathLib/fixmath.c(3): q15_sat(s32 value)
MathLib/fixmath.c(14): q15_mul(q15 a,q15 b)
MathLib/filter.c(3): lowpass_init(lowpass * f,q15 alpha)
MathLib/filter.c(9): lowpass_step(lowpass * f,q15 sample)
Motor/main.c(6): board_init(void)
Motor/main.c(11): timer_isr(void)
Motor/main.c(17): main(void)
Motor/motor.c(10): motor_init(void)
Motor/motor.c(17): motor_set_speed(q15 speed)
Motor/motor.c(22): motor_tick(void)
Sensor/main.c(6): board_init(void)
Sensor/main.c(11): main(void)
Sensor/adc.c(9): adc_init(void)
Sensor/adc.c(14): adc_read(u8 channel)'

# Listing leaves the project tree as it is; --refresh writes the databases.
check "functions" 0 "$all" -- "$zelvan" functions
for p in MathLib Motor Sensor; do
  [ ! -e "$p/$p.kfv" ] || fail "functions: listing wrote $p/$p.kfv"
done
check "functions --refresh" 0 "$all" -- "$zelvan" functions --refresh
for p in MathLib Motor Sensor; do
  [ -s "$p/$p.kfv" ] || fail "functions: $p/$p.kfv was not written"
done
grep -q '^DATA0=3;void;motor_init;10;1;void;'$'\r''$' Motor/Motor.kfv ||
  fail "functions: Motor.kfv lacks motor_init: $(cat Motor/Motor.kfv)"

# Nothing changed: everything is read back, nothing written.
cp Motor/Motor.kfv "$work/Motor.kfv"
check "functions again" 0 "$all" -- "$zelvan" -v functions
stderr_has "functions again" "0 sources parsed, 13 read from the function database"
cmp -s Motor/Motor.kfv "$work/Motor.kfv" || fail "functions again: Motor.kfv was rewritten"

# One changed source is parsed again; named files are listed alone.
sleep 1
printf 'static int clamp(int v)\n{\n    return v;\n}\n' >> Motor/motor.c
check "changed source" 0 'Motor/motor.c(10): motor_init(void)
Motor/motor.c(17): motor_set_speed(q15 speed)
Motor/motor.c(22): motor_tick(void)
Motor/motor.c(27): clamp(int v)' -- "$zelvan" -v functions Motor Motor/motor.c
stderr_has "changed source" "1 sources parsed, 0 read"
check "refresh" 0 '!_TAG_FILE_FORMAT	2	/extended format; --format=1 will not append ;" to lines/
!_TAG_FILE_SORTED	1	/0=unsorted, 1=sorted, 2=foldcase/
!_TAG_PROGRAM_NAME	zelvan	//
board_init	Motor/main.c	6;"	f
main	Motor/main.c	17;"	f
timer_isr	Motor/main.c	11;"	f' -- "$zelvan" -v functions --refresh Motor main.c --format ctags
stderr_has "refresh" "1 sources parsed"

# Tags for editors, sorted by name.
check "ctags" 0 '!_TAG_FILE_FORMAT	2	/extended format; --format=1 will not append ;" to lines/
!_TAG_FILE_SORTED	1	/0=unsorted, 1=sorted, 2=foldcase/
!_TAG_PROGRAM_NAME	zelvan	//
adc_init	Sensor/adc.c	9;"	f
adc_read	Sensor/adc.c	14;"	f
board_init	Sensor/main.c	6;"	f
main	Sensor/main.c	11;"	f' -- "$zelvan" functions Sensor --format ctags

# Bad requests.
check "unknown project" 1 "" -- "$zelvan" functions Nope
check "file that takes no part" 1 "" -- "$zelvan" functions Motor startup.asm
stderr_has "file that takes no part" "takes no part in the function database"

finish "functions"
