// Number rules shared by every subsystem of Orvane.
//
// Map of this library:
//   rounding.h      half-even rounding to n decimals (every rounding of the system) and Int.
//   number_text.h   the US number parser used by the fields and the driver, the picture
//                   formatter of the display formats ("##,###,##0.00", "#0.000", ...), the
//                   results text and the shortest decimal text of an age.
//   number_entry.h  NumberEntry: a field's text turned into a number inside its bounds.
//
// Nothing here reads a field or keeps state; every function is pure.
#pragma once

#include "numbers/number_entry.h"
#include "numbers/number_error.h"
#include "numbers/number_text.h"
#include "numbers/rounding.h"
