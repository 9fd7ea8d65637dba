// Edition facts of the Simplified-Chinese CD edition.
#include "base/edition.h"

EditionFacts gEdition = {
    kEditionSimplified,
    true,
    134,
    "\xCB\xCE\xCC\xE5", // the Song face, GB2312 bytes
    0x0500,
    "v2.02",
    "D:\\KYV3E\\Simp\\",
};
