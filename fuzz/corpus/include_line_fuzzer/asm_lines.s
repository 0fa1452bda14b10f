  .INCLUDE "Reg.inc" ; comment
include <sfr.inc>
$include(x.inc)
