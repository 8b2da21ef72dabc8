#include "ui/rules/RefreshGroups.h"

#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {

RefreshGroups GroupsForRefresh(std::int32_t code) {
  switch (static_cast<RefreshCode>(code)) {
    case RefreshCode::All: return RefreshGroups{true, true, true, true, true};
    case RefreshCode::Color: return RefreshGroups{false, true, false, false, false};
    case RefreshCode::Enable: return RefreshGroups{false, false, false, false, true};
  }
  return RefreshGroups{};
}

}  // namespace kestrimo::ui
