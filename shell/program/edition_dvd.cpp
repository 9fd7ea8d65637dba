// Edition facts of the Traditional-Chinese DVD edition.
#include "base/edition.h"

EditionFacts gEdition = {
    kEditionTraditional,
    false,
    136,
    "\xB2\xD3\xA9\xFA\xC5\xE9", // the Ming face, Big5 bytes
    0x0700,
    "v2.03",
    "D:\\KYV3E\\Dvd\\",
};
