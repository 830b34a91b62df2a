#include "navigation/item_logger.h"

namespace navigation {

template class ItemLogger<ssapi::Automation60>;
template class ItemLogger<ssapi::Automation2005>;

}  // namespace navigation
