#include "navigation/deleted_test.h"

namespace navigation {

template class DeletedTest<ssapi::Automation60>;
template class DeletedTest<ssapi::Automation2005>;

}  // namespace navigation
