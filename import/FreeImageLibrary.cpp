#include "import/FreeImageLibrary.h"

#include <FreeImage.h>

namespace FreeImageLibrary {

void initialise() { FreeImage_Initialise(FALSE); }

void deinitialise() { FreeImage_DeInitialise(); }

} // namespace FreeImageLibrary
