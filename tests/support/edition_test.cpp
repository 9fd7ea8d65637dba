// Tests run with the Simplified edition's facts; a test may change them and
// must put them back.
#include "base/edition.h"

EditionFacts gEdition = {
    kEditionSimplified, true, 134, "\xCB\xCE\xCC\xE5", 0x0500, "v2.02", "D:\\KYV3E\\Simp\\",
};
