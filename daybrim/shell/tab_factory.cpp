#include "tab_factory.h"

namespace daybrim {

std::unique_ptr<CTab> CreateTabFor(const CSettings&, const TTabDescriptor&) { return nullptr; }

std::unique_ptr<CTabBar> CreateTabBar() { return std::unique_ptr<CTabBar>(new CTabBar); }

}  // namespace daybrim
