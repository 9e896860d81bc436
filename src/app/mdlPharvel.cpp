#include "app/mdlPharvel.h"

namespace mdlPharvel {

void Main() {}

} // namespace mdlPharvel
